#include "model/NewsDate.h"

#include "support/FakeClock.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <random>

namespace {
TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return ToDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

TEST(ParseNewsDateTest, Table)
{
    FakeClock clock(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
    const TDateTime now = NowDateTime();
    // Dates without a zone, or with one we do not know, stay as written.
    struct {
        QString text;
        TDateTime expected;
    } cases[] = {
        {"Sun, 19 Mai 2002 15:21:36 GMT", At(2002, 5, 19, 17, 21, 36)}, // GMT is two hours behind in May
        {"Sun, 19 May 2002 15:21:36 GMT", At(2002, 5, 19, 17, 21, 36)},
        {"Sun, 19 May 2002 15:21:36", At(2002, 5, 19, 15, 21, 36)},
        {"Sun, 19 may 2002 15:21:36", now}, // the month table is case-sensitive
        {"Sat, 01 Feb 02 08:05:09 +0100", At(2002, 2, 1, 8, 5, 9)},
        {"Sat, 01 Feb 1999 08:05:09 +0100", At(1999, 2, 1, 8, 5, 9)},
        {"Sat, 01 Feb 99 08:05:09", At(1999, 2, 1, 8, 5, 9)},
        {"Sat, 01 Feb 49 08:05:09", At(2049, 2, 1, 8, 5, 9)},
        {"Sat, 01 Feb 50 08:05:09", At(1950, 2, 1, 8, 5, 9)},
        {"Sat, 01 Feb 7 08:05:09", At(2007, 2, 1, 8, 5, 9)},
        {"Sat, 01 Feb 102 08:05:09", At(2002, 2, 1, 8, 5, 9)},  // three digits: since 1900
        {"Sat, 01 Feb 0099 08:05:09", At(99, 2, 1, 8, 5, 9)},   // four digits as written
        {"Sat, 01 Feb 20020 08:05:09", now},
        {"Thu, 24 Dez 2026 18:00:00 GMT", At(2026, 12, 24, 19, 0, 0)},
        {"Thu, 24 Dec 2026 18:00:00 GMT", At(2026, 12, 24, 19, 0, 0)},
        {"Thu, 24 Dec 2026 18:00:00", At(2026, 12, 24, 18, 0, 0)},
        {"Thu, 24 Dec 2026 18:00:00 CEST", At(2026, 12, 24, 18, 0, 0)}, // unknown zone
        {"Thu, 24 Dec 2026 18:00:00 +2500", At(2026, 12, 24, 18, 0, 0)},
        {"Thu, 24 Dec 2026 18:00:00 +01", At(2026, 12, 24, 18, 0, 0)},
        {"Thu, 24 Dec 2026 18:00:00 GMTX", At(2026, 12, 24, 18, 0, 0)},
        {"Sun, 19 Feb 2002 15:21", now},          // no seconds
        {"19 Feb 2002 15:21:36", now},            // no comma: the RFC reading fails
        {"Sun, 19 Feb 2002", now},                // no time
        {"Mon, 30 Feb 2002 10:00:00 GMT", now},   // no such day
        {"Mon, 10 Feb 2002 24:00:00 GMT", now},   // no such hour
        {"0", 0.0},
        {"", now},
        {"2002-05-19 15:21:36", At(2002, 5, 19, 15, 21, 36)}, // the local text
        {"2002-05-19", At(2002, 5, 19)},
        {"15:30", (15 * 60 + 30) / 1440.0},
        {"garbage", now},
    };
    for (auto& c : cases)
        EXPECT_DOUBLE_EQ(ParseNewsDate(c.text), c.expected) << c.text.toStdString();
}

// The tests run in Europe/Berlin: UTC+1, and UTC+2 from the last Sunday of
// March to the last Sunday of October.
TEST(ParseNewsDateTest, ZonesBecomeLocalTime)
{
    struct {
        QString text;
        TDateTime expected;
    } cases[] = {
        {"Thu, 24 Dec 2026 18:00:00 +0000", At(2026, 12, 24, 19, 0, 0)},
        {"Thu, 24 Dec 2026 18:00:00 -0000", At(2026, 12, 24, 19, 0, 0)},
        {"Thu, 24 Dec 2026 18:00:00 +0100", At(2026, 12, 24, 18, 0, 0)},
        {"Mon, 15 Jan 2024 23:30:00 -0500", At(2024, 1, 16, 5, 30, 0)}, // the next day here
        {"Mon, 15 Jan 2024 01:00:00 +0530", At(2024, 1, 14, 20, 30, 0)},
        {"Mon, 15 Jan 2024 10:00:00 EST", At(2024, 1, 15, 16, 0, 0)},
        {"Tue, 02 Jul 2024 10:00:00 EDT", At(2024, 7, 2, 16, 0, 0)},
        {"Mon, 15 Jan 2024 10:00:00 CST", At(2024, 1, 15, 17, 0, 0)},
        {"Tue, 02 Jul 2024 10:00:00 CDT", At(2024, 7, 2, 17, 0, 0)},
        {"Mon, 15 Jan 2024 10:00:00 MST", At(2024, 1, 15, 18, 0, 0)},
        {"Tue, 02 Jul 2024 10:00:00 MDT", At(2024, 7, 2, 18, 0, 0)},
        {"Mon, 15 Jan 2024 10:00:00 PST", At(2024, 1, 15, 19, 0, 0)},
        {"Tue, 02 Jul 2024 10:00:00 PDT", At(2024, 7, 2, 19, 0, 0)},
        {"Mon, 15 Jan 2024 10:00:00 UT", At(2024, 1, 15, 11, 0, 0)},
        {"Mon, 15 Jan 2024 10:00:00 utc", At(2024, 1, 15, 11, 0, 0)},
        {"Mon, 15 Jan 2024 10:00:00Z", At(2024, 1, 15, 11, 0, 0)},
        {"Mon, 15 Jan 2024 10:00:00  +0200 (EET)", At(2024, 1, 15, 9, 0, 0)},
        {"Sun, 31 Mar 2024 01:30:00 GMT", At(2024, 3, 31, 3, 30, 0)}, // just after the switch
        {"Sun, 27 Oct 2024 00:30:00 GMT", At(2024, 10, 27, 2, 30, 0)},
        {"Sun, 27 Oct 2024 01:30:00 GMT", At(2024, 10, 27, 2, 30, 0)}, // the hour that comes twice
    };
    for (auto& c : cases)
        EXPECT_DOUBLE_EQ(ParseNewsDate(c.text), c.expected) << c.text.toStdString();
}

// Long runs that a backtracking reader would take minutes over.
TEST(ParseNewsDateTest, HostileTextReadsInLinearTime)
{
    FakeClock clock(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
    const TDateTime now = NowDateTime();
    const int n = 200000;
    const QString blanks(n, ' '), digits(n, '7'), junk(n, 'x');
    struct {
        QString text;
        TDateTime expected;
    } cases[] = {
        {blanks + 'x', now},
        {blanks + "15:30" + blanks, (15 * 60 + 30) / 1440.0},
        {"2002-05-19" + blanks + "12" + blanks + 'x', now},
        {"2002-05-19" + blanks, At(2002, 5, 19)},
        {"Sun, " + digits + " Mai 2002 15:21:36", now}, // too long a day
        {"Sun, 19 Mai " + digits + " 15:21:36", now},
        {digits, now},
        {junk + ", 19 May 2002 15:21:36 -0500", At(2002, 5, 19, 22, 21, 36)},
        {"Sun, 19 Mai 2002 15:21:36 " + junk, At(2002, 5, 19, 15, 21, 36)},
        {QString(n, ','), now},
    };
    for (auto& c : cases)
        EXPECT_DOUBLE_EQ(ParseNewsDate(c.text), c.expected) << c.text.left(40).toStdString();
}

TEST(LocalDateTimeTextTest, RoundTripsAndDropsMidnight)
{
    const TDateTime noon = At(2024, 2, 29, 12, 34, 56);
    EXPECT_EQ(FormatLocalDateTime(noon), "2024-02-29 12:34:56");
    EXPECT_EQ(FormatLocalDateTime(At(2024, 2, 29)), "2024-02-29");
    TDateTime back = -1;
    ASSERT_TRUE(ParseLocalDateTime(FormatLocalDateTime(noon), back));
    EXPECT_DOUBLE_EQ(back, noon);
    ASSERT_TRUE(ParseLocalDateTime("2024-02-29", back));
    EXPECT_DOUBLE_EQ(back, At(2024, 2, 29));
    EXPECT_FALSE(ParseLocalDateTime("2023-02-29", back));
    EXPECT_FALSE(ParseLocalDateTime("12:61", back));
    EXPECT_FALSE(ParseLocalDateTime("", back));
}

TEST(LocalDateTimeTextTest, DigitRunsAndBlanks)
{
    struct {
        QString text;
        bool ok;
        TDateTime expected;
    } cases[] = {
        {"2002-05-193", true, At(2002, 5, 19, 3)},      // the day takes two digits, the hour the rest
        {"2002-05-19:30", true, At(2002, 5, 1, 9, 30)}, // else the day gives one up to the hour
        {"2002-5-1 7", true, At(2002, 5, 1, 7)},
        {" \v2002-05-19\n", true, At(2002, 5, 19)},
        {"\t12:5:7 ", true, (12 * 3600 + 5 * 60 + 7) / 86400.0},
        {"2002-05-1234", false, 0},
        {"2002-05-19 15:21:36:00", false, 0},
        {"123", false, 0},
        {"12:345", false, 0},
        {"02-05-19", false, 0},
        {QString(QChar(0xA0)) + "2002-05-19", false, 0}, // only ASCII white space counts
        {" \n ", false, 0},
    };
    for (auto& c : cases) {
        TDateTime v = -7;
        EXPECT_EQ(ParseLocalDateTime(c.text, v), c.ok) << c.text.toStdString();
        EXPECT_DOUBLE_EQ(v, c.ok ? c.expected : -7) << c.text.toStdString();
    }
}

// The pattern the reader used to be, kept to check that the hand-written
// reader takes the same texts with the same results.
bool ReadByPattern(const QString& text, TDateTime& result)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(?:(\d{4})-(\d{1,2})-(\d{1,2}))?\s*(?:(\d{1,2})(?::(\d{1,2})(?::(\d{1,2}))?)?)?\s*$)"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch() || (m.capturedLength(1) == 0 && m.capturedLength(4) == 0))
        return false;
    const int hour = m.capturedLength(4) ? m.captured(4).toInt() : 0;
    const int minute = m.capturedLength(5) ? m.captured(5).toInt() : 0;
    const int second = m.capturedLength(6) ? m.captured(6).toInt() : 0;
    if (hour > 23 || minute > 59 || second > 59)
        return false;
    if (m.capturedLength(1) == 0) {
        result = (hour * 3600 + minute * 60 + second) / 86400.0;
        return true;
    }
    return TryEncodeDateTime(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), hour,
                             minute, second, 0, result);
}

TEST(LocalDateTimeTextTest, ReadsWhatThePatternRead)
{
    QStringList texts;
    // Every short text over the characters that matter...
    const QString chars = QStringLiteral("12-: ");
    for (int len = 1, total = 5; len <= 7; ++len, total *= 5) {
        for (int k = 0; k < total; ++k) {
            QString t;
            for (int i = 0, r = k; i < len; ++i, r /= 5)
                t += chars[r % 5];
            texts << t;
        }
    }
    // ...and longer ones put together from the pieces of real dates.
    const char* pieces[] = {"2002", "2024", "-", "-", "02", "5", "29", "193", ":", ":", "30",
                            "7",    "00",   " ", "\t", "\n", "\v", "\r", "x",  "1234", "61"};
    std::mt19937 random(20021);
    std::uniform_int_distribution<int> count(1, 9), piece(0, std::size(pieces) - 1);
    for (int n = 0; n < 100000; ++n) {
        QString t;
        for (int i = count(random); i > 0; --i)
            t += QLatin1String(pieces[piece(random)]);
        texts << t;
    }
    QStringList differ;
    int accepted = 0;
    for (const QString& t : texts) {
        TDateTime mine = -7, theirs = -7;
        const bool ok = ParseLocalDateTime(t, mine);
        if (ok != ReadByPattern(t, theirs) || mine != theirs)
            differ << t;
        accepted += ok ? 1 : 0;
    }
    QString shown = differ.mid(0, 5).join(QStringLiteral("', '"));
    for (const char* c : {"\t", "\n", "\v", "\r"})
        shown.replace(QLatin1String(c), QString::asprintf("\\x%02x", *c));
    EXPECT_TRUE(differ.isEmpty()) << differ.size() << " differ, such as '" << shown.toStdString() << "'";
    EXPECT_GT(accepted, 3000); // enough of them are dates and times
}

TEST(DateTimeTest, EpochAndFraction)
{
    EXPECT_DOUBLE_EQ(At(1899, 12, 30), 0.0);
    EXPECT_DOUBLE_EQ(At(1900, 1, 1, 6), 2.25);
    EXPECT_EQ(FromDateTime(2.25), QDateTime(QDate(1900, 1, 1), QTime(6, 0)));
    // Before the epoch the fraction counts as time of the day, not back from it.
    EXPECT_DOUBLE_EQ(At(1899, 12, 29, 6), -1.25);
    EXPECT_EQ(FromDateTime(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    EXPECT_FALSE(FromDateTime(1e300).isValid());
}
} // namespace
