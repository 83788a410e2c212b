#include "platform/Clock.h"

#include <QElapsedTimer>

namespace {
class SystemClock final : public IClock {
public:
    SystemClock() { timer.start(); }
    quint32 TickCount() const override { return static_cast<quint32>(timer.elapsed()); }
    QDateTime Now() const override { return QDateTime::currentDateTime(); }

private:
    QElapsedTimer timer;
};

SystemClock& TheSystemClock()
{
    static SystemClock clock;
    return clock;
}

IClock* current = nullptr;
} // namespace

IClock& Clock() { return current ? *current : TheSystemClock(); }

void SetClock(IClock* clock) { current = clock; }
