#include "toolkit/Program.h"

#include "toolkit/Appearance.h"
#include "toolkit/Form.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>

namespace tk::Program {
namespace {

bool g_ended = false;
QPointer<QEventLoop> g_mainLoop;

} // namespace

void Begin()
{
    g_ended = false;
    // The program decides when it ends (when its last shown window is
    // unloaded), not Qt.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("Tarnwell"));
    // The same look wherever the program runs; message boxes in the
    // windows' own face.
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setFont(MakeFont({"MS Sans Serif", 9.75}));
}

int Run()
{
    if (g_ended)
        return 0;
    QEventLoop loop;
    g_mainLoop = &loop;
    const int code = loop.exec();
    return code;
}

void End()
{
    g_ended = true;
    Form::UnloadAllForEnd();
    if (g_mainLoop)
        g_mainLoop->exit(0);
}

bool HasEnded()
{
    return g_ended;
}

void DestroyAllForms()
{
    Form::DestroyAll();
}

} // namespace tk::Program
