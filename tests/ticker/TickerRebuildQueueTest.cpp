// Filling the ticker's play list from the tree: the age filter, the feed's
// leading news children, icons and the random queue.
#include "TickerFixture.h"

#include "app/NewsGlobals.h"
#include "model/ViewNodes.h"

#include <QTimer>
#include <QTreeWidget>
#include <set>

namespace {
class TickerRebuildQueueTest : public TickerFixture {
protected:
    // A node for a new NewsList item; the tree's item is returned for checks.
    QTreeWidgetItem* Node(QTreeWidgetItem* parent, const QString& kind, const QString& title,
                          const QString& options = QString())
    {
        TTreeItem item(kind, title, "http://h/" + title, "", options, "0");
        const int index = data.NewsList.AddCopy(item);
        return AddViewNode(&tree, parent, title, index);
    }
    QTreeWidgetItem* Feed(QTreeWidgetItem* parent, const QString& title, const QString& options,
                          int icon = 12)
    {
        QTreeWidgetItem* node = Node(parent, kFeed, title, options);
        Of(node)->IconIdx = icon;
        return node;
    }
    // A news item hoursOld hours old (negative: in the future), shown or never shown.
    QTreeWidgetItem* News(QTreeWidgetItem* feed, const QString& title, double hoursOld, bool shown)
    {
        QTreeWidgetItem* node = Node(feed, kNewsItem, title);
        Of(node)->TimeStamp = NowDateTime() - hoursOld / 24.0;
        Of(node)->LastShown = shown ? NowDateTime() - 1 : 0;
        return node;
    }
    TTreeItem* Of(QTreeWidgetItem* node) { return data.NodeItem(node); }

    QStringList Played() const
    {
        QStringList titles;
        for (int i = 0; i < view->PlayList.Count(); ++i)
            titles << view->PlayList.Items(i)->Title;
        return titles;
    }

    TNewsData data{home.Path()};
    QTreeWidget tree;
};

TEST_F(TickerRebuildQueueTest, AgeFilter)
{
    struct {
        const char* name;
        QString options;
        int showNewsFor;
        bool once;
        bool connected;
        QStringList expected;
    } cases[] = {
        {"default limit, once on", "", 24, true, true, {"fresh", "freshShown", "old", "future"}},
        {"default limit, once off", "", 24, false, true, {"fresh", "freshShown", "future"}},
        {"no limit from settings", "", 0, false, true, {"fresh", "freshShown", "old", "oldShown", "future"}},
        {"SNF 0", "SNF=0", 24, false, true, {"fresh", "freshShown", "old", "oldShown", "future"}},
        {"SNF -1, once on", "SNF=-1", 24, true, true, {"fresh", "old", "future"}},
        {"SNF -1, once off", "SNF=-1", 24, false, true, {"future"}},
        {"SNF 100 beats the settings", "SNF=100", 1, false, true, {"fresh", "freshShown", "old", "oldShown", "future"}},
        {"SNF not a number", "SNF=abc", 24, false, true, {"fresh", "freshShown", "future"}},
        {"offline lets all in", "SNF=-1", 24, false, false, {"fresh", "freshShown", "old", "oldShown", "future"}},
    };
    for (const auto& c : cases) {
        tree.clear();
        QTreeWidgetItem* feed = Feed(nullptr, "feed", c.options);
        News(feed, "fresh", 1, false);
        News(feed, "freshShown", 1, true);
        News(feed, "old", 48, false);
        News(feed, "oldShown", 48, true);
        News(feed, "future", -2, true);
        view->ShowNewsFor = c.showNewsFor;
        view->ShowNewsOnce = c.once;
        net.SetConnected(c.connected);
        view->RebuildQueue(&tree);
        EXPECT_EQ(Played(), c.expected) << c.name;
        EXPECT_EQ(view->Queue.size(), static_cast<size_t>(view->PlayList.Count())) << c.name;
    }
}

TEST_F(TickerRebuildQueueTest, LimitBoundaryIsInclusive)
{
    // An item exactly ShowNewsFor hours old is old.
    QTreeWidgetItem* feed = Feed(nullptr, "feed", "");
    News(feed, "edge", 24, true);
    News(feed, "inside", 23.9, true);
    view->ShowNewsOnce = false;
    view->RebuildQueue(&tree);
    EXPECT_EQ(Played(), QStringList{"inside"});
}

TEST_F(TickerRebuildQueueTest, OnlyTheLeadingNewsChildrenOfFeedsInDisplayOrder)
{
    view->ShowNewsFor = 0;
    QTreeWidgetItem* folder = Node(nullptr, kFolder, "folder");
    QTreeWidgetItem* f1 = Feed(folder, "f1", "");
    News(f1, "a1", 1, false);
    News(f1, "a2", 1, false);
    Node(f1, kWebLink, "page");
    News(f1, "a3", 1, false); // after another kind: not the feed's any more
    QTreeWidgetItem* f2 = Feed(nullptr, "f2", "");
    Node(f2, kNote, "note");
    News(f2, "b1", 1, false); // the first child is no news item: nothing from f2
    QTreeWidgetItem* f3 = Feed(nullptr, "f3", "");
    News(f3, "c1", 1, false);
    News(folder, "stray", 1, false); // news outside a feed is not played
    QTreeWidgetItem* lower = Node(nullptr, "rsh", "lower-case kinds");
    Node(lower, "rss", "d1");
    view->RebuildQueue(&tree);
    EXPECT_EQ(Played(), (QStringList{"a1", "a2", "c1", "d1"}));
}

TEST_F(TickerRebuildQueueTest, ItemsTakeTheFeedIconInTheTreeAndTheCopy)
{
    view->ShowNewsFor = 0;
    QTreeWidgetItem* feed = Feed(nullptr, "feed", "", 42);
    QTreeWidgetItem* n1 = News(feed, "n1", 1, false);
    QTreeWidgetItem* other = Feed(nullptr, "other", "", 43);
    QTreeWidgetItem* n2 = News(other, "n2", 1, false);
    view->RebuildQueue(&tree);
    EXPECT_EQ(Of(n1)->IconIdx, 42);
    EXPECT_EQ(Of(n2)->IconIdx, 43);
    ASSERT_EQ(view->PlayList.Count(), 2);
    EXPECT_EQ(view->PlayList.Items(0)->IconIdx, 42);
    EXPECT_EQ(view->PlayList.Items(1)->IconIdx, 43);
    // Copies: a later change of the tree does not reach the play list.
    Of(n1)->SetTitle("changed");
    EXPECT_EQ(view->PlayList.Items(0)->Title, "n1");
}

TEST_F(TickerRebuildQueueTest, QueueIsARandomDrawAsLongAsThePlayList)
{
    view->ShowNewsFor = 0;
    QTreeWidgetItem* feed = Feed(nullptr, "feed", "");
    for (int i = 0; i < 200; ++i)
        News(feed, QString::number(i), 1, false);
    view->QueuePos = 7;
    view->RebuildQueue(&tree);
    ASSERT_EQ(view->PlayList.Count(), 200);
    ASSERT_EQ(view->Queue.size(), 200u);
    EXPECT_EQ(view->QueuePos, 0);
    std::set<qint32> distinct;
    for (qint32 i : view->Queue) {
        EXPECT_GE(i, 0);
        EXPECT_LT(i, 200);
        distinct.insert(i);
    }
    // 200 independent draws from 200 almost surely repeat some entry.
    EXPECT_LT(distinct.size(), 200u);
    EXPECT_GT(distinct.size(), 50u);
}

TEST_F(TickerRebuildQueueTest, TimerFollowsPauseAndEmptyResultsClearTheQueue)
{
    struct {
        bool paused;
        bool running;
    } cases[] = {{true, false}, {false, true}};
    for (const auto& c : cases) {
        view->Paused = c.paused;
        view->Timer1->stop();
        if (!c.paused)
            view->Timer1->start();
        view->RebuildQueue(&tree); // an empty tree
        EXPECT_EQ(view->Timer1->isActive(), c.running);
        EXPECT_EQ(view->PlayList.Count(), 0);
        EXPECT_TRUE(view->Queue.empty());
    }
    // The item shown last stays when nothing passes.
    EXPECT_EQ(Shown(), view->WelcomeItem.Title);
    EXPECT_TRUE(tree.updatesEnabled()) << "update mode is left again";
}
} // namespace

namespace {
TEST_F(TickerRebuildQueueTest, AHeadlineWhoseItemLeftTheTreeGivesWay)
{
    QTreeWidgetItem* feed = Feed(nullptr, "F", "SNF=0");
    QTreeWidgetItem* gone = News(feed, "gone", 1, false);
    News(feed, "stays", 1, false);
    view->RebuildQueue(&tree);
    view->ShowItem(*Of(gone));
    view->RebuildQueue(&tree); // still there: stays on show
    EXPECT_EQ(view->CurrentItem.Title, "gone");

    delete gone;
    view->RebuildQueue(&tree);
    EXPECT_EQ(view->CurrentItem.Title, "stays");
    EXPECT_EQ(view->CurrentItem.Link, "http://h/stays");

    // With nothing left, nothing is shown and nothing opens.
    tree.clear();
    view->RebuildQueue(&tree);
    EXPECT_TRUE(view->CurrentItem.Title.isEmpty());
    EXPECT_TRUE(view->CurrentItem.Link.isEmpty());
}
} // namespace
