// The display platform asked for on Wayland sessions, and the command line
// answers that need no display.
#include "app/DisplayPlatform.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace {
TEST(DisplayPlatform, XWaylandIsChosenOnlyWhenNothingElseDecides)
{
    const struct {
        const char* qpa;
        const char* wayland;
        const char* session;
        const char* display;
        bool xReachable;
        const char* expected;
    } cases[] = {
        {"", "wayland-0", "wayland", ":0", true, "xcb"},  // a Wayland desktop with XWayland
        {"", "", "wayland", ":1", true, "xcb"},           // told by the session type alone
        {"", "wayland-0", "", ":0", true, "xcb"},         // told by the Wayland socket alone
        {"", "wayland-0", "wayland", ":0", false, ""},    // no X server answers: Wayland it is
        {"", "wayland-0", "wayland", "", true, ""},       // no X display at all
        {"wayland", "wayland-0", "wayland", ":0", true, ""}, // the user's choice wins
        {"offscreen", "", "", ":0", true, ""},
        {"", "", "x11", ":0", true, ""},                  // an X session needs no choice
        {"", "", "", "", false, ""},
    };
    for (const auto& c : cases) {
        TSessionDisplay session;
        session.qpaPlatform = c.qpa;
        session.waylandDisplay = c.wayland;
        session.sessionType = c.session;
        session.display = c.display;
        session.xReachable = c.xReachable;
        EXPECT_EQ(PreferredPlatform(session), QString::fromLatin1(c.expected))
            << c.qpa << "|" << c.wayland << "|" << c.session << "|" << c.display << "|" << c.xReachable;
    }
}

TEST(DisplayPlatform, AnXServerIsFoundByItsSocket)
{
    // A display number nobody uses here: nothing listens, then a listener is made.
    const int number = 900 + int(getpid() % 90);
    const QString display = QStringLiteral(":%1").arg(number);
    EXPECT_FALSE(XServerReachable(display));
    EXPECT_FALSE(XServerReachable(QString()));
    EXPECT_FALSE(XServerReachable(QStringLiteral("no display")));
    EXPECT_TRUE(XServerReachable(QStringLiteral("xhost.test:0"))); // over the network: taken as there

    const QByteArray abstractName = QByteArray(1, '\0') + "/tmp/.X11-unix/X" + QByteArray::number(number);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, abstractName.constData(), abstractName.size());
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + abstractName.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(fd, 1), 0);
    EXPECT_TRUE(XServerReachable(display));
    EXPECT_TRUE(XServerReachable(display + QStringLiteral(".0")));
    EXPECT_TRUE(XServerReachable(QStringLiteral("unix") + display));
    ::close(fd);
}

// The program itself, without any display.
QProcess* RunWithoutDisplay(QProcess& program, const QStringList& arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QTemporaryDir home;
    env.insert(QStringLiteral("QUORBEL_HOME"), home.path());
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(QUORBEL_PROGRAM), arguments);
    program.waitForFinished(10000);
    return &program;
}

TEST(CommandLine, VersionAndHelpAnswerWithoutADisplay)
{
    QProcess version;
    RunWithoutDisplay(version, {QStringLiteral("--version")});
    EXPECT_EQ(version.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(version.exitCode(), 0) << version.readAllStandardError().constData();
    EXPECT_EQ(version.readAllStandardOutput().trimmed(), QByteArray("Quorbel " QUORBEL_VERSION));

    QProcess help;
    RunWithoutDisplay(help, {QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode(), 0) << help.readAllStandardError().constData();
    const QString usage = QString::fromUtf8(help.readAllStandardOutput());
    EXPECT_TRUE(usage.contains(QLatin1String("[URL|FILE]..."))) << usage.toStdString();
    EXPECT_TRUE(usage.contains(QLatin1String("OPML"))) << usage.toStdString();
    EXPECT_TRUE(usage.contains(QLatin1String("--version"))) << usage.toStdString();
}
} // namespace
