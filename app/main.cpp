// Tarnwell: the Arkansas title-insurance rate calculator.

#include "app/Main.h"
#include "toolkit/Program.h"

#include <QApplication>
#include <QIcon>

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
        std::fputs("tarnwell: no display to open the window on (start it from a desktop "
                   "session, or under xvfb-run)\n",
                   stderr);
        return 1;
    }
#endif
    // The calculator takes no command line; Qt is not handed one either.
    int qtArgc = argc > 0 ? 1 : 0;
    char* qtArgv[] = {argc > 0 ? argv[0] : nullptr, nullptr};
    QApplication app(qtArgc, qtArgv);
    // The menu entry's icon on the title bar and the task bar, in each size drawn.
    QIcon icon;
    for (const int size : {48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/apps/org.tarnwell.Tarnwell.png").arg(size),
                     QSize(size, size));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tarnwell.Tarnwell"));
    tk::Program::Begin();
    Main();
    const int code = tk::Program::Run();
    tk::Program::DestroyAllForms();
    return code;
}
