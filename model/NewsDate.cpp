#include "model/NewsDate.h"

#include "text/TextTools.h"

namespace {
const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "Mai", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dez"};

int MonthNumber(const QString& name)
{
    for (int i = 0; i < 12; ++i)
        if (name == QLatin1String(kMonths[i]))
            return i + 1;
    return 0;
}

// Each part is taken as an unsigned 16-bit number, as the encoder does.
int AsWord(int v) { return static_cast<int>(static_cast<quint16>(v)); }
} // namespace

TDateTime ParseNewsDate(const QString& d)
{
    QString w = d;
    int day = -1, year = -1, hour = -1, minute = -1, second = -1;

    CutToken(w, QStringLiteral(","));
    CutInt(w, day);
    w = TrimBlanks(w);
    const int month = MonthNumber(CutToken(w, QStringLiteral(" ")));
    CutInt(w, year);
    if (year < 2000)
        year += 2000;
    CutInt(w, hour);
    w.remove(0, 1);
    CutInt(w, minute);
    w.remove(0, 1);
    CutInt(w, second);

    TDateTime result = 0;
    if (TryEncodeDateTime(AsWord(year), AsWord(month), AsWord(day), AsWord(hour), AsWord(minute),
                          AsWord(second), 0, result))
        return result;
    if (ParseLocalDateTime(d, result))
        return result;
    return NowDateTime();
}
