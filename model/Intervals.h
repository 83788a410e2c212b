#pragma once
// The intervals a user sets (the update interval, the time a headline stays)
// run timers in milliseconds: one rule for what may be typed and stored.
#include <QString>
#include <QtGlobal>

// The longest interval, in whole seconds a timer can hold.
constexpr qint64 kMaxIntervalSeconds = 2147483;
constexpr qint64 kMaxIntervalMs = kMaxIntervalSeconds * 1000;
// A stored update interval under a second is ignored (the scheduler would
// fetch all the time); 0 stops the updates.
constexpr int kMinNewsIntervalMs = 1000;

// A typed interval: a whole number of seconds from 0 to kMaxIntervalSeconds,
// blanks around it allowed. False for anything else.
inline bool ReadIntervalSeconds(const QString& text, qint64& seconds)
{
    bool isNumber = false;
    const qint64 value = text.trimmed().toLongLong(&isNumber);
    if (!isNumber || value < 0 || value > kMaxIntervalSeconds)
        return false;
    seconds = value;
    return true;
}

// An interval in whole seconds as captions and input boxes show it; a
// negative one (old settings files may hold one) behaves as 0 and shows so.
inline qint64 ShownIntervalSeconds(qint64 milliseconds) { return milliseconds < 0 ? 0 : milliseconds / 1000; }

// A stored update interval in milliseconds that may be used.
inline bool IsUsableNewsInterval(qint64 ms) { return ms == 0 || (ms >= kMinNewsIntervalMs && ms <= kMaxIntervalMs); }
