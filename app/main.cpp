// Tarnwell: the Arkansas title-insurance rate calculator.

#include "app/Main.h"
#include "toolkit/Program.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

bool HasDisplay()
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
    if (!HasDisplay()) {
        std::fputs("tarnwell: no display to open the window on (start it from a desktop "
                   "session, or under xvfb-run)\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    tk::Program::Begin();
    Main();
    const int code = tk::Program::Run();
    tk::Program::DestroyAllForms();
    return code;
}
