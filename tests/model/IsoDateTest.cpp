#include "model/IsoDate.h"

#include "model/NewsDate.h"
#include "support/FakeClock.h"

#include <gtest/gtest.h>

namespace {
TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return ToDateTime(QDate(y, mo, d), QTime(h, mi, s, ms));
}

// The test zone is Central European: one hour ahead of UTC in winter, two in summer.
TEST(ParseFeedDateTest, Table)
{
    FakeClock clock(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
    const TDateTime now = NowDateTime();
    struct {
        const char* text;
        TDateTime expected;
    } cases[] = {
        {"2026-12-10T09:30:00Z", At(2026, 12, 10, 10, 30)},
        {"2026-12-10 09:30:00Z", At(2026, 12, 10, 10, 30)},
        {"2026-07-10T09:30:00Z", At(2026, 7, 10, 11, 30)},
        {"2026-12-10T09:30:00+01:00", At(2026, 12, 10, 9, 30)},
        {"2026-12-10T09:30:00-05:30", At(2026, 12, 10, 16, 0)},
        {"2026-12-10T23:30:00-02:00", At(2026, 12, 11, 2, 30)},
        {"2026-12-10T09:30:00.25Z", At(2026, 12, 10, 10, 30, 0, 250)},
        {"2026-12-10T09:30:00.123456789Z", At(2026, 12, 10, 10, 30, 0, 123)},
        {"2026-12-10T09:30:00", At(2026, 12, 10, 9, 30)}, // no zone: as written
        {"  2026-12-10  ", At(2026, 12, 10)},
        {"2016-12-31T23:59:60Z", At(2017, 1, 1, 0, 59, 59)},
        {"9999-12-31T23:59:59Z", At(10000, 1, 1, 0, 59, 59)},
        // Not RFC 3339: what ParseNewsDate makes of it.
        {"Thu, 10 Dec 2026 09:30:00 GMT", At(2026, 12, 10, 10, 30)},
        {"2026-13-10T09:30:00Z", now},
        {"2026-02-30T09:30:00Z", now},
        {"0000-01-01T00:00:00Z", now},
        {"2026-12-10T09:30:00+24:00", now},
        {"2026-12-10T09:30:00.Z", now},
        {"2026-12-10T09:30:00Zjunk", now},
        {"", now},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(ParseFeedDate(QString::fromLatin1(c.text)), c.expected) << c.text;
}

TEST(ParseFeedDateTest, RssDatesReadAsBefore)
{
    FakeClock clock(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
    for (const char* text : {"2026-12-09 10:00:00", "Wed, 09 Dez 2026 10:00:00 GMT", "15:20", "junk"})
        EXPECT_DOUBLE_EQ(ParseFeedDate(QString::fromLatin1(text)), ParseNewsDate(QString::fromLatin1(text))) << text;
    TDateTime unused = 0;
    EXPECT_FALSE(ParseRfc3339Date(QStringLiteral("2026-12-09 10:00:00 junk"), unused));
}
} // namespace
