// Runs the tests of the windows on real Qt widgets. Without a display they
// run on the offscreen platform, so that they also run where CTest or the
// build lists them outside any desktop.

#include <QApplication>
#include <QDir>
#include <QLocale>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The offscreen platform says so whenever a window asks it for something it
// cannot do (raising a window, size hints); the tests do not rely on those.
QtMessageHandler g_standardHandler = nullptr;

void QuietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    if (g_standardHandler)
        g_standardHandler(type, context, message);
}

} // namespace

int main(int argc, char* argv[])
{
    g_standardHandler = qInstallMessageHandler(QuietOffscreenNotes);
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/tarnwell-tests-runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                           | QFileDevice::ExeOwner);
        setenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit().constData(), 1);
    }
    QLocale::setDefault(QLocale::c());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
