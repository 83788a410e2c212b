// Test entry: everything runs headless, in a fixed locale and time zone, with
// a temporary program folder unless the caller set one.
#include "platform/Allocator.h"
#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {
QtMessageHandler defaultHandler = nullptr;

// The offscreen platform reports every opacity change and raise; that is noise here.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    defaultHandler(type, context, message);
}
} // namespace

int main(int argc, char** argv)
{
    ConfigureAllocator(); // the tests run on the program's allocator
    auto setDefault = [](const char* name, const char* value) {
        if (!std::getenv(name))
            setenv(name, value, 1);
    };
    setDefault("QT_QPA_PLATFORM", "offscreen");
    setDefault("TZ", "Europe/Berlin");
    setDefault("LC_ALL", "C.UTF-8");
    tzset();
    QTemporaryDir runtimeDir;
    setDefault("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit().constData());
    QTemporaryDir home;
    setDefault("QUORBEL_HOME", home.path().toLocal8Bit().constData());
    QLocale::setDefault(QLocale::c());

    setDefault("XDG_DATA_HOME", (home.path() + "/xdg-data").toLocal8Bit().constData());
    setDefault("XDG_CONFIG_HOME", (home.path() + "/xdg-config").toLocal8Bit().constData());
    defaultHandler = qInstallMessageHandler(QuietMessages);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
