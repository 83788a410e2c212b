// Nothing uses a tree node after it is gone: the busy state defers program
// end and deleting commands until no operation holds nodes, node handles see
// through reused addresses, and the transfer in progress is cancelled.
#include "organiser/OrganiserFixture.h"

#include "feeds/URLTools.h"
#include "platform/QtDownloader.h"
#include "support/LocalHttpServer.h"

#include <QFile>
#include <QTimer>

namespace {
class NodeSafetyTest : public OrganiserFixture {
protected:
    void SetUp() override
    {
        CreateOrganiser();
        organiser->TreeLoaded = true;
    }
};

TEST_F(NodeSafetyTest, CloseAllDuringAStalledDownloadRunsRightAfterTheCancelledFetch)
{
    LocalHttpServer server;
    server.Stall("/rss", true);
    QtDownloader network; // its stall limit is far longer than this test
    SetDownloader(&network);
    QTreeWidgetItem* feed = AddNode(nullptr, "RSH", "F", server.Url("/rss"), MinutesAgo(120));
    const TDateTime stamp = Item(feed)->TimeStamp;

    int ends = 0;
    bool fetchReturned = false;
    bool endedInsideFetch = false;
    QObject::connect(organiser.get(), &TNewsFeeder::programEndRequested, [&] {
        ++ends;
        endedInsideFetch = !fetchReturned;
    });
    // Close All arrives while the download waits for a server that says nothing.
    QTimer::singleShot(50, organiser.get(), [&] { organiser->acCloseAll->trigger(); });
    EXPECT_EQ(organiser->LoadFeedURL(server.Url("/rss"), feed), nullptr);
    fetchReturned = true;

    // The fetch ended as a failed download: no stamp, no store, no box.
    EXPECT_EQ(network.LastFailure(), QtDownloader::Failure::Cancelled);
    EXPECT_DOUBLE_EQ(Item(feed)->TimeStamp, stamp);
    EXPECT_FALSE(QFile::exists(data.NewsFile));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(ends, 0);

    // Right after it, the close handling stores the tree once and the program may end.
    QCoreApplication::processEvents();
    EXPECT_EQ(ends, 1);
    EXPECT_FALSE(endedInsideFetch);
    EXPECT_TRUE(QFile::exists(data.NewsFile));
    EXPECT_FALSE(DownloadsCancelled());
    organiser->acCloseAll->trigger(); // asking again changes nothing
    QCoreApplication::processEvents();
    EXPECT_EQ(ends, 1);

    organiser.reset(); // as at program end: the windows go, with their nodes
    SetDownloader(&downloader);
}

TEST_F(NodeSafetyTest, DeletingCommandWaitsForTheFetchThatHoldsTheNode)
{
    QTreeWidgetItem* feed = AddNode(nullptr, "RSH", "F", "http://f.test/rss", MinutesAgo(120));
    const TDateTime stamp = Item(feed)->TimeStamp;
    downloader.Serve("http://f.test/rss", SmallFeed("f", 2));
    const TNodeRef ref(feed);
    bool deleted = false;
    downloader.SetDuringDownload([&](const QString& url) {
        if (url != "http://f.test/rss")
            return;
        // A delete chosen while the feed downloads: it may not run now.
        organiser->Busy->RunWhenIdle(
            [&] {
                delete ref.Get();
                deleted = true;
            },
            true);
        EXPECT_FALSE(deleted);
    });
    organiser->Timer1Timer();
    EXPECT_FALSE(deleted);
    EXPECT_EQ(ref.Get(), feed);
    EXPECT_DOUBLE_EQ(Item(feed)->TimeStamp, stamp); // cancelled: a failed download
    EXPECT_EQ(feed->childCount(), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(deleted);
    EXPECT_EQ(ref.Get(), nullptr);
    EXPECT_EQ(organiser->UpdatePosition.Get(), nullptr);
    organiser->Timer1Timer(); // the scheduler carries on from the top
}

TEST_F(NodeSafetyTest, UpdatePositionNeverPointsAtANodeTheMergeDeleted)
{
    // The next feed after F is nested in F; F keeps only its latest items, so
    // its refresh deletes the feed the scheduler was going to continue with.
    QTreeWidgetItem* f = AddNode(nullptr, "RSH", "F", "http://f.test/rss", MinutesAgo(120));
    Item(f)->SetOption(kOptStorageDays, "-1");
    AddNode(f, "RSH", "nested", "http://nested.test/rss", MinutesAgo(120));
    QTreeWidgetItem* after = AddNode(nullptr, "RSH", "G", "http://g.test/rss", MinutesAgo(120));
    downloader.Serve("http://f.test/rss", SmallFeed("f", 1));
    downloader.Serve("http://g.test/rss", SmallFeed("g", 1));
    // All three download in one batch; the nested feed is gone by its merge.
    organiser->Timer1Timer();
    Settle();
    EXPECT_EQ(f->childCount(), 1);
    EXPECT_EQ(organiser->UpdatePosition.Get(), f);
    EXPECT_EQ(downloader.CallCount("http://g.test/rss"), 1);
    EXPECT_EQ(after->text(0), "g(1)");
}

TEST_F(NodeSafetyTest, UserFetchesAskedForDuringAFetchRunAfterItInTurn)
{
    AddNode(nullptr, "RSH", "A", "http://a.test/rss", MinutesAgo(120));
    for (const char* name : {"a", "one", "two", "three"})
        downloader.Serve(QStringLiteral("http://%1.test/rss").arg(name), SmallFeed(name, 1));
    downloader.SetDuringDownload([&](const QString& url) {
        if (url != "http://a.test/rss")
            return;
        for (const char* name : {"one", "two", "three"})
            EXPECT_EQ(organiser->LoadFeedURL(QStringLiteral("http://%1.test/rss").arg(name), nullptr), nullptr);
    });
    organiser->Timer1Timer();
    QCoreApplication::processEvents();
    QStringList feeds;
    for (const auto& call : downloader.Calls())
        if (call.url.endsWith("/rss"))
            feeds << call.url;
    EXPECT_EQ(feeds, (QStringList{"http://a.test/rss", "http://one.test/rss", "http://two.test/rss",
                                  "http://three.test/rss"}));
    EXPECT_FALSE(organiser->Busy->HasPending());
}

TEST(NodeRefTest, AReusedAddressIsNotTheOldNode)
{
    QTreeWidget view;
    QTreeWidgetItem* node = AddViewNode(&view, nullptr, "old", 0);
    const TNodeRef ref(node);
    EXPECT_EQ(ref.In(&view), node);
    QTreeWidget other;
    EXPECT_EQ(ref.In(&other), nullptr);
    delete node;
    EXPECT_EQ(ref.Get(), nullptr);
    // New nodes of the same size tend to take the freed place.
    std::vector<QTreeWidgetItem*> fresh;
    for (int i = 0; i < 8; ++i)
        fresh.push_back(AddViewNode(&view, nullptr, "new", i));
    EXPECT_EQ(ref.Get(), nullptr);
    EXPECT_TRUE(TNodeRef(nullptr).IsNull());
    // Clones stay nodes of ours, each with its own handle.
    QTreeWidgetItem* copy = fresh[0]->clone();
    EXPECT_NE(TNodeRef(copy).Get(), nullptr);
    EXPECT_NE(TNodeRef(copy), TNodeRef(fresh[0]));
    delete copy;
}
} // namespace
