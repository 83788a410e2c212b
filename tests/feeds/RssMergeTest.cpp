#include "feeds/RssMerge.h"

#include "app/NewsGlobals.h"
#include "feeds/DocumentText.h"
#include "feeds/FeedFormat.h"
#include "model/NewsDate.h"
#include "model/ViewNodes.h"
#include "support/FakeClock.h"
#include "support/FakeConnectivity.h"
#include "support/MergeTrees.h"
#include "support/TempFolder.h"
#include "text/TextTools.h"

#include <QFile>
#include <QStringEncoder>
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

class RssMergeTest : public TMergeTrees<> {
protected:
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

    int storageDuration = 5;
};

TEST_F(RssMergeTest, NewFeedGoesFirstWithItemsInDocumentOrder)
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
    EXPECT_EQ(feed->child(0)->text(0), "Item 1");
    EXPECT_EQ(feed->child(9)->text(0), "Item 10");
    const TTreeItem* first = Item(feed->child(0));
    EXPECT_EQ(first->NewsType, "RSS");
    EXPECT_EQ(first->Link, "http://feed.test/1");
    EXPECT_EQ(first->Options, QStringList{"SDR="});
    EXPECT_TRUE(tree.updatesEnabled());
    // The derived views heard of every new item.
    EXPECT_EQ(web.topLevelItemCount(), 10);
    ASSERT_EQ(feeds.topLevelItemCount(), 1);
    EXPECT_EQ(Captions(feeds.topLevelItem(0)), Captions(feed)); // the Feeds view in the tree's order
}

TEST_F(RssMergeTest, RefreshCountsNewAndKnownItems)
{
    QTreeWidgetItem* feed = Merge(RssDocument("T", Numbered(1, 10)));
    std::vector<DocItem> second = Numbered(1, 12);
    second[0].description = "changed";
    EXPECT_EQ(Merge(RssDocument("T", second), feed), feed);
    EXPECT_EQ(feed->text(0), "T(2 of 12)");
    EXPECT_EQ(Captions(feed).mid(0, 3), (QStringList{"Item 11", "Item 12", "Item 1"}));
    EXPECT_EQ(Captions(feeds.topLevelItem(0)), Captions(feed));
    EXPECT_EQ(Item(feed->child(2))->Description, "changed"); // Item 1, refreshed in place

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

TEST_F(RssMergeTest, ItemsStoredWithOldCaptionsAreNotAddedAgain)
{
    // Captions and titles as stored before "&amp;" read as "&" and blanks
    // were folded: "&&", tabs, blanks at the ends.
    const std::vector<DocItem> items = {{"Tom &amp; Jerry", "http://a/1"},
                                        {"A B", "http://a/2"},
                                        {"Q&amp;A: <b>one</b>\n two", "http://a/3"},
                                        {"ROCK &amp;amp; roll", "http://a/4"}};
    const QStringList stored = {"rock &&amp; ROLL", " Q&&A: one\t two ", "A\tB", "Tom && Jerry"};
    QTreeWidgetItem* feed = Merge(RssDocument("T", items));
    ASSERT_EQ(feed->childCount(), 4);
    for (int i = 0; i < 4; ++i) {
        feed->child(i)->setText(0, stored[i]);
        Item(feed->child(i))->Title = Item(feed->child(i))->RawTitle = stored[i];
    }
    const int pool = data.NewsList.Count();
    std::vector<DocItem> again = items;
    again[1].description = "refreshed";
    Merge(RssDocument("T", again), feed);
    EXPECT_EQ(feed->text(0), "T(0 of 4)");
    EXPECT_EQ(Captions(feed), stored);
    EXPECT_EQ(data.NewsList.Count(), pool);
    EXPECT_EQ(Item(feed->child(2))->Description, "refreshed"); // found, so refreshed in place
    EXPECT_EQ(FindChildByText(feed, "tom & jerry"), feed->child(3));
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
        {"NSD=-1", 5, {"fresh", "old"}, "T(2)"}, // emptied, then both come again
        {"NSD=0", 5, {"new", "fresh", "old"}, "T(1 of 3)"},
        {nullptr, 5, {"new", "fresh"}, "T(1 of 2)"},         // the default ages out "old"
        {nullptr, -1, {"new", "fresh", "old"}, "T(1 of 3)"}, // -1 default: nothing emptied or aged
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
    const int pool = data.NewsList.Count();
    QTreeWidgetItem* feed = Merge(RssDocument("T", {{"ancient", "http://a/1", "d", "2020-01-01 00:00:00"}}));
    EXPECT_EQ(feed->childCount(), 0);
    EXPECT_EQ(feed->text(0), "T(0)");
    EXPECT_EQ(data.NewsList.Count(), pool + 1); // the feed only
}

TEST_F(RssMergeTest, AMonthOfItemsKeepsOnlyThoseInsideTheKeepPeriod)
{
    // One item a day, the newest an hour old: with 12 days kept, items 0..11 stay.
    std::vector<DocItem> month;
    for (int day = 0; day < 40; ++day) {
        const QDateTime date = QDateTime(QDate(2026, 12, 9), QTime(11, 0)).addDays(-day);
        month.push_back({QStringLiteral("Day %1").arg(day), QStringLiteral("http://a/%1").arg(day), "d",
                         date.toString("yyyy-MM-dd hh:mm:ss")});
    }
    struct {
        int storage;
        QString first, second;
        int stored; // nodes added to the pool by the first merge, the feed included
    } cases[] = {
        {12, "T(12)", "T(0 of 12)", 13},
        {0, "T(40)", "T(0 of 40)", 41},
    };
    for (const auto& c : cases) {
        tree.clear();
        storageDuration = c.storage;
        const int pool = data.NewsList.Count();
        QTreeWidgetItem* feed = Merge(RssDocument("T", month));
        EXPECT_EQ(feed->text(0), c.first);
        EXPECT_EQ(data.NewsList.Count(), pool + c.stored) << c.storage;
        EXPECT_EQ(web.topLevelItemCount(), c.stored - 1) << c.storage;
        Merge(RssDocument("T", month), feed);
        EXPECT_EQ(feed->text(0), c.second);
        EXPECT_EQ(data.NewsList.Count(), pool + c.stored) << "a refresh adds nothing";
        web.clear();
    }
}

TEST_F(RssMergeTest, ShowDescriptionOptionIsCopied)
{
    QTreeWidgetItem* feed = Merge(RssDocument("T", Numbered(1, 1)));
    Item(feed)->SetOption("SDR", "1");
    Merge(RssDocument("T", Numbered(1, 2)), feed);
    EXPECT_EQ(Item(feed->child(0))->GetOption("SDR"), "1");
    EXPECT_EQ(Item(feed->child(1))->GetOption("SDR"), "");
}

TEST_F(RssMergeTest, PastedUrlFindsTheFeedAtTopLevelToo)
{
    QTreeWidgetItem* existing = Merge(RssDocument("T", Numbered(1, 1)));
    QTreeWidgetItem* folder =
        AddViewNode(&tree, nullptr, "folder", data.NewsList.AddCopy(TTreeItem("FLD", "folder", "", "", "", "0")));
    QTreeWidgetItem* inside =
        AddViewNode(&tree, folder, "note", data.NewsList.AddCopy(TTreeItem("NTS", "note", "", "", "", "0")));
    tree.setCurrentItem(inside);
    // The search from the selected node misses it; the top level has it.
    EXPECT_EQ(Merge(RssDocument("T", Numbered(1, 2))), existing);
    EXPECT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_EQ(existing->text(0), "T(1 of 2)");

    // With the existing feed selected it is found directly.
    tree.setCurrentItem(existing);
    EXPECT_EQ(Merge(RssDocument("T", Numbered(1, 1))), existing);

    // A feed kept in a folder is not at top level: a pasted URL selected
    // elsewhere still makes a new one; a fetch that names its node never looks
    // beyond the node's siblings.
    QTreeWidgetItem* filed = AddViewNode(
        &tree, folder, "F", data.NewsList.AddCopy(TTreeItem("RSH", "F", "http://feed.test/filed", "", "", "0")));
    tree.setCurrentItem(existing);
    EXPECT_NE(Merge(RssDocument("F", Numbered(1, 1)), nullptr, "http://feed.test/filed"), filed);
    EXPECT_NE(Merge(RssDocument("T", Numbered(1, 1)), folder), existing);
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

TEST_F(RssMergeTest, MarkupInPlainFieldsReadsTheFirstPiece)
{
    const QByteArray doc = "<rss><channel><title>Ch <b>bold</b></title>"
                           "<description>Text <a href=\"x\">link</a></description>"
                           "<item><title>a</title><link>http://a/1<b/></link>"
                           "<pubDate>2026-12-08 10:00:00<i>x</i></pubDate></item>"
                           "<item><title>b</title><link><b>http://a/2</b></link>"
                           "<pubDate><i>2026-12-07 10:00:00</i> x</pubDate></item>"
                           "<item><title>c</title><link><b>x<i>y</i></b></link>"
                           "<pubDate><!--when-->2026-12-07 10:00:00</pubDate></item></channel></rss>";
    QTreeWidgetItem* feed;
    ASSERT_NO_THROW(feed = Merge(doc));
    EXPECT_TRUE(tree.updatesEnabled());
    EXPECT_EQ(feed->text(0), "Ch(3)");
    EXPECT_EQ(Item(feed)->Description, "Text ");
    struct {
        const char* title;
        const char* link;
        TDateTime date;
    } expected[] = {
        {"a", "http://a/1", ParseNewsDate("2026-12-08 10:00:00")},
        {"b", "http://a/2", ParseNewsDate("2026-12-07 10:00:00")},
        {"c", "", NowDateTime()}, // a comment's text is no date: "now", as for any unreadable date
    };
    for (const auto& e : expected) {
        QTreeWidgetItem* node = FindChildByText(feed, e.title);
        ASSERT_NE(node, nullptr) << e.title;
        EXPECT_EQ(Item(node)->Link, e.link) << e.title;
        EXPECT_DOUBLE_EQ(Item(node)->TimeStamp, e.date) << e.title;
    }
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

TEST(FeedCaptionTest, FilledInOneStep)
{
    struct {
        const char* title;
        int newCount, childCount;
        const char* expected;
    } cases[] = {
        {"News", 10, 10, "News(10)"},
        {"News", 2, 12, "News(2 of 12)"},
        {"", 0, 0, "(0)"},
        {"Win%1 now", 3, 3, "Win%1 now(3)"},
        {"Win%1 now", 3, 5, "Win%1 now(3 of 5)"},
        {"%2%3 and %1%", 0, 7, "%2%3 and %1%(0 of 7)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FeedCaption(c.title, c.newCount, c.childCount), c.expected) << c.title;
}

TEST_F(RssMergeTest, PlaceholdersInTheChannelTitleAreKept)
{
    QTreeWidgetItem* feed = Merge(RssDocument("Win%1 now %2", Numbered(1, 3)));
    EXPECT_EQ(feed->text(0), "Win%1 now %2(3)");
    EXPECT_EQ(Item(feed)->Title, "Win%1 now %2(3)");
}

TEST(UntitledItemTitleTest, StartOfThePlainDescriptionElseTheLink)
{
    const QString words = QStringLiteral("Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do "
                                         "eiusmod tempor incididunt ut labore");
    struct {
        QString description;
        QString link;
        QString expected;
    } cases[] = {
        {"<p>Hello <b>world</b></p>", "http://a/1", "Hello world"},
        {"  Line one\r\n\tline   two&nbsp; ", "", "Line one line two"},
        // 80 characters at most, cut before the word that does not fit.
        {words, "", "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor"},
        {QString(79, 'x') + " y", "", QString(79, 'x')},
        {QString(80, 'x') + " y", "", QString(80, 'x')},
        {QString(200, 'x') + " y", "", QString(80, 'x')},
        {QString(79, 'x') + QString::fromUtf8("\xF0\x9F\x98\x80") + "z", "", QString(79, 'x')},
        // Text that reads as markup once decoded is converted again, so that the
        // title stays the same through the title conversion.
        {"&lt;p&gt;Escaped &lt;b&gt;twice&lt;/b&gt;&lt;/p&gt;", "", "Escaped twice"},
        {"<img src=\"x.png\"/>", " http://a/2 ", "http://a/2"},
        {"", "http://a/3", "http://a/3"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        const QString title = UntitledItemTitle(c.description, c.link);
        EXPECT_EQ(title, c.expected) << c.description.toStdString();
        EXPECT_EQ(HTMLToText(title), title) << c.description.toStdString();
    }
}

TEST_F(RssMergeTest, UntitledItemsAreTitledFromTheirDescriptionOrLink)
{
    std::vector<DocItem> items;
    for (int i = 1; i <= 20; ++i)
        items.push_back({"", QStringLiteral("http://a/%1").arg(i), QStringLiteral("<p>Toot number %1</p>").arg(i)});
    items.push_back({"  ", "http://a/link-only", ""});
    items.push_back({"<img src=\"x\"/>", "http://a/21", "Toot number 1"}); // a duplicate by its derived title
    QTreeWidgetItem* feed = Merge(RssDocument("T", items));
    ASSERT_EQ(feed->childCount(), 21);
    EXPECT_EQ(feed->text(0), "T(21)");
    EXPECT_EQ(feed->child(20)->text(0), "http://a/link-only");
    EXPECT_EQ(feed->child(0)->text(0), "Toot number 1");
    for (int i = 0; i < feed->childCount(); ++i) {
        const TTreeItem* item = Item(feed->child(i));
        EXPECT_EQ(item->Title, feed->child(i)->text(0));
        EXPECT_EQ(item->RawTitle, item->Title);
    }
    EXPECT_EQ(Item(feed->child(0))->Link, "http://a/1");
    // The same items again are all known.
    Merge(RssDocument("T", items), feed);
    EXPECT_EQ(feed->text(0), "T(0 of 21)");
}

QByteArray ItemXml(const char* content)
{
    return QByteArray("<rss><channel><title>T</title><item><title>i</title>") + content
        + "</item></channel></rss>";
}

TEST(ItemLinkTest, LinkEnclosureOrPermalinkGuidTrimmedAndResolved)
{
    const QString feedUrl = "http://feed.test/news/rss.xml";
    struct {
        const char* item;
        const char* expected;
    } cases[] = {
        {"<link>http://a/1</link>", "http://a/1"},
        {"<link>\n   http://a/1 \t</link>", "http://a/1"},
        {"<link>story/2</link>", "http://feed.test/news/story/2"},
        {"<link> /top </link>", "http://feed.test/top"},
        {"<link>//cdn.test/x</link>", "http://cdn.test/x"},
        {"<link>?p=3</link>", "http://feed.test/news/rss.xml?p=3"},
        {"<link>mailto:a@b.test</link>", "mailto:a@b.test"},
        {"<link>http://a/<b>x</b></link>", "http://a/"},
        {"<link>  </link><enclosure url=\" ep.mp3 \"/>", "http://feed.test/news/ep.mp3"},
        {"<enclosure url=\"http://cdn/e.mp3\"/><guid>http://a/g</guid>", "http://cdn/e.mp3"},
        {"<guid>http://a/g</guid>", "http://a/g"},
        {"<guid isPermaLink=\"true\"> https://a/g </guid>", "https://a/g"},
        {"<guid isPermaLink=\"false\">http://a/g</guid>", ""},
        {"<guid isPermaLink=\"False\">http://a/g</guid>", ""},
        {"<guid>urn:uuid:1234</guid>", ""},
        {"<guid>tag:a.test,2026:1</guid>", ""},
        {"<guid>a/relative</guid>", ""},
        {"<guid>ftp://a/g</guid>", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        TXMLDocument doc;
        doc.LoadFromXML(ItemXml(c.item));
        IXMLItemType item = GetRss(doc)->Channel()->Item()->Items(0);
        EXPECT_EQ(ItemLink(*item, feedUrl), c.expected) << c.item;
    }
    EXPECT_EQ(ResolveItemLink(" x ", "not a url"), "x");
    EXPECT_EQ(ResolveItemLink("x", ""), "x");
}

TEST_F(RssMergeTest, StoredLinksAreResolvedAndGuidsOpen)
{
    QTreeWidgetItem* feed = Merge(
        "<rss><channel><title>T</title>"
        "<item><title>rel</title><link> story/1 </link></item>"
        "<item><title>guid</title><guid>https://a.test/post/9</guid></item>"
        "<item><title>opaque</title><guid isPermaLink=\"false\">https://a.test/post/9</guid></item>"
        "</channel></rss>",
        nullptr, "https://feed.test/blog/feed");
    EXPECT_EQ(Item(FindChildByText(feed, "rel"))->Link, "https://feed.test/blog/story/1");
    EXPECT_EQ(Item(FindChildByText(feed, "guid"))->Link, "https://a.test/post/9");
    EXPECT_EQ(Item(FindChildByText(feed, "opaque"))->Link, "");
}

QByteArray Encode(const char* encoding, const QString& text, bool bom)
{
    QStringEncoder encoder(encoding, bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder.encode(text);
}

TEST_F(RssMergeTest, WideEncodedFeedsMerge)
{
    const QString title = QString::fromUtf8("Nachrichten für “alle” €");
    const QString item = QString::fromUtf8("Grüße 😀");
    auto doc = [&](const char* declared) {
        return QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\n<rss version=\"2.0\"><channel>"
                              "<title>%2</title><item><title>%3</title><link>http://a/1</link>"
                              "<pubDate>2026-12-09 10:00:00</pubDate></item></channel></rss>")
            .arg(QLatin1String(declared), title, item);
    };
    struct {
        const char* encoding;
        const char* declared;
        bool bom;
    } cases[] = {
        {"UTF-16LE", "utf-16", true},  {"UTF-16LE", "utf-16", false}, {"UTF-16BE", "utf-16", true},
        {"UTF-16BE", "utf-16", false}, {"UTF-32LE", "utf-32", true},  {"UTF-32LE", "utf-32", false},
        {"UTF-32BE", "utf-32", true},  {"UTF-32BE", "utf-32", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.encoding) + (c.bom ? " with mark" : " without mark"));
        tree.clear();
        const QByteArray bytes = Encode(c.encoding, doc(c.declared), c.bom);
        // What the download's format test looks at.
        EXPECT_TRUE(DecodeDocumentText(bytes).startsWith(QLatin1String("<?xml")));
        QTreeWidgetItem* feed = nullptr;
        ASSERT_NO_THROW(feed = Merge(bytes));
        EXPECT_EQ(feed->text(0), title + "(1)");
        ASSERT_EQ(feed->childCount(), 1);
        EXPECT_EQ(feed->child(0)->text(0), item);
    }
    // Without mark or declaration the first element tells the width.
    for (const char* encoding : {"UTF-16LE", "UTF-16BE", "UTF-32LE", "UTF-32BE"}) {
        SCOPED_TRACE(encoding);
        const QString text = doc("x").mid(doc("x").indexOf(u'<', 1));
        const QByteArray bytes = Encode(encoding, text, false);
        EXPECT_EQ(RecogniseFeedDocument(bytes, DecodeDocumentText(bytes)).format, TFeedFormat::Rss);
    }
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
    EXPECT_EQ(feed->child(0)->text(0), "Item 0");
    EXPECT_TRUE(tree.updatesEnabled());
    // The same document again: everything known.
    Merge(doc, feed);
    EXPECT_EQ(feed->text(0), "Big(0 of 100000)");
}
} // namespace
