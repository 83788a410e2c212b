#pragma once
// A clock that moves only when told to; installed for its lifetime.
#include "platform/Clock.h"

class FakeClock final : public IClock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 12, 9), QTime(12, 0)))
        : now(std::move(start))
    {
        SetClock(this);
    }
    ~FakeClock() override { SetClock(nullptr); }
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    quint32 TickCount() const override { return ticks; }
    QDateTime Now() const override { return now; }

    void Advance(int ms)
    {
        ticks += static_cast<quint32>(ms);
        now = now.addMSecs(ms);
    }
    void SetNow(const QDateTime& dt) { now = dt; }
    void SetTicks(quint32 t) { ticks = t; }

private:
    QDateTime now;
    quint32 ticks = 1000;
};
