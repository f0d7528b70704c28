// Tarnwell Closing Quote: every title charge of one closing on one screen.

#include "closing/ClosingApplication.h"
#include "closing/ClosingWindow.h"

#include "startup/DesktopStart.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    startup::RequireDisplay("tarnwell-closing");
    startup::DisplayOpening opening("tarnwell-closing");
    QApplication app(argc, argv);
    opening.Release();
    closing::NameApplication();
    startup::SetWindowIcon("org.tarnwell.TarnwellClosing");
    const auto settings = closing::OpenSettings();
    closing::ClosingWindow window(*settings);
    window.show();
    return app.exec();
}
