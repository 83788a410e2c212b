#include "model/IsoDate.h"

#include "model/NewsDate.h"

namespace {
// A reader over the trimmed text; each step fails without moving on a mismatch.
class TScanner {
public:
    explicit TScanner(QStringView text) : s(text) {}

    bool AtEnd() const { return i >= s.size(); }
    QChar Peek() const { return AtEnd() ? QChar() : s[i]; }
    bool Take(char c)
    {
        if (AtEnd() || s[i] != QLatin1Char(c))
            return false;
        ++i;
        return true;
    }
    bool IsDigit() const { return !AtEnd() && s[i] >= u'0' && s[i] <= u'9'; }
    bool Number(int digits, int& value)
    {
        value = 0;
        for (int k = 0; k < digits; ++k) {
            if (!IsDigit())
                return false;
            value = value * 10 + (s[i++].unicode() - u'0');
        }
        return true;
    }
    // The digits of a fraction as milliseconds; false when there are none.
    bool Fraction(int& msec)
    {
        msec = 0;
        int count = 0;
        for (; IsDigit(); ++i, ++count)
            if (count < 3)
                msec = msec * 10 + (s[i].unicode() - u'0');
        for (int k = count; k < 3; ++k)
            msec *= 10;
        return count > 0;
    }
    void Skip() { ++i; }

private:
    QStringView s;
    qsizetype i = 0;
};

// Seconds east of UTC; false when the zone is malformed. No zone at all is
// told apart by the caller (AtEnd).
bool Zone(TScanner& scan, int& seconds)
{
    if (scan.Take('Z') || scan.Take('z')) {
        seconds = 0;
        return true;
    }
    const QChar sign = scan.Peek();
    if (sign != u'+' && sign != u'-')
        return false;
    scan.Skip();
    int hh = 0, mm = 0;
    if (!scan.Number(2, hh))
        return false;
    scan.Take(':');
    if (!scan.Number(2, mm) || hh > 23 || mm > 59)
        return false;
    seconds = (sign == u'-' ? -1 : 1) * (hh * 3600 + mm * 60);
    return true;
}
} // namespace

bool ParseRfc3339Date(const QString& text, TDateTime& result)
{
    TScanner scan(QStringView(text).trimmed());
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    if (!scan.Number(4, year) || !scan.Take('-') || !scan.Number(2, month) || !scan.Take('-')
        || !scan.Number(2, day))
        return false;
    bool zoned = false;
    int offset = 0;
    if (!scan.AtEnd()) {
        if (!scan.Take('T') && !scan.Take('t') && !scan.Take(' '))
            return false;
        if (!scan.Number(2, hour) || !scan.Take(':') || !scan.Number(2, minute))
            return false;
        if (scan.Take(':')) {
            if (!scan.Number(2, second))
                return false;
            if ((scan.Take('.') || scan.Take(',')) && !scan.Fraction(msec))
                return false;
        }
        if (!scan.AtEnd()) {
            if (!Zone(scan, offset) || !scan.AtEnd())
                return false;
            zoned = true;
        }
    }
    if (second == 60)
        second = 59;
    TDateTime asWritten = 0;
    if (!TryEncodeDateTime(year, month, day, hour, minute, second, msec, asWritten))
        return false;
    if (!zoned) {
        result = asWritten;
        return true;
    }
    const QDateTime utc = QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC)
                              .addSecs(-offset);
    result = ToDateTime(utc.toLocalTime());
    return true;
}

TDateTime ParseFeedDate(const QString& text)
{
    TDateTime result = 0;
    if (ParseRfc3339Date(text, result))
        return result;
    return ParseNewsDate(text);
}
