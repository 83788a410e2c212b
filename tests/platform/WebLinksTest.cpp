// Web addresses and desktop links: one table for both rules.
#include "platform/WebLinks.h"

#include <QUrl>
#include <gtest/gtest.h>

namespace {

TEST(WebLinks, WebURLsAndDesktopLinks)
{
    const struct {
        const char* link;
        bool web;
        bool desktop;
    } cases[] = {
        {"http://news.example/a?b=1", true, true},
        {"HTTPS://News.Example/", true, true},
        {"hTTp://news.example", true, true},
        {"  https://news.example/padded  ", true, true},
        {"http://news.example/a b", true, true}, // lenient, as the downloader reads it
        {"http://user@news.example:8080/x", true, true},
        {"http://", false, false},
        {"http:/nohost", false, false},
        {"http:news.example", false, false},
        {"https:///path-only", false, false},
        {"ftp://ftp.example/file.mp3", false, true},
        {"ftp:///file.mp3", false, false},
        {"mailto:editor@news.example", false, true},
        {"mailto:", false, false},
        {"mailto:  ", false, false},
        {"file:///etc/passwd", false, false},
        {"feed://news.example/rss", false, false},
        {"smb://server/share", false, false},
        {"/usr/bin/xterm", false, false},
        {"xterm -e sh", false, false},
        {"javascript:alert(1)", false, false},
        {"data:text/html,<b>x</b>", false, false},
        {"www.news.example", false, false},
        {"-http://news.example/", false, false},
        {"C:\\Windows\\notepad.exe", false, false},
        {"", false, false},
    };
    for (const auto& c : cases) {
        const QString link = QString::fromUtf8(c.link);
        EXPECT_EQ(IsWebURL(link), c.web) << c.link;
        EXPECT_EQ(IsDesktopLink(link), c.desktop) << c.link;
    }
}

TEST(WebLinks, ParsedURLsFollowTheSameRule)
{
    EXPECT_TRUE(IsWebURL(QUrl("https://news.example/")));
    EXPECT_TRUE(IsWebURL(QUrl::fromUserInput("news.example"))); // made http by the desktop's rule
    EXPECT_FALSE(IsWebURL(QUrl::fromLocalFile("/tmp/feed.xml")));
    EXPECT_FALSE(IsWebURL(QUrl()));
    EXPECT_FALSE(IsWebURL(QUrl("http:relative/path")));
}
} // namespace
