// The ticker's display cycle driven tick by tick with the fake clock.
#include "TickerFixture.h"

#include "app/NewsGlobals.h"
#include "ticker/DescriptionWindow.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTimer>

namespace {
using TickerCycleTest = TickerFixture;

TEST_F(TickerCycleTest, CreationShowsTheWelcomeItemPaused)
{
    EXPECT_EQ(view->objectName(), "RSSView");
    const Qt::WindowFlags flags = view->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(view->windowType(), Qt::Tool);

    const TTreeItem& w = view->WelcomeItem;
    EXPECT_TRUE(w.IsKind("WEB"));
    EXPECT_EQ(w.Title, "Stay Tivaleo... Quorbel by quorbel.example.org"); // blanks folded
    EXPECT_EQ(w.Link, "https://quorbel.example.org/");
    EXPECT_EQ(w.Description, view->SQuorbelDescr);
    EXPECT_TRUE(view->SQuorbelDescr.contains("More information at https://quorbel.example.org/\r\n"));
    EXPECT_TRUE(w.Options.isEmpty());
    EXPECT_EQ(w.IconIdx, 7);
    EXPECT_DOUBLE_EQ(w.TimeStamp, ToDateTime(clock.Now().date(), QTime(0, 0)));

    ASSERT_EQ(view->PlayList.Count(), 1);
    EXPECT_EQ(view->PlayList.Items(0)->Title, w.Title);
    EXPECT_EQ(view->Queue, TIndexList{0});
    EXPECT_EQ(view->QueuePos, 0);
    EXPECT_EQ(Shown(), w.Title);
    EXPECT_EQ(view->lbRss->text(), w.Title);
    EXPECT_TRUE(view->Paused);
    EXPECT_TRUE(view->Timer1->isActive()); // SetPaused restarts it; the next item change stops it
    EXPECT_EQ(view->Timer1->interval(), 200);
    EXPECT_EQ(view->LastChange, clock.TickCount());
    EXPECT_EQ(view->Opacity(), 255);
    EXPECT_EQ(view->DragAnchor, QPoint(-1, -1));
    EXPECT_TRUE(view->AutoShow);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->Host(), &host);
    EXPECT_EQ(host.Marked, QStringList{w.Title});

    for (const char* name : {"lbRss", "lbPubDate", "Image1", "imClose", "imSpeaker", "imVideo",
                             "Timer1", "PopupMenu1", "pmIcon", "DescriptionWindow"})
        EXPECT_NE(view->findChild<QObject*>(name), nullptr) << name;
    EXPECT_FALSE(view->lbPubDate->isVisible());
    EXPECT_EQ(view->lbRss->pos(), QPoint(19, 2));
    EXPECT_EQ(view->Image1->geometry(), QRect(1, 1, 16, 16));
    EXPECT_EQ(view->imClose->size(), QSize(11, 11));
    EXPECT_TRUE(view->PopupMenu1->actions().contains(view->OpenRSSLink1));
    EXPECT_FALSE(view->pmIcon->actions().isEmpty());
}

TEST_F(TickerCycleTest, CreationWithoutOrganiser)
{
    view = std::make_unique<TRSSView>();
    EXPECT_EQ(view->Host(), nullptr);
    EXPECT_EQ(Shown(), view->WelcomeItem.Title);
}

TEST_F(TickerCycleTest, FadingStepsAndFloor)
{
    // No time passes, so no item change interferes.
    std::vector<int> seen;
    for (int i = 0; i < 100; ++i) {
        view->Timer1Timer();
        seen.push_back(view->Opacity());
    }
    const std::vector<int> first(seen.begin(), seen.begin() + 8);
    EXPECT_EQ(first, (std::vector<int>{247, 240, 233, 226, 219, 212, 206, 200}));
    EXPECT_NE(seen[84], 16);
    EXPECT_EQ(seen[85], 16); // the 86th tick
    for (size_t i = 85; i < seen.size(); ++i)
        EXPECT_EQ(seen[i], 16) << i;
    EXPECT_NEAR(view->windowOpacity(), 16 / 255.0, 0.01);
}

TEST_F(TickerCycleTest, ItemChangesOncePerInterval)
{
    struct {
        qint32 interval;
        int ticksPerChange; // at 200 ms a tick
    } cases[] = {{4000, 21}, {1000, 6}, {200, 2}, {150, 1}, {0, 1}, {-5000, 1}};
    for (const auto& c : cases) {
        CreateTicker();
        clock.SetTicks(100000); // far enough from 0 for the negative interval
        view->SetPaused(false);
        view->RSSInterval = c.interval;
        Play({"A", "B"});
        const QStringList expected{"A", "B", "A"};
        for (const QString& next : expected) {
            const QString before = Shown();
            for (int t = 1; t < c.ticksPerChange; ++t) {
                Tick();
                ASSERT_EQ(Shown(), before) << c.interval << " tick " << t;
            }
            Tick();
            ASSERT_EQ(Shown(), next) << c.interval;
            EXPECT_EQ(view->LastChange, clock.TickCount());
            EXPECT_EQ(view->Opacity(), 247); // shown at 255, then this tick's fade
        }
    }
}

TEST_F(TickerCycleTest, SingleEntryRepeatsAndRestoresOpacity)
{
    view->SetPaused(false);
    view->RSSInterval = 1000;
    Play({"Only"});
    for (int period = 0; period < 3; ++period) {
        for (int t = 0; t < 5; ++t)
            Tick();
        EXPECT_LT(view->Opacity(), 247);
        Tick();
        EXPECT_EQ(Shown(), "Only");
        EXPECT_EQ(view->Opacity(), 247);
        EXPECT_EQ(view->QueuePos, 0);
    }
    EXPECT_EQ(host.Marked.count("Only"), 3);
}

TEST_F(TickerCycleTest, EmptyQueueChangesNothing)
{
    view->SetPaused(false);
    view->PlayList.Clear();
    view->Queue.clear();
    const QString before = Shown();
    for (int t = 0; t < 120; ++t)
        Tick();
    EXPECT_EQ(Shown(), before);
    EXPECT_EQ(view->QueuePos, 0);
    EXPECT_EQ(view->Opacity(), 16);

    const bool timerWas = view->Timer1->isActive();
    view->Next();
    view->Previous();
    EXPECT_EQ(Shown(), before);
    EXPECT_EQ(view->QueuePos, 0);
    EXPECT_EQ(view->Opacity(), 16);
    EXPECT_EQ(view->Timer1->isActive(), timerWas);
}

TEST_F(TickerCycleTest, BadQueueIndexRestartsTheQueue)
{
    view->SetPaused(false);
    view->RSSInterval = 0;
    Play({"A"});
    view->Queue = {0, 5};
    Tick();
    EXPECT_EQ(Shown(), "A");
    EXPECT_EQ(view->QueuePos, 1);
    const quint32 changed = view->LastChange;

    view->CurrentItem.SetTitle("marker");
    Tick(); // index 5 is stale: back to the start, nothing shown
    EXPECT_EQ(Shown(), "marker");
    EXPECT_EQ(view->QueuePos, 0);
    EXPECT_EQ(view->LastChange, changed);

    Tick();
    EXPECT_EQ(Shown(), "A");
}

TEST_F(TickerCycleTest, PauseStopsTheTimerAndShowItemKeepsItStopped)
{
    auto item = Item("X");
    struct {
        bool paused;
        bool runningAfterShow;
    } cases[] = {{true, false}, {false, true}};
    for (const auto& c : cases) {
        view->SetPaused(c.paused);
        EXPECT_EQ(view->Paused, c.paused);
        EXPECT_TRUE(view->Timer1->isActive()) << "SetPaused always restarts";
        EXPECT_EQ(view->LastChange, clock.TickCount());
        view->ShowItem(*item);
        EXPECT_EQ(view->Timer1->isActive(), c.runningAfterShow) << c.paused;
        clock.Advance(10);
    }

    // The pause command: the timer follows the new state at once.
    view->SetPaused(false);
    view->TogglePause();
    EXPECT_TRUE(view->Paused);
    EXPECT_FALSE(view->Timer1->isActive());
    view->TogglePause();
    EXPECT_FALSE(view->Paused);
    EXPECT_TRUE(view->Timer1->isActive());
}

TEST_F(TickerCycleTest, NextAndPreviousStepWithWrap)
{
    Play({"A", "B", "C"});
    view->Timer1->stop();
    const quint32 period = view->LastChange;
    struct {
        bool next;
        qint32 pos;
        const char* shown;
    } steps[] = {{true, 1, "B"}, {true, 2, "C"}, {true, 0, "A"}, {false, 2, "C"},
                 {false, 1, "B"}, {false, 0, "A"}, {false, 2, "C"}};
    for (const auto& s : steps) {
        if (s.next)
            view->Next();
        else
            view->Previous();
        EXPECT_EQ(view->QueuePos, s.pos);
        EXPECT_EQ(Shown(), s.shown);
    }
    EXPECT_EQ(view->LastChange, period) << "stepping does not start a new period";
    EXPECT_TRUE(view->Paused);
    EXPECT_TRUE(view->Timer1->isActive()) << "Previous starts the timer even while paused";
    view->Next();
    EXPECT_FALSE(view->Timer1->isActive()) << "Next leaves it to ShowItem";
}

TEST_F(TickerCycleTest, DescriptionHiddenOnceTheStripFades)
{
    struct {
        bool showDescription;
        QString options;
        bool staysUp;
    } cases[] = {{false, "", false}, {false, "SDR=1", true}, {true, "", true}};
    for (const auto& c : cases) {
        view->ShowDescription = c.showDescription;
        auto item = Item("T", "http://h/a", "Some words", "2026-12-09 11:00", c.options);
        view->ShowItem(*item);
        view->ShowDescriptionWindow(); // as a mouse move over the strip does
        view->DragAnchor = QPoint(3, 4);
        ASSERT_TRUE(view->DescriptionWindow->isVisible());
        view->Timer1Timer(); // still at full opacity
        EXPECT_TRUE(view->DescriptionWindow->isVisible());
        view->Timer1Timer();
        EXPECT_EQ(view->DescriptionWindow->isVisible(), c.staysUp) << c.options.toStdString();
        EXPECT_EQ(view->DragAnchor, c.staysUp ? QPoint(3, 4) : QPoint(-1, -1));
    }
}

TEST_F(TickerCycleTest, RebuildFromInsideATickDoesNotLockUp)
{
    // The organiser may rebuild while the tick shows an item; the lock is recursive.
    struct RebuildingHost : ITickerHost {
        TRSSView* ticker = nullptr;
        int rebuilds = 0;
        void MarkShownByTitle(const QString&) override
        {
            if (ticker && rebuilds++ == 0)
                ticker->RebuildQueue(nullptr);
        }
        bool IsShowing() const override { return false; }
        void EndProgram() override {}
        void OpenTarget(const QString&) override {}
        void DropOnTicker(const QMimeData*) override {}
        QAction* SharedAction(const QString&) const override { return nullptr; }
        void ShowAllNews() override {}
        void ShowWindow() override {}
        void ToggleWindow() override {}
        void BuildLanguageMenu(QMenu*) override {}
    } rebuilding;
    view = std::make_unique<TRSSView>([&](TRSSView*) { return &rebuilding; });
    rebuilding.ticker = view.get();
    view->RSSInterval = 0;
    Play({"A", "B"});
    Tick();
    EXPECT_EQ(Shown(), "A");
    EXPECT_EQ(rebuilding.rebuilds, 1);
    EXPECT_EQ(view->PlayList.Count(), 0);
    EXPECT_TRUE(view->Queue.empty());
    view.reset();
}
} // namespace
