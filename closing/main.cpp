// Tarnwell Closing Quote: every title charge of one closing on one screen.

#include "closing/ClosingWindow.h"

#include <QApplication>
#include <QIcon>
#include <QSettings>

#include <cstdio>
#include <cstdlib>

namespace {

[[maybe_unused]] bool HasDisplay()
{
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
#ifdef Q_OS_LINUX
    // Without a display Qt would abort; say so plainly instead.
    if (!HasDisplay()) {
        std::fputs("tarnwell-closing: no display to open the window on (start it from a desktop "
                   "session, or under xvfb-run)\n",
                   stderr);
        return 1;
    }
#endif
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tarnwell"));
    QApplication::setApplicationName(QStringLiteral("Closing"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tarnwell Closing Quote"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tarnwell.TarnwellClosing"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.tarnwell.Tarnwell")));
    QSettings settings;
    closing::ClosingWindow window(settings);
    window.show();
    return app.exec();
}
