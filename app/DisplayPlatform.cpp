#include "app/DisplayPlatform.h"

#include "platform/Trace.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QStringList>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace {
// Connects to a Unix socket at path (abstract when the name starts with
// '\0'); true when something listens there. Never waits: a server too busy
// to take the connection now (its queue is full) is there all the same.
bool UnixSocketListens(const QByteArray& path)
{
    sockaddr_un address{};
    if (path.size() >= int(sizeof(address.sun_path)))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + path.size());
    const bool listens = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 || errno == EAGAIN;
    ::close(fd);
    return listens;
}
} // namespace

QString PreferredPlatform(const TSessionDisplay& session)
{
    if (!session.qpaPlatform.isEmpty())
        return {};
    const bool wayland = !session.waylandDisplay.isEmpty()
        || session.sessionType.compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
    if (wayland && !session.display.isEmpty() && session.xReachable)
        return QStringLiteral("xcb");
    return {};
}

bool XServerReachable(const QString& display)
{
    static const QRegularExpression local(QStringLiteral("^(?:unix)?:(\\d+)(?:\\.\\d+)?$"));
    const QRegularExpressionMatch m = local.match(display);
    if (!m.hasMatch())
        return !display.isEmpty() && display.contains(':'); // host:N, over the network: not tried here
    const QByteArray path = "/tmp/.X11-unix/X" + m.captured(1).toLatin1();
    return UnixSocketListens(QByteArray(1, '\0') + path) || UnixSocketListens(path);
}

bool ApplyPreferredPlatform(const QStringList& arguments)
{
    if (arguments.contains(QLatin1String("-platform")) || arguments.contains(QLatin1String("--platform")))
        return false;
    TSessionDisplay session;
    session.qpaPlatform = qEnvironmentVariable("QT_QPA_PLATFORM");
    session.waylandDisplay = qEnvironmentVariable("WAYLAND_DISPLAY");
    session.sessionType = qEnvironmentVariable("XDG_SESSION_TYPE");
    session.display = qEnvironmentVariable("DISPLAY");
    session.xReachable = !session.display.isEmpty() && XServerReachable(session.display);
    if (PreferredPlatform(session) != QLatin1String("xcb"))
        return false;
    qputenv("QT_QPA_PLATFORM", "xcb");
    return true;
}

void TraceDisplayPlatform()
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        WriteTraceLine(QStringLiteral("Running on Wayland without an X server: the strip cannot keep its place or "
                                      "stay on top (start an X server for Wayland, XWayland, to keep both)"));
}
