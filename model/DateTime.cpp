#include "model/DateTime.h"

#include "platform/Clock.h"

#include <QRegularExpression>
#include <cmath>

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;
} // namespace

TDateTime ToDateTime(const QDate& date, const QTime& time)
{
    const double days = static_cast<double>(kEpoch.daysTo(date));
    const double frac = time.isValid() ? time.msecsSinceStartOfDay() / kMsPerDay : 0.0;
    // Before the epoch the fraction still counts forward from the day's start,
    // but the value is the day number minus the fraction.
    return days >= 0 ? days + frac : days - frac;
}

TDateTime ToDateTime(const QDateTime& dt) { return ToDateTime(dt.date(), dt.time()); }

QDateTime FromDateTime(TDateTime value)
{
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return {};
    const double whole = std::trunc(value);
    double frac = std::fabs(value - whole);
    qint64 ms = std::llround(frac * kMsPerDay);
    qint64 day = static_cast<qint64>(whole);
    if (ms >= static_cast<qint64>(kMsPerDay)) {
        ms -= static_cast<qint64>(kMsPerDay);
        day += value >= 0 ? 1 : -1;
    }
    return QDateTime(kEpoch.addDays(day), QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec,
                       TDateTime& result)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    if (day > QDate(year, month, 1).daysInMonth())
        return false;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0
        || msec > 999)
        return false;
    result = ToDateTime(QDate(year, month, day), QTime(hour, minute, second, msec));
    return true;
}

TDateTime NowDateTime() { return ToDateTime(Clock().Now()); }

TDateTime DateOf(TDateTime value) { return std::trunc(value); }

QString FormatLocalDate(const QDate& date) { return date.toString(QStringLiteral("yyyy-MM-dd")); }

QString FormatLocalDateTime(TDateTime value)
{
    const QDateTime dt = FromDateTime(value);
    if (!dt.isValid())
        return {};
    if (dt.time() == QTime(0, 0))
        return FormatLocalDate(dt.date());
    return FormatLocalDate(dt.date()) + ' ' + dt.time().toString(QStringLiteral("hh:mm:ss"));
}

bool ParseLocalDateTime(const QString& text, TDateTime& result)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(?:(\d{4})-(\d{1,2})-(\d{1,2}))?\s*(?:(\d{1,2})(?::(\d{1,2})(?::(\d{1,2}))?)?)?\s*$)"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return false;
    const bool hasDate = m.capturedLength(1) > 0;
    const bool hasTime = m.capturedLength(4) > 0;
    if (!hasDate && !hasTime)
        return false;
    const int hour = hasTime ? m.captured(4).toInt() : 0;
    const int minute = m.capturedLength(5) ? m.captured(5).toInt() : 0;
    const int second = m.capturedLength(6) ? m.captured(6).toInt() : 0;
    if (hour > 23 || minute > 59 || second > 59)
        return false;
    const double timePart = (hour * 3600 + minute * 60 + second) / 86400.0;
    if (!hasDate) {
        result = timePart;
        return true;
    }
    return TryEncodeDateTime(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), hour,
                             minute, second, 0, result);
}
