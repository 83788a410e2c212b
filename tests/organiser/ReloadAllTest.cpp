// Reload All over the organiser's tree, with the update-all window.
#include "feeds/UpdateAll.h"
#include "organiser/OrganiserFixture.h"
#include "platform/QtDownloader.h"
#include "support/LocalHttpServer.h"
#include "widgets/HTProgressBar.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>

namespace {
class ReloadAllTest : public OrganiserFixture {
protected:
    ReloadAllTest() { CreateOrganiser(); }

    // n feeds, the last one inside a folder; each served.
    QList<QTreeWidgetItem*> AddFeeds(int n)
    {
        QList<QTreeWidgetItem*> feeds;
        QTreeWidgetItem* folder = AddNode(nullptr, kFolder, "Folder");
        for (int i = 1; i <= n; ++i) {
            const QString url = QStringLiteral("http://f%1.test/rss").arg(i);
            feeds << AddNode(i == n ? folder : nullptr, kFeed, QStringLiteral("F%1").arg(i), url);
            downloader.Serve(url, SmallFeed(QStringLiteral("f%1").arg(i), 2));
        }
        // The folder last, so that its feed comes last in pre-order.
        organiser->tvTree->addTopLevelItem(organiser->tvTree->takeTopLevelItem(0));
        return feeds;
    }
    TFrmUpdateAll* Window() { return organiser->FrmUpdateAll.data(); }

    // Runs the event loop until the run ends, calling step right after
    // each feed the window counted.
    void RunUntilDone(const std::function<void(int done)>& step = {}, int maxMs = 20000)
    {
        if (Window())
            Window()->AfterFeedDone = step;
        QElapsedTimer waited;
        waited.start();
        while (Window() && Window()->Running() && waited.elapsed() < maxMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        Settle(maxMs);
        if (Window())
            Window()->AfterFeedDone = nullptr;
    }
    int FeedCalls() const
    {
        int n = 0;
        for (const auto& call : downloader.Calls())
            n += call.url.endsWith("/rss");
        return n;
    }
};
} // namespace

TEST_F(ReloadAllTest, ProgressCaptionsRoundHalvesToEven)
{
    struct {
        int i, count;
        const char* caption;
    } cases[] = {{1, 4, "25 %"}, {4, 4, "100 %"}, {1, 8, "12 %"}, {3, 8, "38 %"}, {5, 8, "62 %"},
                 {7, 8, "88 %"}, {1, 3, "33 %"}, {2, 3, "67 %"}, {1, 200, "0 %"}, {3, 200, "2 %"},
                 {0, 0, "0 %"}, {2147483647, 2147483647, "100 %"}};
    for (const auto& c : cases)
        EXPECT_EQ(ProgressCaption(c.i, c.count), c.caption) << c.i << "/" << c.count;
}

TEST_F(ReloadAllTest, EveryFeedInPreOrderWithItsCaption)
{
    for (int n : {4, 8}) {
        organiser->tvTree->clear();
        downloader.ClearCalls();
        const QList<QTreeWidgetItem*> feeds = AddFeeds(n);
        organiser->acReloadAll->trigger();
        // Every download starts at once, in pre-order; the progress counts
        // merged feeds and shows the caption of the one merged last.
        QStringList expectedCalls;
        for (int i = 1; i <= n; ++i)
            expectedCalls << QStringLiteral("http://f%1.test/rss").arg(i);
        QStringList calls = downloader.Urls().filter("/rss");
        EXPECT_EQ(calls.mid(0, std::min<int>(calls.size(), TFetchPipeline::kMaxRunning)),
                  expectedCalls.mid(0, TFetchPipeline::kMaxRunning));
        QStringList seen, expected;
        RunUntilDone([&](int done) {
            seen << Window()->Label1->text() + " " + Window()->HTProgressBar1->Caption() + " "
                        + QString::number(Window()->HTProgressBar1->Position());
            expected << QStringLiteral("f%1(2) %2 %1").arg(done).arg(ProgressCaption(done, n));
        });
        EXPECT_EQ(seen, expected);
        EXPECT_EQ(downloader.Urls().filter("/rss"), expectedCalls);
        EXPECT_EQ(Window()->HTProgressBar1->Max(), n);
        EXPECT_FALSE(Window()->isVisible());
        // Each feed merged and expanded, the one in the folder too.
        for (QTreeWidgetItem* feed : feeds) {
            EXPECT_EQ(feed->childCount(), 2);
            EXPECT_TRUE(feed->isExpanded());
        }
    }
    EXPECT_LE(organiser->Pipeline->PeakRunning(), TFetchPipeline::kMaxRunning);
}

TEST_F(ReloadAllTest, CancelAndCloseDropWhatIsNotMergedYet)
{
    // Cancel after the second merge of five, by the button and by the
    // caption's close button: the merged two stay, the rest is dropped.
    for (bool byButton : {true, false}) {
        organiser->tvTree->clear();
        const QList<QTreeWidgetItem*> feeds = AddFeeds(5);
        organiser->acReloadAll->trigger();
        RunUntilDone([&](int done) {
            if (done != 2)
                return;
            // Asking again while the run is on only shows the window.
            organiser->acReloadAll->trigger();
            if (byButton)
                Window()->Cancel->click();
            else
                Window()->close();
        });
        EXPECT_EQ(feeds[1]->childCount(), 2);
        EXPECT_EQ(feeds[2]->childCount(), 0);
        EXPECT_EQ(feeds[4]->childCount(), 0);
        EXPECT_FALSE(Window()->isVisible());
        EXPECT_FALSE(Window()->Running());
        EXPECT_TRUE(organiser->Pipeline->IsIdle());
    }
}

TEST_F(ReloadAllTest, TwoAtATimeToOneHostAndCancelStopsNewDownloads)
{
    // Eight feeds on one host: two downloads at a time; a Cancel after the
    // first merge starts nothing more.
    QList<QTreeWidgetItem*> feeds;
    for (int i = 1; i <= 8; ++i) {
        const QString url = QStringLiteral("http://one.test/%1/rss").arg(i);
        feeds << AddNode(nullptr, kFeed, QStringLiteral("F%1").arg(i), url);
        downloader.Serve(url, SmallFeed(QStringLiteral("f%1").arg(i), 1));
    }
    organiser->acReloadAll->trigger();
    EXPECT_EQ(FeedCalls(), 2);
    int callsAtCancel = -1;
    RunUntilDone([&](int done) {
        if (done == 1) {
            callsAtCancel = FeedCalls();
            Window()->Cancel->click();
        }
    });
    EXPECT_LE(callsAtCancel, 4);
    EXPECT_EQ(FeedCalls(), callsAtCancel);
    EXPECT_EQ(feeds[7]->childCount(), 0);
    EXPECT_EQ(organiser->Pipeline->PeakRunning(), 2);
}

TEST_F(ReloadAllTest, AFeedDeletedDuringTheRunIsSkipped)
{
    const QList<QTreeWidgetItem*> feeds = AddFeeds(3);
    organiser->acReloadAll->trigger();
    RunUntilDone([&](int done) {
        if (done == 1) {
            // A deleting command waits for the merge in progress, then runs
            // before the next one.
            QTreeWidgetItem* second = feeds[1];
            organiser->Busy->RunWhenIdle([second] { delete second; }, false);
        }
    });
    EXPECT_EQ(organiser->tvTree->topLevelItemCount(), 2);
    EXPECT_EQ(feeds[0]->childCount(), 2);
    EXPECT_EQ(feeds[2]->childCount(), 2);
    EXPECT_EQ(Window()->Done(), 3); // the deleted one counts as done
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(ReloadAllTest, NoFeedsClosesAtOnceAndProgramEndStopsTheRun)
{
    AddNode(nullptr, kWebLink, "Page", "http://page.test/");
    organiser->acReloadAll->trigger();
    EXPECT_TRUE(downloader.Calls().isEmpty());
    EXPECT_FALSE(Window()->isVisible());
    EXPECT_EQ(Window()->HTProgressBar1->Max(), 100); // a range of 0..0 is refused
    // The window: its client size (wider when the caption needs it), on top,
    // a tool window, centred on the organiser.
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_EQ(Window()->height(), 89);
    EXPECT_EQ(Window()->width(),
              qMax(201, QFontMetrics(bold).horizontalAdvance(Window()->windowTitle()) + TFrmUpdateAll::kTitleBarRoom));
    EXPECT_TRUE(Window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(Window()->windowType(), Qt::Tool);
    EXPECT_LE((Window()->frameGeometry().center() - organiser->frameGeometry().center()).manhattanLength(), 2);

    const QList<QTreeWidgetItem*> feeds = AddFeeds(3);
    organiser->acReloadAll->trigger();
    RunUntilDone([&](int done) {
        if (done == 1)
            organiser->EndProgram();
    });
    EXPECT_FALSE(Window()->Running());
    int merged = 0;
    for (QTreeWidgetItem* feed : feeds)
        merged += feed->childCount() > 0;
    EXPECT_EQ(merged, 1);
}

TEST_F(ReloadAllTest, FailuresAreToldOnceAfterTheRun)
{
    // Two of 25 feeds fail while the run goes on: no box stops it; one
    // message names them afterwards. With more than 20, the list is cut.
    const QList<QTreeWidgetItem*> feeds = AddFeeds(25);
    downloader.Fail("http://f2.test/rss");
    downloader.Serve("http://f3.test/rss", "<?xml version=\"1.0\"?><catalog><book/></catalog>");
    int boxesDuringRun = -1;
    organiser->acReloadAll->trigger();
    RunUntilDone([&](int done) {
        if (done == 24)
            boxesDuringRun = dialogs.messages.size();
    });
    EXPECT_EQ(boxesDuringRun, 0);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0],
              "Error downloading \"http://f2.test/rss\"\r\n\"http://f3.test/rss\" is not a feed Quorbel can read");
    EXPECT_EQ(feeds[24]->childCount(), 2);

    dialogs.messages.clear();
    for (int i = 1; i <= 25; ++i)
        downloader.Fail(QStringLiteral("http://f%1.test/rss").arg(i));
    organiser->acReloadAll->trigger();
    RunUntilDone();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].split("\r\n").size(), 21);
    EXPECT_TRUE(dialogs.messages[0].endsWith("\r\n..."));
}

TEST_F(ReloadAllTest, OverTheNetworkWithFailingServers)
{
    // The real downloader against a local server: 1,000 feeds answering 404,
    // redirect loops, a stalled answer, an RSS 1.0 feed and a page whose
    // server names its charset. The run ends; failures come as one message.
    LocalHttpServer server;
    ASSERT_TRUE(server.IsListening());
    QtDownloader::Limits limits;
    limits.stallMs = 1000;
    limits.totalMs = 6000;
    QtDownloader network(limits);
    SetDownloader(&network);
    const int kMissing = 1000;
    for (int i = 0; i < kMissing; ++i)
        AddNode(nullptr, kFeed, QStringLiteral("Missing %1").arg(i), server.Url(QStringLiteral("/missing/%1").arg(i)));
    for (int i = 0; i < 3; ++i) {
        server.Redirect(QStringLiteral("/loop%1").arg(i), QStringLiteral("/loop%1").arg(i).toLatin1());
        AddNode(nullptr, kFeed, "Loop", server.Url(QStringLiteral("/loop%1").arg(i)));
    }
    server.Stall("/stall", true);
    AddNode(nullptr, kFeed, "Stalled", server.Url("/stall"));
    server.Serve("/rdf", "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
                         "xmlns=\"http://purl.org/rss/1.0/\"><channel><title>R</title></channel>"
                         "<item><title>One</title></item></rdf:RDF>",
                 "application/rdf+xml");
    QTreeWidgetItem* rdf = AddNode(nullptr, kFeed, "RDF", server.Url("/rdf"));
    organiser->acReloadAll->trigger();
    RunUntilDone({}, 60000);
    EXPECT_EQ(rdf->text(0), "R(1 of 1)");
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(server.RequestCount("/missing/999"), 1);
    EXPECT_EQ(server.RequestCount("/stall"), 1);

    // Cancel while the stalled fetch waits: the window goes at once, the
    // running downloads end and no download starts after it.
    server.Serve("/page", "<title>\xf0\xd2\xc9\xd7\xc5\xd4</title>", "text/html; charset=KOI8-R");
    const QString pageUrl = server.Url("/page");
    organiser->LoadFeedURL(pageUrl, nullptr);
    bool hiddenAtOnce = false;
    int requestsAtCancel = -1;
    int runningAtCancel = 0;
    auto requests = [&] {
        int n = server.RequestCount("/stall") + server.RequestCount("/rdf");
        for (int i = 0; i < 3; ++i)
            n += server.RequestCount(QStringLiteral("/loop%1").arg(i));
        return n;
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (server.RequestCount("/stall") < 2 || !Window()->Running())
            return;
        poll.stop();
        requestsAtCancel = requests();
        runningAtCancel = organiser->Pipeline->Running();
        Window()->Cancel->click();
        hiddenAtOnce = !Window()->isVisible();
    });
    poll.start(20);
    organiser->acReloadAll->trigger();
    RunUntilDone({}, 60000);
    QElapsedTimer linger;
    linger.start();
    while (linger.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(hiddenAtOnce);
    EXPECT_EQ(server.RequestCount("/stall"), 2);
    // Only a request already on its way when Cancel came may arrive after it.
    EXPECT_LE(requests(), requestsAtCancel + runningAtCancel);
    // The feed after the stalled one may have started beside it (two per host), no later one.
    EXPECT_LE(server.RequestCount("/rdf"), 2);
    EXPECT_EQ(organiser->tvTree->topLevelItem(0)->text(0), QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442"));
    SetDownloader(&downloader);
}
