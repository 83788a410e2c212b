#include "model/NewsDate.h"

#include "text/TextTools.h"

namespace {
// Our own table, so the German "Mai" and "Dez" of old stored feeds still read.
struct TMonthName {
    const char* name;
    int month;
};
const TMonthName kMonths[] = {
    {"Jan", 1}, {"Feb", 2}, {"Mar", 3}, {"Apr", 4},   {"Mai", 5},   {"May", 5},   {"Jun", 6},
    {"Jul", 7}, {"Aug", 8}, {"Sep", 9}, {"Oct", 10}, {"Nov", 11}, {"Dez", 12}, {"Dec", 12},
};

int MonthNumber(const QString& name)
{
    for (const TMonthName& m : kMonths)
        if (name == QLatin1String(m.name))
            return m.month;
    return 0;
}

// Two-digit years as RFC 2822 reads them, three-digit ones as years since
// 1900; four digits are the year itself.
int FullYear(int year, int digits)
{
    if (digits <= 2)
        return year + (year < 50 ? 2000 : 1900);
    if (digits == 3)
        return year + 1900;
    return year;
}

// Each part is taken as an unsigned 16-bit number, as the encoder does.
int AsWord(int v) { return static_cast<int>(static_cast<quint16>(v)); }

// The first word of rest, blanks before it skipped.
QStringView FirstWord(const QString& rest)
{
    qsizetype b = 0;
    while (b < rest.size() && rest[b].unicode() <= 32)
        ++b;
    qsizetype e = b;
    while (e < rest.size() && rest[e].unicode() > 32)
        ++e;
    return QStringView(rest).mid(b, e - b);
}

// "+hhmm" or "-hhmm" as seconds east of UTC.
bool NumericZone(QStringView zone, int& seconds)
{
    if (zone.size() != 5 || (zone[0] != '+' && zone[0] != '-'))
        return false;
    for (QChar c : zone.mid(1))
        if (c < '0' || c > '9')
            return false;
    const int hh = zone.mid(1, 2).toInt();
    const int mm = zone.mid(3, 2).toInt();
    if (hh > 23 || mm > 59)
        return false;
    seconds = (zone[0] == '-' ? -1 : 1) * (hh * 3600 + mm * 60);
    return true;
}

bool NamedZone(QStringView zone, int& seconds)
{
    static const struct {
        const char* name;
        int hours;
    } kNamed[] = {{"GMT", 0},  {"UT", 0},   {"UTC", 0},  {"Z", 0},   {"EST", -5}, {"EDT", -4},
                  {"CST", -6}, {"CDT", -5}, {"MST", -7}, {"MDT", -6}, {"PST", -8}, {"PDT", -7}};
    if (zone.size() > 3)
        return false;
    for (const auto& z : kNamed) {
        if (SameTextAscii(zone.toString(), QLatin1String(z.name))) {
            seconds = z.hours * 3600;
            return true;
        }
    }
    return false;
}

// Seconds east of UTC of the zone that follows the time; false for none or
// one we do not know, which leaves the time as written.
bool ZoneOffset(const QString& rest, int& seconds)
{
    const QStringView zone = FirstWord(rest);
    return NumericZone(zone, seconds) || NamedZone(zone, seconds);
}

// The wall time written in a zone offsetSeconds east of UTC, as local time.
TDateTime ToLocal(const QDate& date, const QTime& time, int offsetSeconds)
{
    const QDateTime utc = QDateTime(date, time, Qt::UTC).addSecs(-offsetSeconds);
    return ToDateTime(utc.toLocalTime());
}
} // namespace

QString FormatNewsDate(TDateTime value)
{
    static const char* const kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    QDate date;
    QTime time;
    if (value == 0 || !SplitDateTime(value, date, time) || date.year() < 1 || date.year() > 9999)
        return QStringLiteral("0");
    return QString::asprintf("%s, %02d %s %04d %02d:%02d:%02d", kDays[date.dayOfWeek() - 1], date.day(),
                             kMonthNames[date.month() - 1], date.year(), time.hour(), time.minute(),
                             time.second());
}

TDateTime ParseNewsDate(const QString& d)
{
    QString w = d;
    int day = -1, year = -1, hour = -1, minute = -1, second = -1, yearDigits = 0;

    CutToken(w, QStringLiteral(","));
    CutInt(w, day);
    w = TrimBlanks(w);
    const int month = MonthNumber(CutToken(w, QStringLiteral(" ")));
    if (CutInt(w, year, yearDigits))
        year = FullYear(year, yearDigits);
    CutInt(w, hour);
    w.remove(0, 1);
    CutInt(w, minute);
    w.remove(0, 1);
    CutInt(w, second);

    TDateTime result = 0;
    if (TryEncodeDateTime(AsWord(year), AsWord(month), AsWord(day), AsWord(hour), AsWord(minute),
                          AsWord(second), 0, result)) {
        int offset = 0;
        if (ZoneOffset(w, offset))
            return ToLocal(QDate(year, month, day), QTime(hour, minute, second), offset);
        return result;
    }
    if (ParseLocalDateTime(d, result))
        return result;
    return NowDateTime();
}
