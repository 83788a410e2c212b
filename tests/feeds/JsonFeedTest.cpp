#include "feeds/JsonFeed.h"

#include "model/IsoDate.h"
#include "support/FakeClock.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {
TFeedChannel Read(const QByteArray& json, TJsonKind expected = TJsonKind::JsonFeed)
{
    TFeedChannel channel;
    EXPECT_EQ(ReadJsonFeed(json, channel), expected) << json.left(200).constData();
    return channel;
}

TFeedItem ReadItem(const QByteArray& item)
{
    const TFeedChannel channel =
        Read("{\"version\":\"https://jsonfeed.org/version/1.1\",\"items\":[" + item + "]}");
    return channel.items.empty() ? TFeedItem() : channel.items.front();
}

TEST(JsonFeedTest, KindsOfDocument)
{
    struct {
        QByteArray text;
        TJsonKind kind;
    } cases[] = {
        {"{\"version\":\"https://jsonfeed.org/version/1\",\"items\":[]}", TJsonKind::JsonFeed},
        {"\xEF\xBB\xBF \n{\"version\":\"https://jsonfeed.org/version/1.1\"}", TJsonKind::JsonFeed},
        {"{\"version\":\"http://jsonfeed.org/version/1\"}", TJsonKind::JsonFeed},
        {"{\"version\":\"https://example.test/version/1\"}", TJsonKind::OtherJson},
        {"{\"version\":1}", TJsonKind::OtherJson},
        {"[{\"version\":\"https://jsonfeed.org/version/1\"}]", TJsonKind::OtherJson},
        {"{\"version\":\"https://jsonfeed.org/version/1\",", TJsonKind::NotJson},
        {"<?xml version=\"1.0\"?><rss/>", TJsonKind::NotJson},
        {"", TJsonKind::NotJson},
        {QByteArray(100, '[') + QByteArray(100, ']'), TJsonKind::Refused},
        // Brackets inside strings do not count as nesting.
        {"{\"version\":\"https://jsonfeed.org/version/1\",\"title\":\"" + QByteArray(100, '[') + "\\\"\"}",
         TJsonKind::JsonFeed},
    };
    for (const auto& c : cases) {
        TFeedChannel channel;
        EXPECT_EQ(ReadJsonFeed(c.text, channel), c.kind) << c.text.left(80).constData();
    }
}

TEST(JsonFeedTest, ItemMapping)
{
    struct {
        const char* item;
        const char* title;
        const char* link;
        const char* description;
        const char* media = "";
        const char* id = "";
    } cases[] = {
        {R"({"title":"A < B","url":"http://a.test/1","content_html":"<p>x</p>","content_text":"no"})", "A &lt; B",
         "http://a.test/1", "<p>x</p>"},
        {R"({"external_url":" http://b.test/ ","content_text":"1 < 2 & 3"})", "", "http://b.test/",
         "1 &lt; 2 &amp; 3"},
        {R"({"url":"","external_url":"http://b.test/","summary":"S"})", "", "http://b.test/", "S"},
        {R"({"id":"https://a.test/9"})", "", "", "", "", "https://a.test/9"},
        {R"({"id":"urn:x:9"})", "", "", ""},
        {R"({"id":9,"title":42,"url":["http://a.test/"],"content_html":{"a":1}})", "", "", ""},
        {R"({"attachments":[{"url":"http://a.test/c.jpg","mime_type":"image/jpeg"},
             {"url":"http://a.test/e","mime_type":"audio/mpeg"}]})",
         "", "", "", "http://a.test/e"},
        {R"({"attachments":[{"url":"http://a.test/a.pdf"},{"url":"http://a.test/b.pdf"}]})", "", "", "",
         "http://a.test/a.pdf"},
        {R"({"attachments":"http://a.test/e.mp3"})", "", "", ""},
        {R"({"attachments":[7,{"url":3},{"mime_type":"audio/mpeg"}]})", "", "", ""},
    };
    for (const auto& c : cases) {
        const TFeedItem item = ReadItem(c.item);
        EXPECT_EQ(item.title, QString::fromUtf8(c.title)) << c.item;
        EXPECT_EQ(item.link, QString::fromUtf8(c.link)) << c.item;
        EXPECT_EQ(item.description, QString::fromUtf8(c.description)) << c.item;
        EXPECT_EQ(item.mediaLink, QString::fromUtf8(c.media)) << c.item;
        EXPECT_EQ(item.idLink, QString::fromUtf8(c.id)) << c.item;
    }
}

TEST(JsonFeedTest, FeedFieldsAndDates)
{
    FakeClock clock(QDateTime(QDate(2026, 12, 9), QTime(12, 0)));
    const TFeedChannel feed = Read(R"({"version":"https://jsonfeed.org/version/1.1","title":"J &amp; co",
        "home_page_url":"http://j.test/","description":"About","items":[
        {"date_published":"2026-12-01T08:00:00Z","date_modified":"2026-12-05T08:00:00Z"},
        {"date_modified":"2026-12-05T08:00:00+01:00"}, {"date_published":"soon"}, {}]})");
    EXPECT_EQ(feed.title, "J &amp; co");
    EXPECT_EQ(feed.siteLink, "http://j.test/");
    EXPECT_EQ(feed.description, "About");
    ASSERT_EQ(feed.items.size(), 4u);
    EXPECT_DOUBLE_EQ(feed.items[0].date, ParseFeedDate("2026-12-01T08:00:00Z"));
    EXPECT_DOUBLE_EQ(feed.items[1].date, ToDateTime(QDate(2026, 12, 5), QTime(8, 0)));
    EXPECT_DOUBLE_EQ(feed.items[2].date, NowDateTime());
    EXPECT_DOUBLE_EQ(feed.items[3].date, NowDateTime());
}

TEST(JsonFeedTest, HostileSizesAreRefusedQuickly)
{
    QElapsedTimer timer;
    timer.start();
    TFeedChannel channel;
    // Deep nesting: refused by the scan before Qt's reader sees it.
    QByteArray deep = "{\"version\":\"https://jsonfeed.org/version/1\",\"x\":";
    deep += QByteArray(100000, '[') + QByteArray(100000, ']') + "}";
    EXPECT_EQ(ReadJsonFeed(deep, channel), TJsonKind::Refused);
    QByteArray large(kMaxJsonFeedBytes + 1, ' ');
    large[0] = '{';
    EXPECT_EQ(ReadJsonFeed(large, channel), TJsonKind::Refused);
    EXPECT_LT(timer.elapsed(), 500);

    // As deep as allowed still reads.
    QByteArray allowed = "{\"version\":\"https://jsonfeed.org/version/1\",\"x\":";
    allowed += QByteArray(kMaxJsonFeedDepth - 1, '[') + QByteArray(kMaxJsonFeedDepth - 1, ']') + "}";
    EXPECT_EQ(ReadJsonFeed(allowed, channel), TJsonKind::JsonFeed);
}
} // namespace
