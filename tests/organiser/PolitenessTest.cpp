// Fetching politely: conditional refreshes, back-off, moves, gone feeds and
// the side file that keeps them between runs.
#include "feeds/FeedStates.h"
#include "organiser/OrganiserFixture.h"

#include <QFile>

namespace {
class PolitenessTest : public OrganiserFixture {
protected:
    PolitenessTest()
    {
        CreateOrganiser();
        organiser->TreeLoaded = true; // start-up has its own tests
    }

    QTreeWidgetItem* ServedFeed(const QString& url, int items, const QByteArray& etag = "\"1\"")
    {
        downloader.Serve(url, SmallFeed("a", items));
        FakeDownloader::Headers h;
        h.etag = etag;
        h.lastModified = "Tue, 08 Dec 2026 10:00:00 GMT";
        downloader.SetHeaders(url, h);
        return AddNode(nullptr, kFeed, "A", url);
    }
    void HoursLater(int hours) { clock.Advance(hours * 3600 * 1000); }
};
} // namespace

TEST_F(PolitenessTest, NotModifiedIsARefreshWithNothingNewAndNothingStored)
{
    QTreeWidgetItem* a = ServedFeed("http://a.test/rss", 3);
    ASSERT_EQ(organiser->LoadFeedURL("http://a.test/rss", a), a);
    organiser->WaitForStore();
    EXPECT_EQ(a->text(0), "a(3)");
    EXPECT_TRUE(downloader.requests.last().etag.isEmpty()); // nothing to send yet
    QFile::remove(data.NewsFile);

    HoursLater(2);
    organiser->Timer1Timer();
    Settle();
    ASSERT_EQ(downloader.requests.size(), 2);
    EXPECT_EQ(downloader.requests.last().etag, "\"1\"");
    EXPECT_EQ(downloader.requests.last().lastModified, "Tue, 08 Dec 2026 10:00:00 GMT");
    EXPECT_EQ(a->text(0), "a(0 of 3)");
    EXPECT_EQ(Item(a)->Title, "a(0 of 3)");
    EXPECT_DOUBLE_EQ(Item(a)->TimeStamp, NowDateTime());
    EXPECT_EQ(a->childCount(), 3);
    EXPECT_FALSE(QFile::exists(data.NewsFile));

    // A pasted URL of a subscribed feed refreshes that feed, conditionally;
    // a new address asks unconditionally.
    organiser->LoadFeedURL("http://a.test/rss", nullptr);
    EXPECT_EQ(downloader.requests.last().etag, "\"1\"");
    ServedFeed("http://b.test/rss", 1);
    organiser->tvTree->clear();
    organiser->LoadFeedURL("http://b.test/rss", nullptr);
    EXPECT_TRUE(downloader.requests.last().etag.isEmpty());
}

TEST_F(PolitenessTest, FailingFeedsBackOffForTheSchedulerOnly)
{
    QTreeWidgetItem* a = AddNode(nullptr, kFeed, "A", "http://a.test/rss");
    FakeDownloader::Headers h;
    h.failStatus = 404;
    downloader.SetHeaders("http://a.test/rss", h);
    downloader.Fail("http://a.test/rss");
    // Ticks an hour apart: tried after 1, 2, 4 hours, not in between.
    QList<int> triedAtHour;
    for (int hour = 0; hour <= 8; ++hour) {
        const int before = downloader.CallCount("http://a.test/rss");
        organiser->Timer1Timer();
        Settle();
        if (downloader.CallCount("http://a.test/rss") > before)
            triedAtHour << hour;
        HoursLater(1);
    }
    EXPECT_EQ(triedAtHour, QList<int>({0, 1, 3, 7}));
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // A user command fetches at once and says why.
    EXPECT_EQ(organiser->LoadFeedURL("http://a.test/rss", a), nullptr);
    EXPECT_EQ(dialogs.messages, QStringList{"Error downloading \"http://a.test/rss\"\r\nHTTP 404"});
}

TEST_F(PolitenessTest, GoneFeedsAreToldOnceAndLeftAlone)
{
    AddNode(nullptr, kFeed, "G", "http://g.test/rss");
    FakeDownloader::Headers h;
    h.failStatus = 410;
    downloader.SetHeaders("http://g.test/rss", h);
    downloader.Fail("http://g.test/rss");
    for (int day = 0; day < 3; ++day) {
        organiser->Timer1Timer();
        Settle();
        HoursLater(25);
    }
    EXPECT_EQ(downloader.CallCount("http://g.test/rss"), 1);
    EXPECT_EQ(dialogs.messages, QStringList{"\"http://g.test/rss\" is gone for good (the server says so): "
                                            "Quorbel no longer refreshes it by itself"});
}

TEST_F(PolitenessTest, ThreePermanentMovesInARowChangeTheLink)
{
    QTreeWidgetItem* a = ServedFeed("http://old.test/rss", 1);
    QTreeWidgetItem* b = ServedFeed("http://taken.test/rss", 1);
    AddNode(nullptr, kFeed, "C", "http://other.test/rss");
    FakeDownloader::Headers moved;
    moved.movedTo = "http://new.test/rss";
    downloader.SetHeaders("http://old.test/rss", moved);
    moved.movedTo = "http://other.test/rss"; // another feed of the tree reads it
    downloader.SetHeaders("http://taken.test/rss", moved);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(Item(a)->Link, "http://old.test/rss") << i;
        organiser->LoadFeedURL(Item(a)->Link, a);
        organiser->LoadFeedURL(Item(b)->Link, b);
    }
    EXPECT_EQ(Item(a)->Link, "http://new.test/rss");
    EXPECT_EQ(Item(b)->Link, "http://taken.test/rss");
}

TEST_F(PolitenessTest, SideFileIsWrittenWithTheStoreAndReadAtStart)
{
    QTreeWidgetItem* a = ServedFeed("http://a.test/rss", 1, "\"kept\"");
    AddNode(nullptr, kFeed, "B", "http://b.test/rss");
    downloader.Fail("http://b.test/rss");
    organiser->LoadFeedURL("http://a.test/rss", a);
    organiser->LoadFeedURL("http://b.test/rss", nullptr);
    organiser->SaveNewsWithBackup();
    organiser->WaitForStore();
    const QString path = organiser->FeedStatesPath();
    EXPECT_TRUE(path.endsWith("/News.feeds"));
    ASSERT_TRUE(QFile::exists(path));

    organiser.reset();
    CreateOrganiser();
    organiser->TreeLoaded = true;
    EXPECT_EQ(organiser->FeedStates->EtagOf("http://a.test/rss"), "\"kept\"");
    EXPECT_FALSE(organiser->FeedMayBeScheduled("http://b.test/rss"));

    // A damaged file: the organiser starts with nothing remembered.
    organiser.reset();
    QFile damaged(path);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray("\0\1\2garbage", 10));
    damaged.close();
    CreateOrganiser();
    EXPECT_EQ(organiser->FeedStates->Count(), 0);
}
