#include "feeds/FeedChannel.h"

#include <gtest/gtest.h>

namespace {
TEST(FeedChannelTest, StoredLinkOfAnItem)
{
    struct {
        const char* link;
        const char* media;
        const char* type;
        const char* id;
        const char* expected;
    } cases[] = {
        {"http://a/page", "http://a/ep.mp3", "audio/mpeg", "", "http://a/ep.mp3"},
        {"http://a/page", "http://a/ep", "Audio/MPEG; charset=x", "", "http://a/ep"},
        {"http://a/page", "http://a/clip", "video/mp4", "", "http://a/clip"},
        {"http://a/page", "http://a/ep.mp3", "", "", "http://a/ep.mp3"},
        {"http://a/page", "http://a/ep.m4v", "application/octet-stream", "", "http://a/ep.m4v"},
        {"http://a/page", "http://a/ep.mp3", "application/pdf", "", "http://a/page"},
        {"http://a/page", "http://a/pic.jpg", "image/jpeg", "", "http://a/page"},
        {"http://a/page", "http://a/doc", "", "", "http://a/page"},
        {" ", " http://a/doc.pdf ", "application/pdf", "http://a/id", "http://a/doc.pdf"},
        {"", "", "", " http://a/id ", "http://a/id"},
        {"", "", "audio/mpeg", "", ""},
    };
    for (const auto& c : cases) {
        TFeedItem item;
        item.link = c.link;
        item.mediaLink = c.media;
        item.mediaType = c.type;
        item.idLink = c.id;
        EXPECT_EQ(ChosenItemLink(item), c.expected) << c.link << " | " << c.media << " | " << c.type;
    }
}
} // namespace
