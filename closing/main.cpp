// Tarnwell Closing Quote: every title charge of one closing on one screen.

#include "closing/ClosingWindow.h"

#include "startup/DesktopStart.h"

#include <QApplication>
#include <QSettings>

int main(int argc, char* argv[])
{
    startup::RequireDisplay("tarnwell-closing");
    startup::DisplayOpening opening("tarnwell-closing");
    QApplication app(argc, argv);
    opening.Release();
    QApplication::setOrganizationName(QStringLiteral("Tarnwell"));
    QApplication::setApplicationName(QStringLiteral("Closing"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tarnwell Closing Quote"));
    startup::SetWindowIcon("org.tarnwell.TarnwellClosing");
    QSettings settings;
    closing::ClosingWindow window(settings);
    window.show();
    return app.exec();
}
