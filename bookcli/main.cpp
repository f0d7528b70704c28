#include "bookcli/BookProgram.h"

#include <QGuiApplication>

#include <iostream>
#include <memory>

namespace {

QtMessageHandler g_next = nullptr;

// The offscreen platform asks where the session's runtime folder is while it
// starts and, where a cron job or a plain ssh session has none, says so on
// stderr. tarnwell-book keeps nothing there: that note alone is dropped.
void WithoutRuntimeFolderNote(QtMsgType type, const QMessageLogContext& context,
                              const QString& message)
{
    if (!message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        g_next(type, context, message);
}

} // namespace

int main(int argc, char* argv[])
{
    std::vector<std::string> args(argv + 1, argv + argc);
    std::unique_ptr<QCoreApplication> application;
    if (BookCli::WritesPdf(args)) {
        // The report's PDF is laid out with the fonts of a Qt Gui
        // application. tarnwell-book never shows a window: the offscreen
        // platform, whatever the session offers, needs no display and opens
        // none where there is one.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        g_next = qInstallMessageHandler(WithoutRuntimeFolderNote);
        application = std::make_unique<QGuiApplication>(argc, argv);
        qInstallMessageHandler(g_next);
    } else {
        // Every other command starts without the platform and its fonts.
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    return BookCli::RunBook(args, std::cin, std::cout, std::cerr);
}
