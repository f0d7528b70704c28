// Tarnwell Closing Quote: every title charge of one closing on one screen,
// kept in the agency's book under its file number.

#include "closing/ClosingApplication.h"
#include "closing/ClosingWindow.h"

#include "startup/DesktopStart.h"

#include <QApplication>
#include <QCommandLineParser>

#include <optional>

int main(int argc, char* argv[])
{
    startup::RequireDisplay("tarnwell-closing");
    startup::DisplayOpening opening("tarnwell-closing");
    QApplication app(argc, argv);
    opening.Release();
    closing::NameApplication();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Every title charge of one closing, kept in the agency's book."));
    parser.addHelpOption();
    const QCommandLineOption database(
        QStringLiteral("database"),
        QStringLiteral("The book: a SQLite file, or postgresql://[user@][host][:port]/dbname."),
        QStringLiteral("PATH|URI"));
    parser.addOption(database);
    parser.process(app);
    std::optional<QString> book;
    if (parser.isSet(database))
        book = parser.value(database);

    startup::SetWindowIcon("org.tarnwell.TarnwellClosing");
    const auto settings = closing::OpenSettings();
    closing::ClosingWindow window(*settings, {}, book);
    window.show();
    return app.exec();
}
