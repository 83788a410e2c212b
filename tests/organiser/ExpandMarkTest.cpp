// After a restart, and after the first refresh, every feed with items shows
// its expand mark and a feed without any shows none. Read from the pixels
// the view paints left of each row.
#include "organiser/OrganiserFixture.h"

#include <QImage>
#include <QPixmap>

namespace {
class ExpandMarkTest : public OrganiserFixture {
protected:
    // Pixels unlike the row's background in the branch column of row r.
    static int MarkPixels(QTreeWidget* tree, const QImage& shot, int r)
    {
        const QRect row = tree->visualItemRect(tree->topLevelItem(r));
        const QRgb background = shot.pixel(1, row.center().y());
        int marked = 0;
        for (int x = 0; x < row.left(); ++x)
            for (int y = row.top(); y <= row.bottom(); ++y)
                marked += shot.pixel(x, y) != background;
        return marked;
    }
};
} // namespace

TEST_F(ExpandMarkTest, FeedsWithItemsShowTheirMarkAfterARestartAndARefresh)
{
    // The stored tree: four feeds with items, the last without.
    constexpr int kFeeds = 5;
    QTreeWidget stored;
    for (int f = 0; f < kFeeds; ++f) {
        const QString url = QStringLiteral("http://f%1.test/").arg(f);
        TTreeItem feed(kFeed, QStringLiteral("Feed %1").arg(f), url, "", "", "0");
        feed.IconIdx = imgFeed;
        QTreeWidgetItem* node = AddViewNode(&stored, nullptr, feed.Title, data.NewsList.AddCopy(feed));
        for (int i = 0; i < 3 && f < kFeeds - 1; ++i) {
            TTreeItem item(kNewsItem, QStringLiteral("Old %1.%2").arg(f).arg(i), "http://x.test/", "", "", "0");
            AddViewNode(&stored, node, item.Title, data.NewsList.AddCopy(item));
        }
        downloader.Serve(url, SmallFeed(feed.Title, f < kFeeds - 1 ? 2 : 0));
    }
    data.NewsList.ReorderByTree(&stored);
    CreateWithTicker(false);
    organiser->PageControl1->setCurrentWidget(organiser->tbTree);
    organiser->resize(500, 500);
    organiser->show();
    QCoreApplication::processEvents();
    QTreeWidget* tree = organiser->tvTree;
    for (const bool refreshed : {false, true}) {
        online.SetConnected(refreshed); // the restart builds the tree; the next tick refreshes
        organiser->Timer1Timer();
        Settle();
        QCoreApplication::processEvents();
        ASSERT_EQ(tree->topLevelItemCount(), kFeeds);
        const QImage shot = tree->viewport()->grab().toImage();
        for (int r = 0; r < kFeeds; ++r)
            EXPECT_EQ(MarkPixels(tree, shot, r) > 0, tree->topLevelItem(r)->childCount() > 0)
                << "row " << r << (refreshed ? " after the refresh" : " after the restart");
    }
    EXPECT_EQ(tree->topLevelItem(0)->child(0)->text(0), "Feed 0 item 1"); // it did refresh
}
