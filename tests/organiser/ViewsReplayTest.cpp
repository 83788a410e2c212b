// The derived views follow the tree: a series of commands, each followed by a
// comparison of every derived view with the views a fresh build makes of the
// same tree.
#include "organiser/OrganiserFixture.h"

#include "model/CategoryViews.h"
#include "model/PendingChildren.h"

#include <QAction>
#include "organiser/TreeDragDrop.h"
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <string>

namespace {
// A view's content: each node as "parent caption > caption #data", sorted, so
// that the order of inserts does not count but every caption and mirror does.
std::string Content(QTreeWidget* view)
{
    RealizeAllChildren(view);
    QStringList lines;
    for (QTreeWidgetItemIterator it(view); *it; ++it) {
        const QTreeWidgetItem* node = *it;
        const QString parent = node->parent() ? node->parent()->text(0) : QStringLiteral("-");
        if (node->parent() || node->childCount() > 0 || NodeDataValue(node) >= 0)
            lines << QStringLiteral("%1 > %2 #%3").arg(parent, node->text(0)).arg(NodeDataValue(node));
    }
    lines.sort();
    return lines.join('\n').toStdString();
}

class ViewsReplayTest : public OrganiserFixture {
protected:
    ViewsReplayTest()
    {
        CreateOrganiser();
        organiser->TreeLoaded = true;
        organiser->NewsStorageDuration = 0; // ageing by the feeds' own options
        BuildCategoryViews(organiser->Views(), organiser->NewsStorageDuration);
    }

    // Every derived view holds what a fresh build of the same tree holds.
    void ExpectViewsTrue(const char* step)
    {
        SCOPED_TRACE(step);
        TNewsViews built{organiser->tvTree, &fresh[0], &fresh[1], &fresh[2], &fresh[3], &fresh[4]};
        for (QTreeWidget& view : fresh)
            view.clear();
        BuildCategoryViews(built, organiser->NewsStorageDuration);
        const TNewsViews live = organiser->Views();
        EXPECT_EQ(Content(live.tvTheme), Content(built.tvTheme)) << "Feeds";
        EXPECT_EQ(Content(live.tvWeb), Content(built.tvWeb)) << "WWW";
        EXPECT_EQ(Content(live.tvTime), Content(built.tvTime)) << "Time";
        EXPECT_EQ(Content(live.tvVideo), Content(built.tvVideo)) << "Video";
        EXPECT_EQ(Content(live.tvAudio), Content(built.tvAudio)) << "Audio";
    }

    void Select(QTreeWidgetItem* node)
    {
        organiser->PageControl1->setCurrentWidget(organiser->tvTree->parentWidget());
        organiser->tvTree->clearSelection();
        organiser->tvTree->setCurrentItem(node);
    }

    QTreeWidget fresh[5];
};

// Items named "old..." are dated a week back.
QByteArray Rss(const QString& title, const QStringList& items)
{
    QString xml = QStringLiteral("<rss><channel><title>%1</title><link>http://%1.test/</link>").arg(title);
    for (const QString& i : items)
        xml += QStringLiteral("<item><title>%1</title><link>http://%2.test/%1.mp3</link>"
                              "<pubDate>%3</pubDate></item>")
                   .arg(i, title, i.startsWith("old") ? "2026-12-02 10:00:00" : "2026-12-09 10:00:00");
    return (xml + QStringLiteral("</channel></rss>")).toUtf8();
}

QByteArray Rdf(const QStringList& items)
{
    QString xml = QStringLiteral("<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
                                 "xmlns=\"http://purl.org/rss/1.0/\"><channel><title>R</title>"
                                 "<link>http://r.test/</link></channel>");
    for (const QString& i : items)
        xml += QStringLiteral("<item><title>%1</title><link>http://r.test/%1</link></item>").arg(i);
    return (xml + QStringLiteral("</rdf:RDF>")).toUtf8();
}

TEST_F(ViewsReplayTest, EveryRoadKeepsTheDerivedViewsTrue)
{
    QTreeWidgetItem* a = Fetch("http://a.test/rss", Rss("a", {"a1", "a2", "a3"}));
    QTreeWidgetItem* r = Fetch("http://r.test/rdf", Rdf({"r1", "r2"}));
    ASSERT_TRUE(a && r);
    ExpectViewsTrue("first merges");

    clock.Advance(3600 * 1000);
    Fetch("http://a.test/rss", Rss("a", {"a0", "a1", "a2", "a3"}), a);
    Fetch("http://r.test/rdf", Rdf({"r0", "r1", "r2"}), r);
    ExpectViewsTrue("refreshes");

    a->setText(0, "Mine");
    organiser->CaptionEdited(organiser->tvTree, a);
    a->child(0)->setText(0, "Renamed item");
    organiser->CaptionEdited(organiser->tvTree, a->child(0));
    ExpectViewsTrue("renames");

    Select(r);
    dialogs.answers = {true};
    organiser->acDelChildren->trigger();
    EXPECT_EQ(r->text(0), "R(0)");
    ExpectViewsTrue("delete children");

    Fetch("http://r.test/rdf", Rdf({"r5"}), r);
    ExpectViewsTrue("first items after emptying");

    Select(a);
    dialogs.answers = {true};
    organiser->acDelete->trigger();
    ExpectViewsTrue("delete a feed");

    QTreeWidgetItem* b = Fetch("http://b.test/rss", Rss("b", {"b1", "old1", "old2"}));
    ExpectViewsTrue("a new feed");
    Item(b)->SetOption(kOptStorageDays, "3");
    Fetch("http://b.test/rss", Rss("b", {"b2"}), b);
    EXPECT_EQ(b->childCount(), 2);
    ExpectViewsTrue("ageing");

    QTreeWidgetItem* folder = AddNode(nullptr, kFolder, "Folder");
    organiser->PageControl1->setCurrentWidget(organiser->tvTree->parentWidget());
    organiser->show();
    QCoreApplication::processEvents();
    Select(b);
    organiser->TreeDragDrop->DropAt(organiser->tvTree->visualItemRect(folder).center());
    QCoreApplication::processEvents();
    ASSERT_EQ(b->parent(), folder);
    ExpectViewsTrue("drag into a folder");

    clock.Advance(2 * 3600 * 1000);
    downloader.Serve("http://b.test/rss", Rss("b", {"b3", "b2"}));
    downloader.Serve("http://r.test/rdf", Rdf({"r6", "r5"}));
    organiser->Timer1Timer();
    Settle();
    ASSERT_EQ(b->child(0)->text(0), "b3");
    ExpectViewsTrue("a scheduled batch");

    const QString file = home.File("copy.qbx");
    ASSERT_TRUE(data.SaveNewsFile(organiser->tvTree, file));
    ASSERT_TRUE(organiser->MergeNewsFile(file));
    Settle();
    ExpectViewsTrue("merge");
    ASSERT_TRUE(organiser->LoadNewsFile(file));
    Settle();
    ExpectViewsTrue("load");
}
} // namespace
