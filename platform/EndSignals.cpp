#include "platform/EndSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe calls here; a full pipe already wakes the reader.
    const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
    (void)ignored;
}
} // namespace

bool InstallEndSignalHandlers(QObject* context, std::function<void()> onEnd)
{
    if (signalPipe[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
            return false;
        for (int fd : signalPipe)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
    }
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [onEnd = std::move(onEnd)] {
        char buffer[64];
        const ssize_t ignored = ::read(signalPipe[0], buffer, sizeof buffer);
        (void)ignored;
        onEnd();
    });

    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    return ::sigaction(SIGTERM, &action, nullptr) == 0 && ::sigaction(SIGINT, &action, nullptr) == 0;
}
