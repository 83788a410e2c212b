// The feeds a page advertises: which links count, how their addresses are
// resolved, and what a hostile page gets.
#include "feeds/FeedDiscovery.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {
std::string Urls(const std::vector<TAdvertisedFeed>& feeds)
{
    QStringList urls;
    for (const TAdvertisedFeed& f : feeds)
        urls << f.url + (f.title.isEmpty() ? QString() : '|' + f.title);
    return urls.join(' ').toStdString();
}

TEST(FeedDiscoveryTest, AdvertisedFeedsInPageOrder)
{
    const QString page = QStringLiteral("http://site.test/blog/index.html");
    struct {
        const char* name;
        const char* head;
        const char* expected;
    } cases[] = {
        {"RSS, Atom, JSON Feed and JSON", R"h(<link rel="alternate" type="application/rss+xml" href="/rss" title="Posts">
          <LINK REL=Alternate TYPE='Application/Atom+XML' HREF='atom.xml'>
          <link type="application/feed+json; charset=utf-8" rel="alternate" href="//cdn.test/f.json">
          <link rel="alternate" type="application/json" href="https://site.test/j">)h",
         "http://site.test/rss|Posts http://site.test/blog/atom.xml http://cdn.test/f.json https://site.test/j"},
        {"rel is a list of words", R"h(<link rel="feed alternate" type="application/rss+xml" href="a">
          <link rel="alternative" type="application/rss+xml" href="b">
          <link rel="stylesheet" type="application/rss+xml" href="c">)h",
         "http://site.test/blog/a"},
        {"other types and no href", R"h(<link rel="alternate" type="text/html" href="x">
          <link rel="alternate" hreflang="de" href="y"><link rel="alternate" type="application/rss+xml">)h",
         ""},
        {"base resolves, before or after", R"h(<link rel="alternate" type="application/rss+xml" href="feed">
          <base href="http://other.test/dir/"><base href="http://third.test/">)h",
         "http://other.test/dir/feed"},
        {"references, blanks, duplicates", R"h(<link rel="alternate" type="application/rss+xml"
          href=" /f?a=1&amp;b=2 " title="Tom &amp; Jerry &#x2014; news">
          <link rel="alternate" type="application/atom+xml" href="/f?a=1&b=2">)h",
         "http://site.test/f?a=1&b=2|Tom & Jerry \u2014 news"},
        {"only http and https", R"h(<link rel="alternate" type="application/rss+xml" href="javascript:alert(1)">
          <link rel="alternate" type="application/rss+xml" href="file:///etc/passwd">
          <link rel="alternate" type="application/rss+xml" href="ftp://f.test/x">)h",
         ""},
        {"comments and other tags hide nothing else", R"h(<!-- <link rel="alternate" type="application/rss+xml" href="no"> -->
          <linkage rel="alternate" type="application/rss+xml" href="no2">
          <link/rel="alternate"/type="application/rss+xml"/href="yes">)h",
         "http://site.test/blog/yes"},
        {"unclosed tag", R"h(<link rel="alternate" type="application/rss+xml" href="cut)h", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Urls(AdvertisedFeeds(QString::fromUtf8(c.head), page)), c.expected) << c.name;
}

TEST(FeedDiscoveryTest, APageOfManyFeedsOffersTheFirstOnes)
{
    QString page;
    for (int i = 0; i < 100000; ++i)
        page += QStringLiteral("<link rel=\"alternate\" type=\"application/rss+xml\" href=\"/f%1\">").arg(i);
    const std::vector<TAdvertisedFeed> feeds = AdvertisedFeeds(page, QStringLiteral("https://many.test/"));
    ASSERT_EQ(static_cast<int>(feeds.size()), kMaxAdvertisedFeeds);
    EXPECT_EQ(feeds.front().url, "https://many.test/f0");
}
} // namespace
