#pragma once
// The program's only source of "now" and of the millisecond tick count.
// Tests install a fake clock to move time by hand.
#include <QDateTime>
#include <QtGlobal>

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since some fixed point; wraps around like a 32-bit counter.
    virtual quint32 TickCount() const = 0;
    // Local date and time.
    virtual QDateTime Now() const = 0;
};

IClock& Clock();
// Installs a clock; nullptr goes back to the system clock. The caller keeps ownership.
void SetClock(IClock* clock);
