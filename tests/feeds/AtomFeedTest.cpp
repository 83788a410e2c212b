#include "feeds/AtomFeed.h"

#include "model/IsoDate.h"
#include "support/FakeClock.h"
#include "text/TextTools.h"

#include <gtest/gtest.h>

namespace {
const char* kAtom = "http://www.w3.org/2005/Atom";

TFeedChannel ReadAtom(const QString& feedContent, const char* ns = kAtom, const QString& feedAttributes = {})
{
    TXMLDocument document;
    document.LoadFromXML(QStringLiteral("<feed xmlns=\"%1\" %2>%3</feed>")
                             .arg(QLatin1String(ns), feedAttributes, feedContent)
                             .toUtf8());
    return ReadAtomFeed(document.DocumentElement());
}

TFeedItem ReadEntry(const QString& entryContent)
{
    const TFeedChannel channel = ReadAtom(QStringLiteral("<entry>%1</entry>").arg(entryContent));
    return channel.items.empty() ? TFeedItem() : channel.items.front();
}

TEST(AtomFeedTest, RecognisedByRootAndNamespace)
{
    struct {
        const char* xml;
        bool atom;
    } cases[] = {
        {"<feed xmlns=\"http://www.w3.org/2005/Atom\"/>", true},
        {"<a:feed xmlns:a=\"http://www.w3.org/2005/Atom\"/>", true},
        {"<feed xmlns=\"http://purl.org/atom/ns#\"/>", true},
        {"<feed/>", false},
        {"<feed xmlns=\"http://example.test/other\"/>", false},
        {"<entry xmlns=\"http://www.w3.org/2005/Atom\"/>", false},
    };
    for (const auto& c : cases) {
        TXMLDocument document;
        document.LoadFromXML(c.xml);
        EXPECT_EQ(IsAtomFeed(document.DocumentElement()), c.atom) << c.xml;
    }
}

TEST(AtomFeedTest, EntryMapping)
{
    struct {
        const char* entry;
        const char* title;
        const char* link;
        const char* description;
        const char* media = "";
        const char* id = "";
    } cases[] = {
        {"<title>Plain &amp; simple</title><link href=\"http://a.test/1\"/>", "Plain & simple", "http://a.test/1", ""},
        {"<title>a &lt;b&gt; c</title>", "a &lt;b> c", "", ""},
        {"<title type=\"html\">&lt;b&gt;Bold&lt;/b&gt;</title>", "<b>Bold</b>", "", ""},
        {"<title type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\">An <b>x</b></div></title>",
         "An <b>x</b>", "", ""},
        {"<title>t</title><link rel=\"self\" href=\"http://a.test/self\"/><link rel=\"alternate\" "
         "type=\"application/pdf\" href=\"http://a.test/p.pdf\"/><link type=\"text/html\" href=\"http://a.test/page\"/>",
         "t", "http://a.test/page", ""},
        {"<title>t</title><link rel=\"alternate\" href=\"http://a.test/first\"/><link href=\"http://a.test/second\"/>",
         "t", "http://a.test/first", ""},
        {"<title>t</title><summary>1 &lt; 2</summary><content type=\"html\">&lt;p&gt;x&lt;/p&gt;</content>", "t", "",
         "1 &lt; 2"},
        {"<title>t</title><summary> </summary><content type=\"html\">&lt;p&gt;x&lt;/p&gt;</content>", "t", "",
         "<p>x</p>"},
        {"<title>t</title><content type=\"xhtml\"><div xmlns=\"http://www.w3.org/1999/xhtml\"><p class=\"c\">A"
         "<br/>B</p></div></content>",
         "t", "", "<p class=\"c\">A<br/>B</p>"},
        {"<title>t</title><content src=\"http://a.test/out\"/>", "t", "", ""},
        {"<title>t</title><link rel=\"enclosure\" type=\"image/png\" href=\"http://a.test/i.png\"/>"
         "<link rel=\"enclosure\" type=\"audio/mpeg\" href=\"http://a.test/e\"/>",
         "t", "", "", "http://a.test/e"},
        {"<title>t</title><link rel=\"enclosure\" href=\"http://a.test/i.png\"/>", "t", "", "", "http://a.test/i.png"},
        {"<title>t</title><id>https://a.test/post/1</id>", "t", "", "", "", "https://a.test/post/1"},
        {"<title>t</title><id>tag:a.test,2026:1</id>", "t", "", "", "", ""},
        {"<title>t</title><link href=\"p/1\" xml:base=\"http://b.test/blog/\"/>", "t", "http://b.test/blog/p/1", ""},
        {"<title>t</title><link href=\"1\"/>", "t", "1", ""}, // the merge resolves it against the feed
        {"<title>t</title><x:link xmlns:x=\"http://example.test/\" href=\"http://no.test/\"/>", "t", "", ""},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        const TFeedItem item = ReadEntry(QString::fromUtf8(c.entry));
        EXPECT_EQ(item.title, QString::fromUtf8(c.title)) << c.entry;
        EXPECT_EQ(item.link, QString::fromUtf8(c.link)) << c.entry;
        EXPECT_EQ(item.description, QString::fromUtf8(c.description)) << c.entry;
        EXPECT_EQ(item.mediaLink, QString::fromUtf8(c.media)) << c.entry;
        EXPECT_EQ(item.idLink, QString::fromUtf8(c.id)) << c.entry;
    }
}

TEST(AtomFeedTest, TitlesComeOutAsTheirPlainText)
{
    // A text title keeps its characters through the title conversion.
    EXPECT_EQ(HTMLToText(ReadEntry("<title>if a &lt; b then</title>").title), "if a < b then");
    EXPECT_EQ(HTMLToText(ReadEntry("<title type=\"html\">A &lt;i&gt;B&lt;/i&gt;</title>").title), "A B");
}

TEST(AtomFeedTest, DatesAndFeedFields)
{
    FakeClock clock(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
    EXPECT_DOUBLE_EQ(ReadEntry("<published>2026-12-01T00:00:00Z</published><updated>2026-12-02T08:00:00Z</updated>").date,
                     ParseFeedDate("2026-12-02T08:00:00Z"));
    EXPECT_DOUBLE_EQ(ReadEntry("<published>2026-12-01T08:00:00+01:00</published>").date,
                     ToDateTime(QDate(2026, 12, 1), QTime(8, 0)));
    EXPECT_DOUBLE_EQ(ReadEntry("<updated>yesterday</updated>").date, NowDateTime());
    EXPECT_DOUBLE_EQ(ReadEntry("").date, NowDateTime());

    const TFeedChannel feed = ReadAtom("<title type=\"html\">News &amp;amp; more</title><subtitle>All &amp; sundry</subtitle>"
                                       "<link rel=\"self\" href=\"/feed\"/><link href=\"/\"/><entry/><entry/>",
                                       kAtom, "xml:base=\"http://site.test/x/\"");
    EXPECT_EQ(feed.title, "News &amp; more");
    EXPECT_EQ(feed.description, "All &amp; sundry");
    EXPECT_EQ(feed.siteLink, "http://site.test/");
    EXPECT_EQ(feed.items.size(), 2u);

    const TFeedChannel old = ReadAtom("<title>Old</title><tagline>Then</tagline><entry><title mode=\"escaped\" "
                                      "type=\"text/html\">&lt;b&gt;B&lt;/b&gt;</title><issued>2004-01-01T00:00:00Z"
                                      "</issued></entry>",
                                      "http://purl.org/atom/ns#");
    EXPECT_EQ(ReadAtom("<title mode=\"base64\">QSAmIEI=</title>", "http://purl.org/atom/ns#").title, "A & B");
    EXPECT_EQ(old.description, "Then");
    ASSERT_EQ(old.items.size(), 1u);
    EXPECT_EQ(old.items[0].title, "<b>B</b>");
    EXPECT_DOUBLE_EQ(old.items[0].date, ToDateTime(QDate(2004, 1, 1), QTime(1, 0)));
}
} // namespace
