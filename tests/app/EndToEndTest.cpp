// The whole program on a temporary program folder: the real data module,
// ticker and organiser offscreen, three feeds served over loopback, the
// scheduler driven by calling its tick.
#include "app/NewsGlobals.h"
#include "model/ViewNodes.h"
#include "organiser/NewsFeeders.h"
#include "organiser/NewsStore.h"
#include "support/FakeClock.h"
#include "support/FakeConnectivity.h"
#include "support/LocalHttpServer.h"
#include "support/TempFolder.h"
#include "ticker/RssViews.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {
const QByteArray kGoodFeed = R"(<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0"><channel><title>Loopback News</title><description>Served locally</description>
<item><title>First &amp; foremost</title><link>http://news.test/1</link><description>&lt;p&gt;One&lt;/p&gt;</description><pubDate>Wed, 09 Dez 2026 09:00:00 GMT</pubDate></item>
<item><title>Second</title><link>http://news.test/2</link><description>Two</description><pubDate>Wed, 09 Dez 2026 10:00:00 GMT</pubDate></item>
<item><title>Podcast</title><description>Three</description><pubDate>Wed, 09 Dez 2026 11:00:00 GMT</pubDate><enclosure url="http://news.test/ep.mp3" type="audio/mpeg"/></item>
</channel></rss>)";

const QByteArray kBrokenFeed = "<?xml version=\"1.0\"?><rss><channel><title>Broken</title><item></channel>";

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.Serve("/good.rss", kGoodFeed, "application/rss+xml");
        server.Serve("/broken.xml", kBrokenFeed, "text/xml");
        server.Serve("/missing.rss", "not here", "text/plain", 404);

        // A stored tree of three feeds, never refreshed.
        TTreeList list;
        const QStringList paths{"/good.rss", "/broken.xml", "/missing.rss"};
        for (int i = 0; i < paths.size(); ++i) {
            TTreeItem feed(kFeed, QStringLiteral("Feed %1").arg(i), server.Url(paths[i]), "", "", "0");
            feed.FirstChild = -1;
            feed.NextSibling = i + 1 < paths.size() ? i + 1 : -1;
            list.AddCopy(feed);
        }
        ASSERT_TRUE(list.SaveContainer(home.File("News.qbx")));
        storedBytes = ReadFile(home.File("News.qbx"));

        // A back-up from last week, due for replacement.
        QFile bak(home.File("News.bak"));
        ASSERT_TRUE(bak.open(QIODevice::WriteOnly));
        bak.write("old backup");
        bak.close();
        ASSERT_TRUE(bak.open(QIODevice::Append));
        bak.setFileTime(QDateTime(QDate(2026, 12, 1), QTime(8, 0)), QFileDevice::FileModificationTime);
        bak.close();

        data = std::make_unique<TNewsData>(home.Path());
        ticker = std::make_unique<TRSSView>([this](TRSSView* view) {
            organiser = std::make_unique<TNewsFeeder>(view);
            return organiser.get();
        });
        ASSERT_NE(organiser, nullptr);
        // The test drives the scheduler itself.
        organiser->NewsInterval = 3600 * 1000;
        organiser->Timer1->setInterval(3600 * 1000);
    }

    void TearDown() override
    {
        organiser.reset();
        ticker.reset();
        data.reset();
    }

    static QByteArray ReadFile(const QString& name)
    {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    TTreeItem* Item(QTreeWidgetItem* node) { return data->NodeItem(node); }

    // A tick, then the batch's downloads and merges, then the store.
    void Tick()
    {
        organiser->Timer1Timer();
        QElapsedTimer waited;
        waited.start();
        while (!organiser->Pipeline->IsIdle() && waited.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        organiser->WaitForStore();
    }

    FakeClock clock{QDateTime(QDate(2026, 12, 9), QTime(12, 0))};
    FakeConnectivity online{true};
    LocalHttpServer server;
    TempProgramFolder home;
    QByteArray storedBytes;
    std::unique_ptr<TNewsData> data;
    std::unique_ptr<TNewsFeeder> organiser;
    std::unique_ptr<TRSSView> ticker;
};

TEST_F(EndToEndTest, ThreeFeedsThroughTheScheduler)
{
    EXPECT_EQ(data->NewsList.Count(), 3);
    EXPECT_EQ(organiser->tvTree->topLevelItemCount(), 0); // built by the first tick
    EXPECT_TRUE(ticker->Paused);

    // First tick: start-up, then every due feed at once.
    Tick();
    EXPECT_TRUE(organiser->TreeLoaded);
    EXPECT_FALSE(ticker->Paused);
    EXPECT_EQ(server.RequestCount("/good.rss"), 1);
    EXPECT_EQ(server.RequestCount("/broken.xml"), 1);
    EXPECT_EQ(server.RequestCount("/missing.rss"), 1);
    ASSERT_EQ(organiser->tvTree->topLevelItemCount(), 3);
    QTreeWidgetItem* good = organiser->tvTree->topLevelItem(0);
    EXPECT_EQ(good->text(0), "Loopback News(3)");
    ASSERT_EQ(good->childCount(), 3);
    // In the document's order.
    EXPECT_EQ(good->child(2)->text(0), "Podcast");
    EXPECT_EQ(Item(good->child(2))->Link, "http://news.test/ep.mp3");
    EXPECT_EQ(good->child(0)->text(0), "First & foremost");
    EXPECT_EQ(organiser->Timer1->interval(), organiser->NewsInterval);
    EXPECT_TRUE(organiser->Timer1->isActive()); // the next tick after the batch

    // One store after the batch, with the back-up of the file as it was.
    EXPECT_EQ(organiser->Store->StoresWritten(), 1);
    EXPECT_EQ(ReadFile(home.File("News.bak")), storedBytes);
    TTreeList stored;
    ASSERT_TRUE(stored.LoadContainer(home.File("News.qbx")));
    ASSERT_EQ(stored.Count(), 6);
    EXPECT_EQ(stored.Items(0)->Title, "Loopback News(3)");
    EXPECT_EQ(stored.Items(0)->FirstChild, 1);
    EXPECT_EQ(stored.Items(3)->Title, "Podcast");
    EXPECT_EQ(stored.Items(1)->Description, "<p>One</p>");

    // The ticker plays the new items (all dated today).
    EXPECT_EQ(ticker->PlayList.Count(), 3);
    EXPECT_EQ(ticker->Queue.size(), 3u);

    // The derived views.
    EXPECT_EQ(organiser->tvWeb->topLevelItemCount(), 3);
    EXPECT_EQ(organiser->tvAudio->topLevelItemCount(), 1);
    ASSERT_GE(organiser->tvTheme->topLevelItemCount(), 1);

    // The broken document is stamped; the 404 leaves its feed as it was.
    QTreeWidgetItem* broken = organiser->tvTree->topLevelItem(1);
    EXPECT_DOUBLE_EQ(Item(broken)->TimeStamp, NowDateTime());
    EXPECT_EQ(broken->childCount(), 0);
    QTreeWidgetItem* missing = organiser->tvTree->topLevelItem(2);
    EXPECT_EQ(Item(missing)->TimeStamp, 0.0);

    // Half an hour later nothing is due: the 404 feed waits an hour after its failure.
    const QByteArray afterFirst = ReadFile(home.File("News.qbx"));
    clock.Advance(30 * 60 * 1000);
    Tick();
    EXPECT_EQ(server.RequestCount("/good.rss"), 1);
    EXPECT_EQ(server.RequestCount("/broken.xml"), 1);
    EXPECT_EQ(server.RequestCount("/missing.rss"), 1);
    EXPECT_EQ(ReadFile(home.File("News.qbx")), afterFirst);
    // 61 minutes after their refresh all three are due again, in one tick.
    clock.Advance(31 * 60 * 1000);
    Tick();
    EXPECT_EQ(server.RequestCount("/good.rss"), 2);
    EXPECT_EQ(server.RequestCount("/broken.xml"), 2);
    EXPECT_EQ(server.RequestCount("/missing.rss"), 2);
}

TEST_F(EndToEndTest, OfflineStartShowsTheOrganiserAndFetchesNothing)
{
    online.SetConnected(false);
    organiser->Timer1Timer();
    organiser->WaitForStore();
    EXPECT_TRUE(organiser->TreeLoaded);
    EXPECT_TRUE(organiser->isVisible());
    EXPECT_EQ(organiser->Timer1->interval(), organiser->NewsInterval);
    EXPECT_EQ(server.RequestCount("/good.rss"), 0);
    EXPECT_EQ(ReadFile(home.File("News.qbx")), storedBytes); // nothing stored
    EXPECT_EQ(ticker->lbRss->text(), "Show All News...");
}

TEST_F(EndToEndTest, ClosingTheOrganiserStoresAndHides)
{
    Tick();
    organiser->show();
    organiser->close();
    organiser->WaitForStore();
    EXPECT_FALSE(organiser->isVisible());
    TTreeList stored;
    ASSERT_TRUE(stored.LoadContainer(home.File("News.qbx")));
    EXPECT_EQ(stored.Count(), 6);
}
} // namespace
