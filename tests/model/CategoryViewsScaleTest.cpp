// A tree of the size heavy users reach. Quadratic steps in building or
// emptying the views would take minutes here and run into the test timeout.
#include "model/CategoryViews.h"

#include "app/NewsGlobals.h"
#include "model/DateTime.h"
#include "model/PendingChildren.h"
#include "model/ViewNodes.h"
#include "support/FakeClock.h"
#include "support/TempFolder.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

TEST(CategoryViewsScaleTest, HundredThousandItemsBuildSortAndDelete)
{
    const QDate today(2026, 3, 10);
    FakeClock clock(QDateTime(today, QTime(15, 30)));
    TempProgramFolder home;
    TNewsData data(home.Path());
    QTreeWidget tree, theme, web, time, video, audio;
    const TNewsViews views{&tree, &theme, &web, &time, &video, &audio};

    constexpr int kFeeds = 2;
    constexpr int kPerFeed = 50000;
    data.NewsList.Reserve(kFeeds * (kPerFeed + 1));
    for (int f = 0; f < kFeeds; ++f) {
        TTreeItem feed(kFeed, QStringLiteral("feed %1").arg(f), QStringLiteral("http://feed%1/rss").arg(f), "", "",
                       "0");
        feed.IconIdx = 20 + f;
        QTreeWidgetItem* feedNode = AddViewNode(&tree, nullptr, feed.Title, data.NewsList.AddCopy(feed));
        QList<QTreeWidgetItem*> children;
        for (int i = 0; i < kPerFeed; ++i) {
            const int k = f * kPerFeed + i;
            const char* ext = k % 10 == 0 ? ".mp3" : k % 10 == 1 ? ".mp4" : ".html";
            TTreeItem item(kNewsItem, QStringLiteral("item %1").arg(k),
                           QStringLiteral("http://site%1.example/p/%2%3").arg(k % 500).arg(k).arg(ext), "", "", "0");
            item.TimeStamp = ToDateTime(today.addDays(-(k % 10)), QTime(k % 24, k % 60));
            QTreeWidgetItem* node = NewViewNode(item.Title);
            SetNodeDataValue(node, data.NewsList.AddCopy(item));
            children << node;
        }
        feedNode->addChildren(children);
    }

    BuildCategoryViews(views, 0); // 7 groups: ages 0..6 are shown
    ASSERT_EQ(web.topLevelItemCount(), kFeeds * kPerFeed);
    EXPECT_EQ(audio.topLevelItemCount(), kFeeds * kPerFeed / 10);
    EXPECT_EQ(video.topLevelItemCount(), kFeeds * kPerFeed / 10);
    for (int i = 1; i < web.topLevelItemCount(); ++i)
        ASSERT_LE(CompareBySiteThenDate(web.topLevelItem(i - 1), web.topLevelItem(i)), 0) << i;
    // The day groups are looked at made; the Feeds entries stay compact
    // through the deletion below.
    RealizeAllChildren(&time);
    int timed = 0;
    for (int g = 0; g < time.topLevelItemCount(); ++g) {
        const QTreeWidgetItem* group = time.topLevelItem(g);
        timed += group->childCount();
        for (int i = 1; i < group->childCount(); ++i)
            ASSERT_LE(CompareByDate(group->child(i - 1), group->child(i)), 0) << g << "/" << i;
    }
    EXPECT_EQ(timed, kFeeds * kPerFeed / 10 * 7);

    DeleteChildNodes(views, tree.topLevelItem(0));
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 0);
    EXPECT_EQ(web.topLevelItemCount(), kPerFeed);
    EXPECT_EQ(audio.topLevelItemCount(), kPerFeed / 10);
    EXPECT_EQ(ChildCountOf(theme.topLevelItem(0)), 0);
    EXPECT_EQ(ChildCountOf(theme.topLevelItem(1)), kPerFeed);
    EXPECT_TRUE(HasPendingChildren(theme.topLevelItem(1)));
    for (int i = 0; i < web.topLevelItemCount(); ++i)
        ASSERT_EQ(data.NodeItem(web.topLevelItem(i))->IconIdx, 21) << i; // only the second feed's items
    for (int i = 1; i < web.topLevelItemCount(); ++i)
        ASSERT_LE(CompareBySiteThenDate(web.topLevelItem(i - 1), web.topLevelItem(i)), 0) << i;
}

} // namespace
