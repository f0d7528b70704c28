#include "startup/DesktopStart.h"

#include <QApplication>
#include <QByteArray>
#include <QIcon>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace startup {
namespace {

struct HeldMessage {
    QtMsgType type;
    const char* category;
    QString text;
};

std::mutex g_heldLock;
std::vector<HeldMessage> g_held;
QtMessageHandler g_previousHandler = nullptr;
const char* g_program = "tarnwell";
bool g_holding = false;

void HoldBack(QtMsgType type, const QMessageLogContext& context, const QString& message)
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
                 "%s: cannot open a display for the window (%s): start it from a desktop "
                 "session, or under xvfb-run\n",
                 g_program, qPrintable(reason.section(QLatin1Char('\n'), 0, 0)));
    std::_Exit(1);
}

} // namespace

void RequireDisplay(const char* program)
{
#ifdef Q_OS_LINUX
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return;
    }
    std::fprintf(stderr,
                 "%s: no display to open the window on (start it from a desktop session, or "
                 "under xvfb-run)\n",
                 program);
    std::exit(1);
#else
    (void)program;
#endif
}

DisplayOpening::DisplayOpening(const char* program)
{
    g_program = program;
    g_holding = true;
    g_previousHandler = qInstallMessageHandler(HoldBack);
}

DisplayOpening::~DisplayOpening()
{
    Release();
}

void DisplayOpening::Release()
{
    const std::lock_guard lock(g_heldLock);
    if (!g_holding)
        return;
    g_holding = false;
    qInstallMessageHandler(g_previousHandler);
    for (const HeldMessage& held : g_held)
        g_previousHandler(held.type, QMessageLogContext(nullptr, 0, nullptr, held.category),
                          held.text);
    g_held.clear();
}

void SetWindowIcon(const char* desktopFileName)
{
    QIcon icon;
    for (const int size : {48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/apps/org.tarnwell.Tarnwell.png").arg(size),
                     QSize(size, size));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QString::fromLatin1(desktopFileName));
}

} // namespace startup
