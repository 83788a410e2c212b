#include "model/NewsDate.h"

#include "support/FakeClock.h"

#include <gtest/gtest.h>

namespace {
TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return ToDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

TEST(ParseNewsDateTest, Table)
{
    FakeClock clock(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
    const TDateTime now = NowDateTime();
    struct {
        QString text;
        TDateTime expected;
    } cases[] = {
        {"Sun, 19 Mai 2002 15:21:36 GMT", At(2002, 5, 19, 15, 21, 36)},
        {"Sun, 19 May 2002 15:21:36 GMT", now}, // English May is not in the table
        {"Sat, 01 Feb 02 08:05:09 +0100", At(2002, 2, 1, 8, 5, 9)},
        {"Sat, 01 Feb 1999 08:05:09 +0100", At(3999, 2, 1, 8, 5, 9)},
        {"Thu, 24 Dez 2026 18:00:00 GMT", At(2026, 12, 24, 18, 0, 0)},
        {"Thu, 24 Dec 2026 18:00:00 GMT", now},
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
