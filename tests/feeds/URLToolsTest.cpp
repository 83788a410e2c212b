// DownloadURLToFile and IsInternetConnected go through the installed services.
#include "feeds/URLTools.h"

#include "platform/QtDownloader.h"
#include "support/FakeConnectivity.h"
#include "support/FakeDownloader.h"
#include "support/LocalHttpServer.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

TEST(DownloadURLToFile, UsesTheInstalledDownloader)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("rss.xml"));
    FakeDownloader fake;
    fake.Serve("http://feeds.example.org/a.xml", "<rss/>");
    fake.Fail("http://feeds.example.org/down.xml");

    EXPECT_TRUE(DownloadURLToFile("http://feeds.example.org/a.xml", target));
    EXPECT_EQ(ReadAll(target), "<rss/>");
    EXPECT_FALSE(DownloadURLToFile("http://feeds.example.org/down.xml", target));
    EXPECT_FALSE(DownloadURLToFile("http://feeds.example.org/unknown.xml", target));
    EXPECT_EQ(ReadAll(target), "<rss/>") << "a failed download touched the target";

    ASSERT_EQ(fake.Calls().size(), 3);
    EXPECT_EQ(fake.Calls()[0].fileName, target);
    EXPECT_TRUE(fake.Calls()[0].result);
    EXPECT_FALSE(fake.Calls()[1].result);
    EXPECT_EQ(fake.CallCount("http://feeds.example.org/unknown.xml"), 1);
}

TEST(DownloadURLToFile, DefaultsToTheNetworkDownloader)
{
    {
        FakeDownloader fake;
        EXPECT_EQ(&Downloader(), &fake);
    }
    EXPECT_NE(dynamic_cast<QtDownloader*>(&Downloader()), nullptr);

    // And that one really fetches.
    LocalHttpServer server;
    ASSERT_TRUE(server.IsListening());
    server.Serve("/feed.xml", "<rss version=\"2.0\"/>", "application/rss+xml");
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("rss.xml"));
    EXPECT_TRUE(DownloadURLToFile(server.Url("/feed.xml"), target));
    EXPECT_EQ(ReadAll(target), "<rss version=\"2.0\"/>");
    EXPECT_FALSE(DownloadURLToFile(server.Url("/missing.xml"), target + ".2"));
    EXPECT_FALSE(QFile::exists(target + ".2"));
}

TEST(Connectivity, IsInternetConnectedAsksTheInstalledService)
{
    FakeConnectivity fake(false);
    EXPECT_FALSE(IsInternetConnected());
    fake.SetConnected(true);
    EXPECT_TRUE(IsInternetConnected());
    EXPECT_EQ(fake.Queries(), 2);
}

TEST(Connectivity, RemovingTheFakeRestoresTheSystemService)
{
    IConnectivity* system = &Connectivity();
    {
        FakeConnectivity fake;
        EXPECT_EQ(&Connectivity(), &fake);
    }
    EXPECT_EQ(&Connectivity(), system);
}

TEST(NormaliseFeedURL, FeedLinksBecomeWebURLs)
{
    const struct {
        const char* given;
        const char* expected;
    } cases[] = {
        {"feed://news.test/rss.xml", "http://news.test/rss.xml"},
        {"FEED://news.test/a?b=1", "http://news.test/a?b=1"},
        {"feed:https://news.test/rss", "https://news.test/rss"},
        {"feed:http://news.test/rss", "http://news.test/rss"},
        {"feed://https://news.test/rss", "https://news.test/rss"}, // as some browsers hand it over
        {"feed:news.test/rss", "http://news.test/rss"},
        {"  feed://news.test/rss\r\n", "http://news.test/rss"},
        {"feed:", "feed:"},            // names nothing: left alone
        {"feed://", "feed://"},
        {"http://news.test/feed", "http://news.test/feed"}, // not a feed link: unchanged
        {"feeder notes", "feeder notes"},
        {"my feed://x", "my feed://x"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormaliseFeedURL(QString::fromUtf8(c.given)), QString::fromUtf8(c.expected)) << c.given;
}

} // namespace
