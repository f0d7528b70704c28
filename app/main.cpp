// Tarnwell: the Arkansas title-insurance rate calculator.

#include "app/Main.h"
#include "startup/DesktopStart.h"
#include "toolkit/Program.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    startup::RequireDisplay("tarnwell");
    // The calculator takes no command line; Qt is not handed one either.
    int qtArgc = argc > 0 ? 1 : 0;
    char* qtArgv[] = {argc > 0 ? argv[0] : nullptr, nullptr};
    startup::DisplayOpening opening("tarnwell");
    QApplication app(qtArgc, qtArgv);
    startup::SetWindowIcon("org.tarnwell.Tarnwell");
    tk::Program::Begin();
    opening.Release();
    Main();
    const int code = tk::Program::Run();
    tk::Program::DestroyAllForms();
    return code;
}
