// The feeds' fetch states: back-off, Retry-After, moves, gone, and the side file.
#include "feeds/FeedStates.h"

#include "platform/Downloader.h"

#include <QDateTime>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {
constexpr qint64 kH = TFeedStates::kHour;
const qint64 kNow = QDateTime(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC).toMSecsSinceEpoch();

TDownloadAnswer Answer(int status, const QByteArray& retryAfter = {})
{
    TDownloadAnswer a;
    a.status = status;
    a.retryAfter = retryAfter;
    return a;
}
} // namespace

TEST(FeedStatesTest, BackOffDoublesToADay)
{
    const qint64 expected[] = {0, 1, 2, 4, 8, 16, 24, 24, 24};
    for (int n = 0; n < 9; ++n)
        EXPECT_EQ(TFeedStates::BackOff(n), expected[n] * kH) << n;
    EXPECT_EQ(TFeedStates::BackOff(1000), 24 * kH);

    // The scheduler waits that long after each failure in a row; a success ends it.
    TFeedStates states;
    const QString url = QStringLiteral("http://a.test/rss");
    for (int n = 1; n <= 7; ++n) {
        states.RecordFailure(url, Answer(404), kNow);
        EXPECT_FALSE(states.MayFetch(url, kNow + TFeedStates::BackOff(n) - 1)) << n;
        EXPECT_TRUE(states.MayFetch(url, kNow + TFeedStates::BackOff(n))) << n;
    }
    TDownloadAnswer cancelled = Answer(0);
    cancelled.cancelled = true;
    states.RecordFailure(url, cancelled, kNow); // no failure of the feed's
    EXPECT_EQ(states.Find(url)->failures, 7);
    states.RecordSuccess(url, Answer(200), kNow);
    EXPECT_TRUE(states.MayFetch(url, kNow));
    EXPECT_EQ(states.Count(), 0); // nothing left worth keeping
}

TEST(FeedStatesTest, RetryAfterIsReadOnlyWhereItMeansSomething)
{
    const struct {
        int status;
        const char* value;
        qint64 wait; // from now; 0: ignored
    } cases[] = {
        {429, "120", 120 * 1000},
        {503, "3600", kH},
        {503, "31536000", 24 * kH},                            // a year: the cap
        {503, "99999999999999999999", 24 * kH},                // beyond any integer: the cap
        {429, "Wed, 09 Dec 2026 15:00:00 GMT", 3 * kH},        // an HTTP date
        {429, "Wednesday, 09-Dec-26 13:00:00 GMT", kH},        // the old form
        {429, "Wed, 09 Dec 2026 11:00:00 GMT", 0},             // in the past
        {429, "0", 0},
        {429, "-5", 0},
        {429, "soon", 0},
        {429, "", 0},
        {404, "120", 0},                                       // not asked for
        {200, "120", 0},
    };
    for (const auto& c : cases) {
        const qint64 when = TFeedStates::RetryAfterTime(c.status, c.value, kNow);
        EXPECT_EQ(when ? when - kNow : 0, c.wait) << c.status << " " << c.value;
    }
    // It lengthens the back-off, never shortens it.
    TFeedStates states;
    states.RecordFailure("u", Answer(503, "7200"), kNow);
    EXPECT_EQ(states.Find("u")->nextTry, kNow + 2 * kH);
    states.RecordFailure("u", Answer(503, "60"), kNow);
    EXPECT_EQ(states.Find("u")->nextTry, kNow + 2 * kH); // the second failure's own wait
}

TEST(FeedStatesTest, ValidatorsMovesAndGone)
{
    TFeedStates states;
    TDownloadAnswer ok = Answer(200);
    ok.etag = "\"abc\"";
    ok.lastModified = "Tue, 08 Dec 2026 10:00:00 GMT";
    states.RecordSuccess("u", ok, kNow);
    EXPECT_EQ(states.EtagOf("u"), "\"abc\"");
    // A 304 without validators keeps ours; an ETag of 100 KB or with a line
    // break is not kept.
    TDownloadAnswer same = Answer(304);
    same.notModified = true;
    states.RecordSuccess("u", same, kNow);
    EXPECT_EQ(states.LastModifiedOf("u"), ok.lastModified);
    for (const QByteArray& bad : {QByteArray(100 * 1024, 'e'), QByteArray("\"a\"\r\nX-Evil: 1")}) {
        TDownloadAnswer huge = ok;
        huge.etag = bad;
        states.RecordSuccess("u", huge, kNow);
        EXPECT_TRUE(states.EtagOf("u").isEmpty());
    }

    // The same permanent target three times in a row; another answer restarts the count.
    TDownloadAnswer moved = Answer(200);
    moved.movedTo = "http://new.test/rss";
    EXPECT_EQ(states.RecordMove("u", moved), QString());
    EXPECT_EQ(states.RecordMove("u", moved), QString());
    EXPECT_EQ(states.RecordMove("u", Answer(200)), QString());
    EXPECT_EQ(states.RecordMove("u", moved), QString());
    EXPECT_EQ(states.RecordMove("u", moved), QString());
    EXPECT_EQ(states.RecordMove("u", moved), "http://new.test/rss");
    states.Rename("u", "http://new.test/rss");
    EXPECT_EQ(states.EtagOf("http://new.test/rss"), QByteArray());
    EXPECT_EQ(states.LastModifiedOf("http://new.test/rss"), ok.lastModified);
    EXPECT_EQ(states.Find("u"), nullptr);

    states.RecordFailure("g", Answer(410), kNow);
    EXPECT_TRUE(states.IsGone("g"));
    EXPECT_FALSE(states.MayFetch("g", kNow + 100 * kH));
    EXPECT_TRUE(states.TakeGoneNotice("g"));
    EXPECT_FALSE(states.TakeGoneNotice("g")); // once
    states.RecordSuccess("g", Answer(200), kNow);
    EXPECT_FALSE(states.IsGone("g"));
}

TEST(FeedStatesTest, SideFileRoundTripsAndSurvivesDamage)
{
    TFeedStates states;
    TDownloadAnswer ok = Answer(200);
    ok.etag = "W/\"space here%\"";
    states.RecordSuccess("http://a.test/?x=1\t2", ok, kNow);
    states.RecordFailure("http://b.test/", Answer(410), kNow);
    states.RecordFailure("http://gone-from-tree.test/", Answer(500), kNow);
    const QByteArray text = states.Serialise({"http://a.test/?x=1\t2", "http://b.test/"});
    TFeedStates read;
    ASSERT_TRUE(read.Parse(text));
    EXPECT_EQ(read.Count(), 2); // only feeds still in the tree
    EXPECT_EQ(read.EtagOf("http://a.test/?x=1\t2"), ok.etag);
    EXPECT_TRUE(read.IsGone("http://b.test/"));
    EXPECT_EQ(read.Find("http://b.test/")->nextTry, kNow + kH);
    EXPECT_EQ(read.Serialise({"http://a.test/?x=1\t2", "http://b.test/"}), text);

    // Another version, another file, garbage: nothing; bad lines alone are skipped.
    const QByteArray header = text.left(text.indexOf('\n') + 1);
    const struct {
        QByteArray text;
        bool ours;
        int count;
    } cases[] = {
        {"QuorbelFeedStates\t2\nhttp://a\t\t\t0\t0\t0\t\t0\t0\t0\n", false, 0},
        {"\x1f\x8b\x08garbage", false, 0},
        {"", false, 0},
        {header + "u\tE\t\t1\t5\t0\t\t0\t0\t0\nshort\tline\n" + "v\t\t\tnotanumber\t0\t0\t\t0\t0\t0\n"
             + "w\t\t\t999\t0\t0\t\t0\t0\t0\n" + "x\t\t\t1\t0\t0\t\t0\t7\t0\n",
         true, 1},
    };
    for (const auto& c : cases) {
        TFeedStates s;
        EXPECT_EQ(s.Parse(c.text), c.ours);
        EXPECT_EQ(s.Count(), c.count);
    }
}
