#include "organiser/NewsStore.h"
#include "organiser/OrganiserFixture.h"

#include <QDir>
#include <QFile>
#include <QTimer>

namespace {
class SchedulerTest : public OrganiserFixture {
protected:
    void SetUp() override
    {
        CreateOrganiser();
        organiser->TreeLoaded = true; // start-up has its own tests
    }
};

TEST_F(SchedulerTest, EveryDueFeedInOneTickInTreeOrder)
{
    QTreeWidgetItem* folder = AddNode(nullptr, "FLD", "folder");
    QTreeWidgetItem* a = AddNode(folder, "RSH", "A", "http://a.test/rss");
    QTreeWidgetItem* b = AddNode(nullptr, "RSH", "B", "http://b.test/rss");
    downloader.Serve("http://a.test/rss", SmallFeed("a", 2));
    downloader.Serve("http://b.test/rss", SmallFeed("b", 1));

    organiser->Timer1Timer();
    // Both start at once, the feed inside the folder first; ticks go on
    // during the batch, and one then fetches neither again.
    EXPECT_EQ(downloader.Urls(), QStringList({"http://a.test/rss", "http://b.test/rss"}));
    EXPECT_TRUE(organiser->Timer1->isActive());
    organiser->Timer1Timer();
    EXPECT_EQ(downloader.Calls().size(), 2);
    Settle();
    EXPECT_EQ(a->text(0), "a(2)");
    EXPECT_EQ(b->text(0), "b(1)");
    EXPECT_EQ(organiser->Timer1->interval(), organiser->NewsInterval);
    EXPECT_TRUE(organiser->Timer1->isActive());
    EXPECT_EQ(organiser->Store->StoresWritten(), 1); // one store for the batch

    // Both were just refreshed: a pass finds nothing and rewinds to the top.
    organiser->Timer1Timer();
    EXPECT_EQ(downloader.Calls().size(), 2);
    EXPECT_EQ(organiser->UpdatePosition.Get(), organiser->tvTree->topLevelItem(0));
}

TEST_F(SchedulerTest, SixtyMinuteRule)
{
    struct {
        int minutesAgo;
        bool due;
    } cases[] = {{59, false}, {60, false}, {61, true}, {60 * 24 * 400, true}};
    for (auto& c : cases) {
        organiser->tvTree->clear();
        organiser->UpdatePosition = nullptr;
        const QString url = QStringLiteral("http://f%1.test/").arg(c.minutesAgo);
        AddNode(nullptr, "RSH", "F", url, MinutesAgo(c.minutesAgo));
        downloader.Serve(url, SmallFeed("f", 1));
        organiser->Timer1Timer();
        Settle();
        EXPECT_EQ(downloader.CallCount(url), c.due ? 1 : 0) << c.minutesAgo;
    }
}

TEST_F(SchedulerTest, CadenceStaysShortUntilTheFirstPassEnds)
{
    AddNode(nullptr, "RSH", "A", "http://a.test/rss", MinutesAgo(10));
    EXPECT_EQ(organiser->Timer1->interval(), 4000);
    organiser->Timer1Timer(); // nothing due: the first pass ends
    EXPECT_FALSE(organiser->FirstPassPending);
    EXPECT_EQ(organiser->Timer1->interval(), organiser->NewsInterval);
}

TEST_F(SchedulerTest, EmptyTreeAndOfflineDoNothing)
{
    organiser->Timer1Timer();
    EXPECT_TRUE(downloader.Calls().isEmpty());
    EXPECT_TRUE(organiser->Timer1->isActive());

    AddNode(nullptr, "RSH", "A", "http://a.test/rss");
    online.SetConnected(false);
    organiser->Timer1Timer();
    EXPECT_TRUE(downloader.Calls().isEmpty());
    EXPECT_TRUE(organiser->Timer1->isActive());
}

TEST_F(SchedulerTest, FailedDownloadIsRetriedAfterItsBackOff)
{
    QTreeWidgetItem* a = AddNode(nullptr, "RSH", "A", "http://a.test/rss");
    downloader.Fail("http://a.test/rss");
    organiser->Timer1Timer();
    Settle();
    EXPECT_EQ(Item(a)->TimeStamp, 0.0); // not stamped
    EXPECT_FALSE(QFile::exists(data.NewsFile)); // nothing stored
    organiser->Timer1Timer();
    Settle();
    EXPECT_EQ(downloader.CallCount("http://a.test/rss"), 1); // waits an hour
    clock.Advance(60 * 60 * 1000);
    organiser->Timer1Timer();
    Settle();
    EXPECT_EQ(downloader.CallCount("http://a.test/rss"), 2);
}

TEST_F(SchedulerTest, BrokenDocumentIsStampedAndNotStored)
{
    QTreeWidgetItem* a = AddNode(nullptr, "RSH", "A", "http://a.test/rss");
    downloader.Serve("http://a.test/rss", "<?xml version=\"1.0\"?><rss><channel>");
    organiser->Timer1Timer();
    Settle();
    EXPECT_DOUBLE_EQ(Item(a)->TimeStamp, NowDateTime());
    EXPECT_FALSE(QFile::exists(data.NewsFile));
    // An "RSS" root in other letters passes the name test but cannot be bound.
    QTreeWidgetItem* b = AddNode(nullptr, "RSH", "B", "http://b.test/rss");
    downloader.Serve("http://b.test/rss", "<?xml version=\"1.0\"?><RSS><channel/></RSS>");
    organiser->Timer1Timer();
    Settle();
    EXPECT_DOUBLE_EQ(Item(b)->TimeStamp, NowDateTime());
    EXPECT_EQ(b->childCount(), 0);
}

TEST_F(SchedulerTest, OtherDocumentsAreStoredButAddNothing)
{
    // An Atom feed without entries makes its feed node and nothing more.
    struct {
        QByteArray body;
        int added;
    } cases[] = {
        {"<?xml version=\"1.0\"?><feed xmlns=\"http://www.w3.org/2005/Atom\"><title>x</title></feed>", 1},
        {"<?xml version=\"1.0\"?><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"/>", 0},
    };
    for (auto& c : cases) {
        const QString url = QStringLiteral("http://other%1.test/").arg(&c - cases);
        QFile::remove(data.NewsFile);
        const int before = data.NewsList.Count();
        EXPECT_EQ(organiser->LoadFeedURL(url, nullptr), nullptr);
        organiser->WaitForStore();
        downloader.Serve(url, c.body);
        QTreeWidgetItem* result = organiser->LoadFeedURL(url, nullptr);
        EXPECT_EQ(result != nullptr, c.added > 0);
        organiser->WaitForStore();
        EXPECT_TRUE(QFile::exists(data.NewsFile)) << c.body.constData();
        EXPECT_EQ(data.NewsList.Count(), before + c.added);
    }
}

TEST_F(SchedulerTest, UserFetchReportsEveryFetchWithoutANodeOnce)
{
    // A failed download, offline, a document that is no feed, a parse
    // failure: one box each, naming the URL. The scheduler shows none.
    downloader.Fail("http://gone.test/");
    downloader.Serve("http://atom.test/", "<?xml version=\"1.0\"?><feed/>");
    downloader.Serve("http://broken.test/", "<?xml version=\"1.0\"?><rss><channel>");
    struct {
        const char* url;
        bool connected;
        const char* message;
    } cases[] = {{"http://gone.test/", true, "Error downloading \"%1\""},
                 {"http://gone.test/", false, "Error downloading \"%1\""},
                 {"http://atom.test/", true, "\"%1\" is not a feed Quorbel can read"},
                 {"http://broken.test/", true, "Error downloading \"%1\""}};
    for (auto& c : cases) {
        dialogs.messages.clear();
        online.SetConnected(c.connected);
        EXPECT_EQ(organiser->LoadFeedURL(c.url, nullptr), nullptr);
        EXPECT_EQ(dialogs.messages, QStringList{QString::fromLatin1(c.message).arg(c.url)}) << c.url;
    }

    dialogs.messages.clear();
    online.SetConnected(true);
    AddNode(nullptr, "RSH", "G", "http://gone.test/");
    AddNode(nullptr, "RSH", "B", "http://broken.test/");
    organiser->Timer1Timer();
    organiser->Timer1Timer();
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(SchedulerTest, NoNestedFetch)
{
    QTreeWidgetItem* a = AddNode(nullptr, "RSH", "A", "http://a.test/rss");
    AddNode(nullptr, "RSH", "B", "http://b.test/rss");
    downloader.Serve("http://a.test/rss", SmallFeed("a", 1));
    downloader.Serve("http://b.test/rss", SmallFeed("b", 1));
    downloader.Serve("http://user.test/rss", SmallFeed("user", 1));
    bool nested = false;
    downloader.SetDuringDownload([&](const QString& url) {
        if (url != "http://a.test/rss" || nested)
            return;
        nested = true;
        // Events run during the transfer: a tick and a user fetch arrive.
        organiser->Timer1Timer();
        EXPECT_EQ(organiser->LoadFeedURL("http://user.test/rss", nullptr), nullptr);
        EXPECT_EQ(downloader.Calls().size(), 0u); // nothing started while A runs
    });
    organiser->Timer1Timer();
    auto feedCalls = [&] {
        QStringList urls; // the new feed's site-icon attempts aside
        for (const auto& call : downloader.Calls())
            if (call.url.endsWith("/rss"))
                urls << call.url;
        return urls;
    };
    EXPECT_EQ(feedCalls(), (QStringList{"http://a.test/rss", "http://b.test/rss"}));
    // The user's fetch runs right after the tick, ahead of the batch's merges.
    QCoreApplication::processEvents();
    EXPECT_EQ(feedCalls(), (QStringList{"http://a.test/rss", "http://b.test/rss", "http://user.test/rss"}));
    EXPECT_EQ(a->text(0), "A");
    Settle();
    EXPECT_EQ(a->text(0), "a(1)");
    EXPECT_FALSE(organiser->FetchInProgress());
}

TEST_F(SchedulerTest, StartUpBuildsTheViewsFromTheList)
{
    organiser->TreeLoaded = false;
    TTreeItem feed("RSH", "F", "http://f.test/rss", "", "", "0");
    feed.IconIdx = imgFeed;
    feed.TimeStamp = MinutesAgo(5);
    feed.FirstChild = 1;
    feed.NextSibling = -1;
    TTreeItem news("RSS", "news", "http://f.test/1.mp3", "", "", "2026-12-09 11:00:00");
    news.FirstChild = -1;
    news.NextSibling = -1;
    data.NewsList.AddCopy(feed);
    data.NewsList.AddCopy(news);
    organiser->Timer1Timer();
    EXPECT_TRUE(organiser->TreeLoaded);
    ASSERT_EQ(organiser->tvTree->topLevelItemCount(), 1);
    EXPECT_EQ(organiser->tvTree->topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(organiser->tvAudio->topLevelItemCount(), 1);
    EXPECT_EQ(organiser->tvTheme->topLevelItemCount(), 1);
    EXPECT_TRUE(downloader.Calls().isEmpty()); // refreshed five minutes ago
    EXPECT_EQ(organiser->Timer1->interval(), organiser->NewsInterval);
}

TEST_F(SchedulerTest, RestartFeedUpdatesRewindsAndTicks)
{
    AddNode(nullptr, "RSH", "A", "http://a.test/rss");
    downloader.Serve("http://a.test/rss", SmallFeed("a", 1));
    organiser->UpdatePosition = nullptr;
    organiser->RestartFeedUpdates();
    EXPECT_EQ(downloader.CallCount("http://a.test/rss"), 1);
    Settle();
    EXPECT_TRUE(organiser->Timer1->isActive());
}

TEST_F(SchedulerTest, ReloadRequestRunsAfterTheCommandReturns)
{
    QTreeWidgetItem* a = AddNode(nullptr, "RSH", "A", "http://a.test/rss", NowDateTime());
    downloader.Serve("http://a.test/rss", SmallFeed("a", 3));
    organiser->PageControl1->setCurrentIndex(5);
    organiser->tvTree->setCurrentItem(a);
    organiser->PostReload();
    EXPECT_TRUE(downloader.Calls().isEmpty()); // deferred
    QCoreApplication::processEvents();
    EXPECT_EQ(downloader.CallCount("http://a.test/rss"), 1);
    EXPECT_TRUE(a->isExpanded());
    EXPECT_EQ(a->childCount(), 3);
}
} // namespace

namespace {
TEST_F(SchedulerTest, UnreadableScratchFileIsReportedNotFatal)
{
    // A folder where the scratch file should be: it "exists" but cannot be read.
    ASSERT_TRUE(QDir().mkpath(data.ScratchFile));
    downloader.Serve("http://a.test/rss", SmallFeed("a", 1));
    EXPECT_EQ(organiser->LoadFeedURL("http://a.test/rss", nullptr), nullptr);
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_TRUE(dialogs.messages.last().contains("rss.xml"));

    // The scheduler swallows it and keeps going.
    AddNode(nullptr, "RSH", "A", "http://a.test/rss");
    organiser->Timer1Timer();
    EXPECT_TRUE(organiser->Timer1->isActive());
    EXPECT_FALSE(organiser->FetchInProgress());
}
} // namespace
