#include "feeds/RssMerge.h"

#include "app/NewsGlobals.h"
#include "model/ViewNodes.h"
#include "support/FakeClock.h"
#include "support/FakeConnectivity.h"
#include "support/TempFolder.h"

#include <QFile>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
struct DocItem {
    QString title;
    QString link;
    QString description = QStringLiteral("d");
    QString pubDate = QStringLiteral("2026-12-09 10:00:00");
    QString enclosure;
};

QString Escape(const QString& s) { return s.toHtmlEscaped(); }

QByteArray RssDocument(const QString& title, const std::vector<DocItem>& items)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\"?>\n<rss version=\"2.0\"><channel><title>%1</title>"
                                 "<description>Channel text</description>")
                      .arg(Escape(title));
    for (const DocItem& i : items) {
        xml += QStringLiteral("<item><title>%1</title>").arg(Escape(i.title));
        if (!i.link.isEmpty())
            xml += QStringLiteral("<link>%1</link>").arg(Escape(i.link));
        xml += QStringLiteral("<description>%1</description><pubDate>%2</pubDate>")
                   .arg(Escape(i.description), Escape(i.pubDate));
        if (!i.enclosure.isEmpty())
            xml += QStringLiteral("<enclosure url=\"%1\" type=\"audio/mpeg\"/>").arg(Escape(i.enclosure));
        xml += QStringLiteral("</item>");
    }
    xml += QStringLiteral("</channel></rss>");
    return xml.toUtf8();
}

std::vector<DocItem> Numbered(int from, int to)
{
    std::vector<DocItem> items;
    for (int i = from; i <= to; ++i)
        items.push_back({QStringLiteral("Item %1").arg(i), QStringLiteral("http://feed.test/%1").arg(i)});
    return items;
}

class RssMergeTest : public ::testing::Test {
protected:
    RssMergeTest() : data(home.Path())
    {
        views.tvTree = &tree;
        views.tvTheme = &feeds;
        views.tvWeb = &web;
        views.tvTime = &time;
        views.tvVideo = &video;
        views.tvAudio = &audio;
    }

    QTreeWidgetItem* Merge(const QByteArray& document, QTreeWidgetItem* start = nullptr,
                           const QString& url = QStringLiteral("http://feed.test/rss"))
    {
        const QString file = home.File("doc.xml");
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(document);
        f.close();
        return MergeRssChannel(views, storageDuration, start, url, LoadRss(file));
    }

    TTreeItem* Item(QTreeWidgetItem* node) { return data.NodeItem(node); }

    QStringList Captions(QTreeWidgetItem* parent)
    {
        QStringList out;
        for (int i = 0; i < parent->childCount(); ++i)
            out << parent->child(i)->text(0);
        return out;
    }

    FakeClock clock{QDateTime(QDate(2026, 12, 9), QTime(12, 0))};
    FakeConnectivity offline{false}; // no site-icon fetches
    TempProgramFolder home;
    TNewsData data;
    QTreeWidget tree, feeds, web, time, video, audio;
    TNewsViews views;
    int storageDuration = 5;
};

TEST_F(RssMergeTest, NewFeedGoesFirstWithItemsInReverseOrder)
{
    AddViewNode(&tree, nullptr, "existing folder", data.NewsList.AddCopy(TTreeItem("FLD", "f", "", "", "", "0")));
    QTreeWidgetItem* feed = Merge(RssDocument("News <b>Today</b>", Numbered(1, 10)));
    ASSERT_NE(feed, nullptr);
    EXPECT_EQ(tree.topLevelItem(0), feed);
    EXPECT_EQ(feed->text(0), "News Today(10)");
    EXPECT_EQ(Item(feed)->Title, "News Today(10)");
    EXPECT_EQ(Item(feed)->NewsType, "RSH");
    EXPECT_EQ(Item(feed)->Link, "http://feed.test/rss");
    EXPECT_EQ(Item(feed)->Description, "Channel text");
    EXPECT_DOUBLE_EQ(Item(feed)->TimeStamp, NowDateTime());
    ASSERT_EQ(feed->childCount(), 10);
    EXPECT_EQ(feed->child(0)->text(0), "Item 10");
    EXPECT_EQ(feed->child(9)->text(0), "Item 1");
    const TTreeItem* first = Item(feed->child(9));
    EXPECT_EQ(first->NewsType, "RSS");
    EXPECT_EQ(first->Link, "http://feed.test/1");
    EXPECT_EQ(first->Options, QStringList{"SDR="});
    EXPECT_TRUE(tree.updatesEnabled());
    // The derived views heard of every new item.
    EXPECT_EQ(web.topLevelItemCount(), 10);
    ASSERT_EQ(feeds.topLevelItemCount(), 1);
}

TEST_F(RssMergeTest, RefreshCountsNewAndKnownItems)
{
    QTreeWidgetItem* feed = Merge(RssDocument("T", Numbered(1, 10)));
    std::vector<DocItem> second = Numbered(1, 12);
    second[0].description = "changed";
    EXPECT_EQ(Merge(RssDocument("T", second), feed), feed);
    EXPECT_EQ(feed->text(0), "T(2 of 12)");
    EXPECT_EQ(Captions(feed).mid(0, 3), (QStringList{"Item 12", "Item 11", "Item 10"}));
    EXPECT_EQ(Item(feed->child(11))->Description, "changed"); // Item 1, refreshed in place

    EXPECT_EQ(Merge(RssDocument("T", second), feed), feed);
    EXPECT_EQ(feed->text(0), "T(0 of 12)");
    EXPECT_EQ(tree.topLevelItemCount(), 1);
}

TEST_F(RssMergeTest, DuplicatesIgnoreCaseAndMarkup)
{
    QTreeWidgetItem* feed = Merge(RssDocument("T", {{"Hello World", "http://a/1"}}));
    Merge(RssDocument("T", {{"hello WORLD", "http://a/2"}, {"<i>Hello</i> World", "http://a/3"},
                            {"Hello World!", "http://a/4"}}),
          feed);
    EXPECT_EQ(Captions(feed), (QStringList{"Hello World!", "Hello World"}));
    EXPECT_EQ(feed->text(0), "T(1 of 2)");
}

TEST_F(RssMergeTest, RepeatedTitleInOneDocumentOnlyRefreshes)
{
    QTreeWidgetItem* feed =
        Merge(RssDocument("T", {{"Same", "http://a/1", "first"}, {"Same", "http://a/2", "second"}}));
    ASSERT_EQ(feed->childCount(), 1);
    EXPECT_EQ(Item(feed->child(0))->Link, "http://a/1");
    EXPECT_EQ(Item(feed->child(0))->Description, "second");
    EXPECT_EQ(feed->text(0), "T(1)");
}

TEST_F(RssMergeTest, EnclosureStandsInForMissingLink)
{
    DocItem podcast{"Episode", "", "d", "2026-12-09 10:00:00", "http://cdn.test/ep1.mp3"};
    QTreeWidgetItem* feed = Merge(RssDocument("Cast", {podcast, {"Page", "http://cdn.test/p"}}));
    QTreeWidgetItem* episode = FindChildByText(feed, "Episode");
    ASSERT_NE(episode, nullptr);
    EXPECT_EQ(Item(episode)->Link, "http://cdn.test/ep1.mp3");
    EXPECT_EQ(NodeStateImage(episode), imgAudio);
    EXPECT_EQ(NodeStateImage(FindChildByText(feed, "Page")), -1);
    EXPECT_EQ(audio.topLevelItemCount(), 1);
}

TEST_F(RssMergeTest, KeepPeriods)
{
    const std::vector<DocItem> items = {
        {"fresh", "http://a/1", "d", "2026-12-08 12:00:00"},
        {"old", "http://a/2", "d", "2026-11-01 12:00:00"},
    };
    struct {
        const char* option; // feed option, or null for none
        int storage;
        QStringList afterSecond;
        QString caption;
    } cases[] = {
        {"NSD=-1", 5, {"old", "fresh"}, "T(2)"}, // emptied, then both come again
        {"NSD=0", 5, {"new", "old", "fresh"}, "T(1 of 3)"},
        {nullptr, 5, {"new", "fresh"}, "T(1 of 2)"},         // the default ages out "old"
        {nullptr, -1, {"new", "old", "fresh"}, "T(1 of 3)"}, // -1 default: nothing emptied or aged
        {"NSD=30", 5, {"new", "fresh"}, "T(1 of 2)"},
    };
    for (auto& c : cases) {
        tree.clear();
        storageDuration = 0; // the first fetch keeps both
        QTreeWidgetItem* feed = Merge(RssDocument("T", items));
        storageDuration = c.storage;
        if (c.option)
            Item(feed)->Options = QStringList{c.option};
        std::vector<DocItem> second = items;
        second.insert(second.begin(), {"new", "http://a/3", "d", "2026-12-09 11:00:00"});
        if (QString(c.option) == "NSD=-1")
            second.erase(second.begin());
        Merge(RssDocument("T", second), feed);
        EXPECT_EQ(Captions(feed), c.afterSecond) << (c.option ? c.option : "none") << " " << c.storage;
        EXPECT_EQ(feed->text(0), c.caption) << (c.option ? c.option : "none");
    }
}

TEST_F(RssMergeTest, NewItemsAlreadyTooOldAreDroppedAtOnce)
{
    QTreeWidgetItem* feed = Merge(RssDocument("T", {{"ancient", "http://a/1", "d", "2020-01-01 00:00:00"}}));
    EXPECT_EQ(feed->childCount(), 0);
    EXPECT_EQ(feed->text(0), "T(1 of 0)");
}

TEST_F(RssMergeTest, ShowDescriptionOptionIsCopied)
{
    QTreeWidgetItem* feed = Merge(RssDocument("T", Numbered(1, 1)));
    Item(feed)->SetOption("SDR", "1");
    Merge(RssDocument("T", Numbered(1, 2)), feed);
    EXPECT_EQ(Item(feed->child(0))->GetOption("SDR"), "1");
    EXPECT_EQ(Item(feed->child(1))->GetOption("SDR"), "");
}

TEST_F(RssMergeTest, PastedUrlSearchesOnlyFromTheSelectedNode)
{
    QTreeWidgetItem* existing = Merge(RssDocument("T", Numbered(1, 1)));
    QTreeWidgetItem* folder =
        AddViewNode(&tree, nullptr, "folder", data.NewsList.AddCopy(TTreeItem("FLD", "folder", "", "", "", "0")));
    QTreeWidgetItem* inside =
        AddViewNode(&tree, folder, "note", data.NewsList.AddCopy(TTreeItem("NTS", "note", "", "", "", "0")));
    tree.setCurrentItem(inside);
    QTreeWidgetItem* second = Merge(RssDocument("T", Numbered(1, 1)));
    EXPECT_NE(second, existing);
    EXPECT_EQ(tree.topLevelItem(0), second);

    // With the existing feed selected it is found and refreshed instead.
    tree.setCurrentItem(existing);
    EXPECT_EQ(Merge(RssDocument("T", Numbered(1, 1))), existing);
}

TEST_F(RssMergeTest, EmptyOrMissingChannel)
{
    for (const QByteArray doc : {QByteArray("<rss><channel/></rss>"), QByteArray("<rss/>")}) {
        tree.clear();
        QTreeWidgetItem* feed = Merge(doc);
        ASSERT_NE(feed, nullptr);
        EXPECT_EQ(feed->text(0), "(0)");
        EXPECT_EQ(feed->childCount(), 0);
    }
}

TEST_F(RssMergeTest, MarkupInPlainFieldsFailsAndClosesTheBracket)
{
    const QByteArray doc = "<rss><channel><title>T</title><item><title>a</title>"
                           "<pubDate>Mon, <b>1</b></pubDate></item></channel></rss>";
    EXPECT_ANY_THROW(Merge(doc));
    EXPECT_TRUE(tree.updatesEnabled());
    ASSERT_EQ(tree.topLevelItemCount(), 1); // the feed node made before the failure stays
}

TEST_F(RssMergeTest, HostileTitlesAndLinks)
{
    std::vector<DocItem> items;
    items.push_back({QString(100000, 'x'), QString(5000, '/')});
    items.push_back({"", ""});
    items.push_back({QStringLiteral("tab\there <unclosed"), "javascript:alert(1)"});
    items.push_back({"&lt;script&gt;", "http://a/<>"});
    QTreeWidgetItem* feed = Merge(RssDocument("<", items));
    EXPECT_EQ(feed->childCount(), 4);
    EXPECT_TRUE(tree.updatesEnabled());
}

TEST(FindNodeByURLTest, SearchesStartAndLaterSiblingsOnly)
{
    TempProgramFolder home;
    TNewsData data(home.Path());
    QTreeWidget tree;
    auto add = [&](QTreeWidgetItem* parent, const QString& link) {
        return AddViewNode(&tree, parent, link, data.NewsList.AddCopy(TTreeItem("RSH", "t", link, "", "", "0")));
    };
    QTreeWidgetItem* a = add(nullptr, "http://A/");
    QTreeWidgetItem* b = add(nullptr, "http://b/");
    QTreeWidgetItem* child = add(b, "http://c/");
    EXPECT_EQ(FindNodeByURL(a, "http://a/"), a);
    EXPECT_EQ(FindNodeByURL(a, "HTTP://B/"), b);
    EXPECT_EQ(FindNodeByURL(b, "http://a/"), nullptr); // earlier siblings are not searched
    EXPECT_EQ(FindNodeByURL(a, "http://c/"), nullptr); // nor children
    EXPECT_EQ(FindNodeByURL(child, "http://c/"), child);
    EXPECT_EQ(FindNodeByURL(nullptr, "http://a/"), nullptr);
    EXPECT_EQ(FindChildByText(b, "HTTP://C/"), child);
    EXPECT_EQ(FindChildByText(b, "nope"), nullptr);
}
} // namespace

namespace {
TEST_F(RssMergeTest, HundredThousandItems)
{
    QByteArray doc = "<rss><channel><title>Big</title>";
    doc.reserve(12 * 1024 * 1024);
    for (int i = 0; i < 100000; ++i)
        doc += "<item><title>Item " + QByteArray::number(i) + "</title><link>http://big.test/"
            + QByteArray::number(i) + "</link><pubDate>2026-12-09 10:00:00</pubDate></item>";
    doc += "</channel></rss>";
    storageDuration = 0;
    QTreeWidgetItem* feed = Merge(doc);
    ASSERT_NE(feed, nullptr);
    EXPECT_EQ(feed->childCount(), 100000);
    EXPECT_EQ(feed->text(0), "Big(100000)");
    EXPECT_EQ(feed->child(0)->text(0), "Item 99999");
    EXPECT_TRUE(tree.updatesEnabled());
    // The same document again: everything known.
    Merge(doc, feed);
    EXPECT_EQ(feed->text(0), "Big(0 of 100000)");
}
} // namespace
