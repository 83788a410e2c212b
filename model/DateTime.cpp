#include "model/DateTime.h"

#include "platform/Clock.h"

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
    QDate date;
    QTime time;
    if (!SplitDateTime(value, date, time))
        return {};
    return QDateTime(date, time);
}

bool SplitDateTime(TDateTime value, QDate& date, QTime& time)
{
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return false;
    const double whole = std::trunc(value);
    double frac = std::fabs(value - whole);
    qint64 ms = std::llround(frac * kMsPerDay);
    qint64 day = static_cast<qint64>(whole);
    if (ms >= static_cast<qint64>(kMsPerDay)) {
        ms -= static_cast<qint64>(kMsPerDay);
        day += value >= 0 ? 1 : -1;
    }
    date = kEpoch.addDays(day);
    time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
    return true;
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

namespace {
// The reader of the local text, "[yyyy-M-d] [h[:m[:s]]]" with blanks around
// and between, each number of one or two digits except the year's four. It
// tries the same alternatives, in the same order, as a backtracking matcher
// of that pattern would (longer digit runs first, optional parts taken
// before left out), so "2002-05-193" is the 19th at 3:00 and "2002-05-19:30"
// the 1st at 9:30. Only the digit counts are tried both ways; blank runs
// are taken whole, since nothing else can match a blank, so it runs in
// linear time.
class TLocalTextScanner {
public:
    struct TParts {
        int year = -1, month = 0, day = 0;
        int hour = -1, minute = 0, second = 0;
    };

    explicit TLocalTextScanner(QStringView text) : t(text), blankTail(t.size())
    {
        while (blankTail > 0 && IsSpace(blankTail - 1))
            --blankTail;
    }

    bool Match(TParts& parts)
    {
        const qsizetype start = SkipSpaces(0);
        if (MatchDate(start, parts))
            return true;
        parts = TParts();
        return MatchTimeToEnd(start, parts);
    }

private:
    // The blanks of the matcher: ASCII white space, vertical tab included.
    bool IsSpace(qsizetype i) const
    {
        const char16_t c = t[i].unicode();
        return c == ' ' || (c >= '\t' && c <= '\r');
    }
    bool IsDigit(qsizetype i) const { return i < t.size() && t[i] >= '0' && t[i] <= '9'; }
    bool IsChar(qsizetype i, char c) const { return i < t.size() && t[i] == QLatin1Char(c); }
    qsizetype SkipSpaces(qsizetype i) const
    {
        while (i < t.size() && IsSpace(i))
            ++i;
        return i;
    }
    // Only blanks are left from i on.
    bool AtEnd(qsizetype i) const { return i >= blankTail; }
    // How many digits (at most max) start at i.
    int DigitRun(qsizetype i, int max) const
    {
        int n = 0;
        while (n < max && IsDigit(i + n))
            ++n;
        return n;
    }
    int Number(qsizetype i, int len) const
    {
        int v = 0;
        for (int k = 0; k < len; ++k)
            v = v * 10 + (t[i + k].unicode() - '0');
        return v;
    }

    bool MatchDate(qsizetype i, TParts& parts) const
    {
        if (DigitRun(i, 4) < 4 || !IsChar(i + 4, '-'))
            return false;
        const qsizetype m = i + 5;
        for (int mLen = DigitRun(m, 2); mLen > 0; --mLen) {
            const qsizetype d = m + mLen;
            if (!IsChar(d, '-'))
                continue;
            for (int dLen = DigitRun(d + 1, 2); dLen > 0; --dLen) {
                if (MatchTimeToEnd(SkipSpaces(d + 1 + dLen), parts)) {
                    parts.year = Number(i, 4);
                    parts.month = Number(m, mLen);
                    parts.day = Number(d + 1, dLen);
                    return true;
                }
            }
        }
        return false;
    }

    // An optional time followed by nothing but blanks.
    bool MatchTimeToEnd(qsizetype i, TParts& parts) const
    {
        for (int hLen = DigitRun(i, 2); hLen > 0; --hLen) {
            const qsizetype afterHour = i + hLen;
            if (IsChar(afterHour, ':')) {
                for (int mLen = DigitRun(afterHour + 1, 2); mLen > 0; --mLen) {
                    const qsizetype afterMinute = afterHour + 1 + mLen;
                    if (IsChar(afterMinute, ':')) {
                        for (int sLen = DigitRun(afterMinute + 1, 2); sLen > 0; --sLen) {
                            if (AtEnd(afterMinute + 1 + sLen)) {
                                SetTime(parts, i, hLen, afterHour + 1, mLen, afterMinute + 1, sLen);
                                return true;
                            }
                        }
                    }
                    if (AtEnd(afterMinute)) {
                        SetTime(parts, i, hLen, afterHour + 1, mLen, 0, 0);
                        return true;
                    }
                }
            }
            if (AtEnd(afterHour)) {
                SetTime(parts, i, hLen, 0, 0, 0, 0);
                return true;
            }
        }
        return AtEnd(i);
    }

    void SetTime(TParts& parts, qsizetype h, int hLen, qsizetype m, int mLen, qsizetype s, int sLen) const
    {
        parts.hour = Number(h, hLen);
        parts.minute = mLen ? Number(m, mLen) : 0;
        parts.second = sLen ? Number(s, sLen) : 0;
    }

    QStringView t;
    qsizetype blankTail; // where the trailing blanks begin
};
} // namespace

bool ParseLocalDateTime(const QString& text, TDateTime& result)
{
    TLocalTextScanner::TParts p;
    if (!TLocalTextScanner(text).Match(p))
        return false;
    const bool hasDate = p.year >= 0;
    const bool hasTime = p.hour >= 0;
    if (!hasDate && !hasTime)
        return false;
    const int hour = hasTime ? p.hour : 0;
    if (hour > 23 || p.minute > 59 || p.second > 59)
        return false;
    const double timePart = (hour * 3600 + p.minute * 60 + p.second) / 86400.0;
    if (!hasDate) {
        result = timePart;
        return true;
    }
    return TryEncodeDateTime(p.year, p.month, p.day, hour, p.minute, p.second, 0, result);
}
