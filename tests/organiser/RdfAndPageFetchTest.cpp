// RSS 1.0 documents and web pages through the fetch.
#include "feeds/DocumentText.h"
#include "feeds/WebPageNode.h"
#include "feeds/XmlDocument.h"
#include "organiser/OrganiserFixture.h"
#include "text/TextTools.h"

#include <QDir>
#include <QDomElement>
#include <QFile>
#include <QStringEncoder>

namespace {
const QString kFeedUrl = QStringLiteral("http://rdf.test/feed.rdf");

QByteArray RdfDocument(const QStringList& titles, const QString& channelTitle = QStringLiteral("Chan &amp;amp; Co"),
                       bool withChannel = true)
{
    QString xml = QStringLiteral("<?xml version=\"1.0\"?>\n<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\""
                                 " xmlns=\"http://purl.org/rss/1.0/\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">");
    if (withChannel)
        xml += QStringLiteral("<channel rdf:about=\"x\"><title>%1</title><link>http://site.test/</link>"
                              "<description>About it</description></channel>"
                              "<image rdf:about=\"i\"><title>Logo</title><url>http://site.test/l.png</url></image>")
                   .arg(channelTitle);
    for (const QString& t : titles)
        xml += QStringLiteral("<item rdf:about=\"a\"><dc:title>not this</dc:title><title>%1</title>"
                              "<link>http://site.test/%1</link><description>Text of %1</description></item>")
                   .arg(t);
    xml += QStringLiteral("<textinput rdf:about=\"t\"><title>Search</title></textinput></rdf:RDF>");
    return xml.toUtf8();
}

class RdfAndPageFetchTest : public OrganiserFixture {
protected:
    RdfAndPageFetchTest() { CreateOrganiser(); }
};
} // namespace

TEST_F(RdfAndPageFetchTest, FirstFetchAndRefreshesOfAnRdfFeed)
{
    QTreeWidgetItem* feed = Fetch(kFeedUrl, RdfDocument({"One", "Two &amp;amp; more", "Three"}));
    ASSERT_NE(feed, nullptr);
    EXPECT_EQ(organiser->tvTree->topLevelItem(0), feed);
    // Only the items: image and textinput are no headlines. Raw titles as captions.
    EXPECT_EQ(ChildCaptions(feed), QStringList({"One", "Two &amp; more", "Three"}));
    EXPECT_EQ(feed->text(0), HTMLToText("Chan &amp; Co") + "(3 of 3)");
    const TTreeItem* feedItem = Item(feed);
    EXPECT_EQ(feedItem->Link, kFeedUrl);
    EXPECT_EQ(feedItem->RawTitle, "Chan &amp; Co"); // the stored title is not the caption
    EXPECT_EQ(feedItem->Description, "About it");
    const TTreeItem* one = Item(feed->child(0));
    EXPECT_EQ(one->Link, "http://site.test/One");
    EXPECT_EQ(one->Description, "Text of One");
    EXPECT_DOUBLE_EQ(one->TimeStamp, NowDateTime()); // no dc:date: the refresh time
    EXPECT_TRUE(QFile::exists(data.NewsFile));
    // The derived views hear of the new items.
    EXPECT_EQ(organiser->tvWeb->topLevelItemCount(), 3);

    // A refresh with two new items: known ones are found by their converted
    // title, whether the caption is raw (this run) or converted (after a restart).
    feed->child(1)->setText(0, HTMLToText("Two &amp; more"));
    clock.Advance(60 * 1000);
    ASSERT_EQ(Fetch(kFeedUrl, RdfDocument({"One", "Two &amp;amp; more", "Three", "Four", "Five"}), feed), feed);
    EXPECT_EQ(feed->childCount(), 5);
    EXPECT_EQ(feed->text(0), HTMLToText("Chan &amp; Co") + "(2 of 5)");
    EXPECT_DOUBLE_EQ(Item(feed)->TimeStamp, NowDateTime());

    // Items age out by the time they were first seen, with the global limit.
    organiser->NewsStorageDuration = 5;
    clock.Advance(6 * 24 * 3600 * 1000);
    ASSERT_EQ(Fetch(kFeedUrl, RdfDocument({"Six"}), feed), feed);
    EXPECT_EQ(ChildCaptions(feed), QStringList({"Six"}));
    EXPECT_EQ(feed->text(0), HTMLToText("Chan &amp; Co") + "(1 of 1)");

    // "NSD" -1 empties the feed first.
    Item(feed)->SetOption(kOptStorageDays, "-1");
    ASSERT_EQ(Fetch(kFeedUrl, RdfDocument({"Seven", "Eight"}), feed), feed);
    EXPECT_EQ(ChildCaptions(feed), QStringList({"Seven", "Eight"}));
}

TEST_F(RdfAndPageFetchTest, RdfItemsStoredWithOldCaptionsAreNotAddedAgain)
{
    QTreeWidgetItem* feed = Fetch(kFeedUrl, RdfDocument({"Tom &amp;amp; Jerry", "A B", "Up &amp;amp; DOWN"}));
    ASSERT_NE(feed, nullptr);
    ASSERT_EQ(feed->childCount(), 3);
    // As a tree stored before "&amp;" read as "&" loads: caption and title alike,
    // with "&&", tabs and letters in another case.
    const QStringList stored = {"up && down", "A\tB", "Tom && Jerry"};
    for (int i = 0; i < 3; ++i) {
        feed->child(i)->setText(0, stored[i]);
        Item(feed->child(i))->Title = Item(feed->child(i))->RawTitle = stored[i];
    }
    clock.Advance(60 * 1000);
    ASSERT_EQ(Fetch(kFeedUrl, RdfDocument({"Tom &amp;amp; Jerry", "A B", "Up &amp;amp; DOWN", "New"}), feed), feed);
    EXPECT_EQ(ChildCaptions(feed), QStringList({"New", "up && down", "A\tB", "Tom && Jerry"}));
    EXPECT_EQ(feed->text(0), "Chan & Co(1 of 4)");
}

TEST_F(RdfAndPageFetchTest, UnusualRdfDocuments)
{
    // Without a channel element the first child element stands for it.
    QTreeWidgetItem* feed = Fetch("http://nochannel.test/", RdfDocument({"A", "B", "C"}, "", false));
    ASSERT_NE(feed, nullptr);
    EXPECT_EQ(ChildCaptions(feed), QStringList({"B", "C"}));
    EXPECT_EQ(Item(feed)->RawTitle, "A");

    // Markup in a title reads as its text; a blank title takes the description.
    const QByteArray odd =
        "<?xml version=\"1.0\"?><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
        "xmlns=\"http://purl.org/rss/1.0/\"><channel><title>Odd</title></channel>"
        "<item><title>A <b>bold</b> move</title><link>http://odd.test/1</link></item>"
        "<item><title> </title><description>Told by its text</description></item>"
        "<item><title/><link>http://odd.test/3</link></item></rdf:RDF>";
    feed = Fetch("http://odd.test/", odd);
    ASSERT_NE(feed, nullptr);
    EXPECT_EQ(ChildCaptions(feed), QStringList({"A bold move", "Told by its text", "http://odd.test/3"}));
    EXPECT_EQ(feed->text(0), "Odd(3 of 3)");
    // Fetched again by a typed URL: found at the top, nothing doubled.
    EXPECT_EQ(Fetch("http://odd.test/", odd), feed);
    EXPECT_EQ(feed->childCount(), 3);
    EXPECT_EQ(organiser->tvTree->topLevelItemCount(), 2);
}

TEST_F(RdfAndPageFetchTest, RdfItemsInsideTheChannelWithDatesAndRelativeLinks)
{
    const QByteArray rdf =
        "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" xmlns=\"http://purl.org/rss/1.0/\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><channel><title>N</title><link>http://site.test/</link>"
        "<item><title>Inside</title><link> /in </link><dc:date>2026-12-08T09:00:00Z</dc:date></item></channel>"
        "<item><title>Beside</title><link>rel/b</link><dc:date>Tue, 08 Dec 2026 08:00:00 GMT</dc:date></item>"
        "<item><title>Undated</title><link>http://abs.test/u</link><dc:date>soon</dc:date></item>"
        "<item><title>Old</title><link>/o</link><dc:date>2026-10-01T00:00:00Z</dc:date></item></rdf:RDF>";
    organiser->NewsStorageDuration = 30;
    QTreeWidgetItem* feed = Fetch("http://feeds.test/n.rdf", rdf);
    ASSERT_NE(feed, nullptr);
    // Document order above older items; the item already past the keep period is not added.
    EXPECT_EQ(ChildCaptions(feed), (QStringList{"Inside", "Beside", "Undated"}));
    EXPECT_EQ(feed->text(0), "N(3 of 3)");
    EXPECT_EQ(Item(feed->child(0))->Link, "http://site.test/in");
    EXPECT_EQ(Item(feed->child(1))->Link, "http://site.test/rel/b");
    EXPECT_EQ(Item(feed->child(2))->Link, "http://abs.test/u");
    EXPECT_DOUBLE_EQ(Item(feed->child(0))->TimeStamp, ToDateTime(QDate(2026, 12, 8), QTime(10, 0)));
    EXPECT_DOUBLE_EQ(Item(feed->child(1))->TimeStamp, ToDateTime(QDate(2026, 12, 8), QTime(9, 0)));
    EXPECT_DOUBLE_EQ(Item(feed->child(2))->TimeStamp, NowDateTime());
}

TEST_F(RdfAndPageFetchTest, CorpusRdfDocumentsThroughTheFetch)
{
    // Every RSS 1.0 document of the corpora that a strict parser accepts
    // becomes a feed node whose children are its item elements.
    const QStringList folders = {QStringLiteral(QUORBEL_CORPORA_DIR) + "/feedparser/tests/wellformed/rdf",
                                 QStringLiteral(QUORBEL_CORPORA_DIR) + "/gofeed/testdata/parser/rss"};
    int merged = 0;
    for (const QString& folder : folders) {
        for (const QString& name : QDir(folder).entryList({"*.xml", "*.rdf"}, QDir::Files)) {
            QFile file(QDir(folder).filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray body = file.readAll();
            TXMLDocument document;
            try {
                document.LoadFromXML(body);
            } catch (const std::exception&) {
                continue; // not well-formed: the failure road, tested elsewhere
            }
            const TXMLNode root = document.DocumentElement();
            if (!SameTextAscii(root.NodeName(), "rdf:RDF"))
                continue;
            int items = 0;
            bool hasChannel = false;
            for (QDomElement e = root.DomNode().firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
                const QString local = e.localName().isEmpty() ? e.nodeName() : e.localName();
                items += local == "item" ? 1 : 0;
                hasChannel = hasChannel || local == "channel";
            }
            if (!hasChannel)
                continue;
            const QString url = QStringLiteral("http://corpus%1.test/").arg(merged) + name;
            QTreeWidgetItem* feed = Fetch(url, body);
            ASSERT_NE(feed, nullptr) << name.toStdString();
            // Items of equal title count once.
            EXPECT_LE(feed->childCount(), items) << name.toStdString();
            EXPECT_EQ(items > 0, feed->childCount() > 0) << name.toStdString();
            EXPECT_TRUE(feed->text(0).endsWith(QStringLiteral("(%1 of %1)").arg(feed->childCount())))
                << name.toStdString();
            ++merged;
        }
    }
    EXPECT_GE(merged, 40);
}

TEST_F(RdfAndPageFetchTest, PageTitles)
{
    const QString url = QStringLiteral("http://page.test/");
    struct {
        const char* page;
        const char* title;
    } cases[] = {
        {"<html><head><title>Plain</title></head></html>", "Plain"},
        {"<HTML><TiTlE>Kept Case</tItLe>", "Kept Case"},
        {"<title lang=\"en\">With attributes</title>", "http://page.test/"},
        {"<html><body>no title</body></html>", "http://page.test/"},
        {"</title> before <title>", ""},
        {"<title>A &amp; B</title>", "A &amp; B"},
        {"<title>Two\r\nlines</title>", "Two\r\nlines"},
        {"<title>Unclosed", "http://page.test/"},
        {"<TITLE></TITLE>", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WebPageTitle(QString::fromUtf8(c.page), url), QString::fromUtf8(c.title)) << c.page;
    // A dotless or dotted I is no letter of the tag.
    EXPECT_EQ(WebPageTitle(QString::fromUtf8("<tıtle>x</tıtle>"), url), url);
}

TEST_F(RdfAndPageFetchTest, PageCharsets)
{
    const QByteArray latin = QStringEncoder(QStringConverter::Latin1)(QStringLiteral("<title>Caf\u00e9</title>"));
    const QByteArray utf8 = QStringLiteral("<title>Caf\u00e9</title>").toUtf8();
    const QByteArray metaLatin = "<meta charset=\"iso-8859-1\">" + latin;
    const QByteArray metaKoi = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=KOI8-R\">"
                               "<title>\xf0\xd2\xc9\xd7\xc5\xd4</title>";
    struct {
        QByteArray bytes;
        const char* contentType;
        QString title;
    } cases[] = {
        {utf8, "", QStringLiteral("Caf\u00e9")},                              // valid UTF-8
        {latin, "", QStringLiteral("Caf\u00e9")},                             // else Windows-1252
        {latin, "text/html; charset=ISO-8859-1", QStringLiteral("Caf\u00e9")}, // the server says
        {utf8, "text/html;charset=\"utf-8\"", QStringLiteral("Caf\u00e9")},
        {metaLatin, "", QStringLiteral("Caf\u00e9")},                         // the page says
        {metaKoi, "", QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442")},
        {metaKoi, "text/html; charset=nonsense", QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442")},
        {latin, "text/html; charset=utf-8", QStringLiteral("Caf\u00e9")},     // a wrong claim is not believed
        {"<meta charset=\"utf-16\">" + utf8, "", QStringLiteral("Caf\u00e9")},
        {"<title>\x93quoted\x94</title>", "text/html; charset=us-ascii", QStringLiteral("\u201cquoted\u201d")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WebPageTitle(DecodePageText(c.bytes, QString::fromLatin1(c.contentType)), ""), c.title)
            << c.bytes.constData() << " / " << c.contentType;

    // Through the fetch, the server's header decides.
    const QString url = QStringLiteral("http://cafe.test/");
    downloader.SetContentType(url, QStringLiteral("text/html; charset=KOI8-R"));
    QTreeWidgetItem* node = Fetch(url, "<title>\xf0\xd2\xc9\xd7\xc5\xd4</title>");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->text(0), QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442"));
}

TEST_F(RdfAndPageFetchTest, PagesBecomeWebNodesOnce)
{
    const QString url = QStringLiteral("http://page.test/a");
    const QByteArray page = "<html><head><title>Fish &amp; Chips</title></head><body>x</body></html>";
    QTreeWidgetItem* node = Fetch(url, page);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(organiser->tvTree->topLevelItem(0), node);
    EXPECT_EQ(node->text(0), "Fish & Chips");
    EXPECT_EQ(Item(node)->RawTitle, "Fish &amp; Chips");
    EXPECT_EQ(Item(node)->NewsType, kWebLink);
    EXPECT_EQ(Item(node)->Link, url);
    EXPECT_TRUE(QFile::exists(data.NewsFile));

    // Again: the same node, unchanged, even when the title changed.
    node->setText(0, "Renamed");
    EXPECT_EQ(Fetch(url, "<title>Other</title>"), node);
    EXPECT_EQ(node->text(0), "Renamed");
    EXPECT_EQ(organiser->tvTree->topLevelItemCount(), 1);

    // A node of the same URL inside a folder is not looked for.
    QTreeWidgetItem* folder = AddNode(nullptr, kFolder, "Folder");
    QTreeWidgetItem* inside = AddNode(folder, kWebLink, "Inside", "http://page.test/b");
    QTreeWidgetItem* top = Fetch("http://page.test/b", page);
    EXPECT_NE(top, inside);
    EXPECT_EQ(top->parent(), nullptr);

    // A page without a title, and one of 100,000 title characters.
    EXPECT_EQ(Fetch("http://page.test/c", "<p>no title</p>")->text(0), "http://page.test/c");
    const QString longTitle(100000, u'x');
    EXPECT_EQ(Fetch("http://page.test/d", "<title>" + longTitle.toUtf8() + "</title>")->text(0), longTitle);
}
