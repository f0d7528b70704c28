// Tarnwell: the Arkansas title-insurance rate calculator.

#include "app/Main.h"
#include "toolkit/Program.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

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

// While the QApplication opens the display, Qt's messages are held back:
// when no display can be opened Qt says so in several lines and aborts,
// where the agent is better served by one plain line and a failed start.
struct HeldMessage {
    QtMsgType type;
    const char* category;
    QString text;
};
std::mutex g_heldLock;
std::vector<HeldMessage> g_held;
QtMessageHandler g_qtHandler = nullptr;

void HoldBackWhileOpeningDisplay(QtMsgType type, const QMessageLogContext& context,
                                 const QString& message)
{
    const std::lock_guard lock(g_heldLock);
    if (type != QtFatalMsg) {
        g_held.push_back({type, context.category, message});
        return;
    }
    // The platform plugin's own warning says best which display failed and why.
    QString reason = message;
    for (const HeldMessage& held : g_held) {
        if ((held.type == QtWarningMsg || held.type == QtCriticalMsg)
            && QByteArray(held.category).startsWith("qt.qpa")) {
            reason = held.text;
            break;
        }
    }
    std::fprintf(stderr,
                 "tarnwell: cannot open a display for the window (%s): start it from a desktop "
                 "session, or under xvfb-run\n",
                 qPrintable(reason.section(QLatin1Char('\n'), 0, 0)));
    std::_Exit(1);
}

void HandOnHeldMessages()
{
    const std::lock_guard lock(g_heldLock);
    qInstallMessageHandler(g_qtHandler);
    for (const HeldMessage& held : g_held)
        g_qtHandler(held.type, QMessageLogContext(nullptr, 0, nullptr, held.category), held.text);
    g_held.clear();
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
    g_qtHandler = qInstallMessageHandler(HoldBackWhileOpeningDisplay);
    QApplication app(qtArgc, qtArgv);
    // The menu entry's icon on the title bar and the task bar, in each size drawn.
    QIcon icon;
    for (const int size : {48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/apps/org.tarnwell.Tarnwell.png").arg(size),
                     QSize(size, size));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tarnwell.Tarnwell"));
    tk::Program::Begin();
    HandOnHeldMessages(); // the display is open: Qt's messages go out as usual
    Main();
    const int code = tk::Program::Run();
    tk::Program::DestroyAllForms();
    return code;
}
