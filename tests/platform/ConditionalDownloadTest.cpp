// The real downloader's conditional requests, what it reports of the
// server's answer, and its downloads into memory.
#include "platform/QtDownloader.h"

#include "support/LocalHttpServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
class ConditionalDownloadTest : public ::testing::Test {
protected:
    ConditionalDownloadTest()
    {
        QtDownloader::Limits limits;
        limits.stallMs = 1000;
        limits.totalMs = 6000;
        limits.maxBytes = 64 * 1024;
        downloader.SetLimits(limits);
    }
    QString Target() const { return dir.filePath(QStringLiteral("rss.xml")); }

    TDownloadAnswer Fetch(const QString& path, const QByteArray& etag = {}, const QByteArray& lastModified = {})
    {
        return downloader.DownloadRequest({server.Url(path), etag, lastModified}, Target());
    }

    // Starts a download into memory and waits for its report.
    TDownloadAnswer FetchInMemory(const QString& path, int* reports = nullptr, bool unattended = false)
    {
        TDownloadAnswer got;
        bool done = false;
        TDownloadRequest request{server.Url(path), {}, {}};
        request.unattended = unattended;
        downloader.StartDownload(request, [&](const TDownloadAnswer& answer) {
            got = answer;
            done = true;
            if (reports)
                ++*reports;
        });
        QElapsedTimer t;
        t.start();
        while (!done && t.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return got;
    }

    LocalHttpServer server;
    QTemporaryDir dir;
    QtDownloader downloader;
};
} // namespace

TEST_F(ConditionalDownloadTest, ValidatorsGoOutAndA304KeepsTheFile)
{
    LocalHttpServer::Route fresh;
    fresh.body = "<rss/>";
    fresh.extraHeaders = {{"ETag", "\"v1\""}, {"Last-Modified", "Tue, 08 Dec 2026 10:00:00 GMT"}};
    server.SetRoute("/feed", fresh);
    TDownloadAnswer first = Fetch("/feed");
    ASSERT_TRUE(first.ok);
    EXPECT_FALSE(first.notModified);
    EXPECT_EQ(first.status, 200);
    EXPECT_EQ(first.etag, "\"v1\"");
    EXPECT_EQ(first.lastModified, "Tue, 08 Dec 2026 10:00:00 GMT");
    EXPECT_FALSE(server.LastRequest("/feed")->Header("If-None-Match").size());

    LocalHttpServer::Route same;
    same.status = 304;
    server.SetRoute("/feed", same);
    const TDownloadAnswer second = Fetch("/feed", first.etag, first.lastModified);
    EXPECT_TRUE(second.ok && second.notModified);
    EXPECT_EQ(second.status, 304);
    EXPECT_EQ(server.LastRequest("/feed")->Header("If-None-Match"), "\"v1\"");
    EXPECT_EQ(server.LastRequest("/feed")->Header("If-Modified-Since"), "Tue, 08 Dec 2026 10:00:00 GMT");
    QFile kept(Target());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "<rss/>"); // the earlier body stays

    // A 304 to a request that sent no validator is no answer we can use.
    const TDownloadAnswer unasked = Fetch("/feed");
    EXPECT_FALSE(unasked.ok);
    EXPECT_FALSE(unasked.notModified);
}

TEST_F(ConditionalDownloadTest, FailuresTellStatusRetryAfterAndPermanentMoves)
{
    struct {
        int status;
        QByteArray retryAfter;
    } cases[] = {{410, ""}, {429, "120"}, {503, "Wed, 09 Dec 2026 13:00:00 GMT"}, {404, ""}};
    for (const auto& c : cases) {
        LocalHttpServer::Route route;
        route.status = c.status;
        if (!c.retryAfter.isEmpty())
            route.extraHeaders = {{"Retry-After", c.retryAfter}};
        server.SetRoute("/f", route);
        const TDownloadAnswer answer = Fetch("/f");
        EXPECT_FALSE(answer.ok) << c.status;
        EXPECT_EQ(answer.status, c.status);
        EXPECT_EQ(answer.retryAfter, c.retryAfter);
        EXPECT_FALSE(answer.cancelled);
    }

    // 301 then 308: moved for good; a 302 in between ends the permanent part.
    server.Redirect("/old", "/newer", 301);
    server.Redirect("/newer", "/newest", 308);
    server.Redirect("/newest", "/today", 302);
    server.Serve("/today", "x");
    EXPECT_EQ(Fetch("/old").movedTo, server.Url("/newest"));
    EXPECT_EQ(Fetch("/newest").movedTo, QString());
}

TEST_F(ConditionalDownloadTest, InMemoryDownloadsReportOnceWithTheBodyAndTheLimits)
{
    server.ServeGzip("/feed", QByteArray(5000, 'a'), "application/rss+xml");
    int reports = 0;
    TDownloadAnswer answer = FetchInMemory("/feed", &reports);
    EXPECT_TRUE(answer.ok);
    EXPECT_EQ(answer.body, QByteArray(5000, 'a'));
    EXPECT_EQ(answer.contentType, "application/rss+xml");
    EXPECT_FALSE(QFile::exists(Target()));

    server.ServeEndless("/endless");
    answer = FetchInMemory("/endless", &reports);
    EXPECT_FALSE(answer.ok);
    EXPECT_TRUE(answer.body.isEmpty());
    answer = FetchInMemory("/missing", &reports);
    EXPECT_EQ(answer.status, 404);
    EXPECT_EQ(reports, 3);

    // Cancel: reported as cancelled, once.
    server.Stall("/stall", true);
    bool cancelled = false;
    int stallReports = 0;
    const int id = downloader.StartDownload({server.Url("/stall"), {}, {}}, [&](const TDownloadAnswer& a) {
        cancelled = a.cancelled;
        ++stallReports;
    });
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    downloader.Cancel(id);
    downloader.Cancel(id + 1000); // unknown: ignored
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(stallReports, 1);
}

TEST_F(ConditionalDownloadTest, UnattendedDownloadsGiveUpSilentAndCrawlingServersSooner)
{
    QtDownloader::Limits limits;
    limits.stallMs = 3000;
    limits.totalMs = 6000;
    limits.unattendedStallMs = 200;
    limits.slowAfterMs = 300;
    limits.minBytesPerSecond = 1024;
    downloader.SetLimits(limits);
    server.Stall("/quiet", true);
    server.ServeSlowly("/crawl", QByteArray(40, 'z'), 2, 40); // 50 bytes a second, 0.8 s in all
    struct {
        const char* path;
        bool unattended;
        bool ok;
        qint64 atMostMs;
    } const cases[] = {
        {"/quiet", true, false, 1500}, // the short stall limit
        {"/crawl", true, false, 700},  // too slow once slowAfterMs have gone
        {"/crawl", false, true, 3000}, // someone waits for it: it may crawl
    };
    for (const auto& c : cases) {
        QElapsedTimer clock;
        clock.start();
        const TDownloadAnswer answer = FetchInMemory(c.path, nullptr, c.unattended);
        EXPECT_EQ(answer.ok, c.ok) << c.path << c.unattended << qPrintable(answer.errorText);
        EXPECT_LT(clock.elapsed(), c.atMostMs) << c.path << c.unattended;
        if (c.ok)
            EXPECT_EQ(answer.body, QByteArray(40, 'z'));
    }
}
