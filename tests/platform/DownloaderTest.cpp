// The real downloader against the local HTTP server and real files.
#include "platform/QtDownloader.h"

#include "support/LocalHttpServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

namespace {

using Failure = QtDownloader::Failure;

QtDownloader::Limits ShortLimits()
{
    QtDownloader::Limits limits;
    // Long enough that a busy machine (the sanitizer run, parallel tests)
    // does not turn a slow answer into a stall.
    limits.stallMs = 1000;
    limits.totalMs = 6000;
    limits.maxBytes = 1024 * 1024;
    limits.maxRedirects = 10;
    return limits;
}

QByteArray AllByteValues()
{
    QByteArray bytes;
    for (int round = 0; round < 3; ++round)
        for (int b = 0; b < 256; ++b)
            bytes.append(static_cast<char>(b));
    return bytes;
}

class DownloaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.IsListening()); }

    QString Target() const { return dir.filePath(QStringLiteral("rss.xml")); }

    QStringList FolderEntries() const
    {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    static QByteArray ReadAll(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    static void WriteFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    LocalHttpServer server;
    QTemporaryDir dir;
    QtDownloader downloader{ShortLimits()};
};

// ---- answers that must be written to the target -----------------------------

struct SuccessCase {
    const char* name;
    std::function<void(LocalHttpServer&)> setUp;
    const char* path; // what is asked for
    QByteArray expected;
};

TEST_F(DownloaderTest, WritesTheFinalBodyExactly)
{
    const QByteArray feed = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel/></rss>";
    const QByteArray big(300 * 1024, 'b'); // several reads' worth
    const SuccessCase cases[] = {
        {"plain 200", [&](LocalHttpServer& s) { s.Serve("/feed", feed, "application/rss+xml"); },
         "/feed", feed},
        {"binary body", [](LocalHttpServer& s) { s.Serve("/bin", AllByteValues(), "image/x-icon"); },
         "/bin", AllByteValues()},
        {"empty body", [](LocalHttpServer& s) { s.Serve("/empty", ""); }, "/empty", ""},
        {"204 no content", [](LocalHttpServer& s) { s.Serve("/none", "", "text/plain", 204); },
         "/none", ""},
        {"large body", [&](LocalHttpServer& s) { s.Serve("/big", big); }, "/big", big},
        {"query string", [&](LocalHttpServer& s) { s.Serve("/q", feed); }, "/q?a=1&b=two", feed},
        {"gzip body decoded", [&](LocalHttpServer& s) { s.ServeGzip("/gz", feed + big, "text/xml"); },
         "/gz", feed + big},
        {"three redirects",
         [&](LocalHttpServer& s) {
             s.Redirect("/r1", s.Url("/r2").toUtf8(), 301);
             s.Redirect("/r2", s.Url("/r3").toUtf8(), 302);
             s.Redirect("/r3", s.Url("/end").toUtf8(), 307);
             s.Serve("/end", feed);
         },
         "/r1", feed},
        {"303 and 308",
         [&](LocalHttpServer& s) {
             s.Redirect("/s1", s.Url("/s2").toUtf8(), 303);
             s.Redirect("/s2", s.Url("/end").toUtf8(), 308);
             s.Serve("/end", feed);
         },
         "/s1", feed},
        {"relative redirects",
         [&](LocalHttpServer& s) {
             s.Redirect("/dir/a", "b");           // same folder
             s.Redirect("/dir/b", "../top/c");    // up one
             s.Redirect("/top/c", "/abs?x=1");    // from the root
             s.Serve("/abs", feed);
         },
         "/dir/a", feed},
        {"redirect body is not kept",
         [&](LocalHttpServer& s) {
             LocalHttpServer::Route route;
             route.status = 302;
             route.body = QByteArray(5000, 'R');
             route.extraHeaders = {{"Location", "/end"}};
             s.SetRoute("/withbody", route);
             s.Serve("/end", feed);
         },
         "/withbody", feed},
    };
    for (const SuccessCase& c : cases) {
        SCOPED_TRACE(c.name);
        c.setUp(server);
        QFile::remove(Target());
        EXPECT_TRUE(downloader.Download(server.Url(c.path), Target())) << qPrintable(downloader.LastErrorText());
        EXPECT_EQ(downloader.LastFailure(), Failure::None);
        EXPECT_EQ(ReadAll(Target()), c.expected);
        EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("rss.xml")}) << "temporary file left";
    }
}

TEST_F(DownloaderTest, ReplacesAnExistingTarget)
{
    WriteFile(Target(), QByteArray(10000, 'o')); // longer than the new body
    server.Serve("/feed", "new");
    ASSERT_TRUE(downloader.Download(server.Url("/feed"), Target()));
    EXPECT_EQ(ReadAll(Target()), "new");
    EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("rss.xml")});
}

// ---- answers that must fail and leave the folder as it was -------------------

struct FailureCase {
    const char* name;
    std::function<void(LocalHttpServer&)> setUp;
    std::function<QString(LocalHttpServer&)> url;
    Failure expected;
};

std::function<QString(LocalHttpServer&)> Path(const char* path)
{
    return [path](LocalHttpServer& s) { return s.Url(path); };
}

std::vector<FailureCase> FailureCases()
{
    auto none = [](LocalHttpServer&) {};
    return {
        {"404", [](LocalHttpServer& s) { s.Serve("/x", "gone", "text/html", 404); }, Path("/x"),
         Failure::HttpStatus},
        {"500", [](LocalHttpServer& s) { s.Serve("/x", "oops", "text/html", 500); }, Path("/x"),
         Failure::HttpStatus},
        {"403", [](LocalHttpServer& s) { s.Serve("/x", "no", "text/html", 403); }, Path("/x"),
         Failure::HttpStatus},
        {"unknown path", none, Path("/nothing-here"), Failure::HttpStatus},
        {"304 is no body", [](LocalHttpServer& s) { s.Serve("/x", "", "", 304); }, Path("/x"),
         Failure::HttpStatus},
        {"redirect without Location", [](LocalHttpServer& s) { s.Serve("/x", "", "", 302); },
         Path("/x"), Failure::HttpStatus},
        {"redirect to a local file",
         [](LocalHttpServer& s) { s.Redirect("/x", "file:///etc/hostname"); }, Path("/x"),
         Failure::HttpStatus},
        {"redirect to a failing page",
         [](LocalHttpServer& s) {
             s.Redirect("/x", "/y");
             s.Serve("/y", "err", "text/plain", 500);
         },
         Path("/x"), Failure::HttpStatus},
        {"redirect loop",
         [](LocalHttpServer& s) {
             s.Redirect("/a", "/b");
             s.Redirect("/b", "/a");
         },
         Path("/a"), Failure::TooManyRedirects},
        {"redirect to itself", [](LocalHttpServer& s) { s.Redirect("/self", "/self"); },
         Path("/self"), Failure::TooManyRedirects},
        {"body cut short", [](LocalHttpServer& s) { s.ServeTruncated("/x", QByteArray(4000, 't'), 1000); },
         Path("/x"), Failure::Network},
        {"headers then silence", [](LocalHttpServer& s) { s.Stall("/x", true); }, Path("/x"),
         Failure::Stalled},
        {"no answer at all", [](LocalHttpServer& s) { s.Stall("/x", false); }, Path("/x"),
         Failure::Stalled},
        {"announced too large", [](LocalHttpServer& s) { s.Serve("/x", QByteArray(1024 * 1024 + 1, 'L')); },
         Path("/x"), Failure::TooLarge},
        {"refused connection", none,
         [](LocalHttpServer&) {
             return QStringLiteral("http://127.0.0.1:%1/feed").arg(LocalHttpServer::UnusedPort());
         },
         Failure::Network},
        {"https to a plain http server", [](LocalHttpServer& s) { s.Serve("/x", "plain"); },
         [](LocalHttpServer& s) { return QStringLiteral("https://127.0.0.1:%1/x").arg(s.Port()); },
         Failure::Network},
        {"https refused", none,
         [](LocalHttpServer&) {
             return QStringLiteral("https://127.0.0.1:%1/x").arg(LocalHttpServer::UnusedPort());
         },
         Failure::Network},
        {"missing local file", none,
         [](LocalHttpServer&) { return QStringLiteral("file:///nonexistent/quorbel/feed.xml"); },
         Failure::Network},
        // Last: its server side keeps writing for a while after we hang up,
        // which on a busy machine can hold up the cases after it.
        {"endless body", [](LocalHttpServer& s) { s.ServeEndless("/x"); }, Path("/x"),
         Failure::TooLarge},
    };
}

TEST_F(DownloaderTest, FailuresLeaveNoFile)
{
    for (const FailureCase& c : FailureCases()) {
        SCOPED_TRACE(c.name);
        c.setUp(server);
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(downloader.Download(c.url(server), Target()));
        EXPECT_EQ(downloader.LastFailure(), c.expected) << qPrintable(downloader.LastErrorText());
        EXPECT_LT(clock.elapsed(), ShortLimits().totalMs) << "ended only by the total limit";
        EXPECT_TRUE(FolderEntries().isEmpty()) << qPrintable(FolderEntries().join(' '));
    }
}

TEST_F(DownloaderTest, FailuresKeepAnExistingTarget)
{
    const QByteArray old = "<rss>the previous download</rss>";
    for (const FailureCase& c : FailureCases()) {
        SCOPED_TRACE(c.name);
        c.setUp(server);
        WriteFile(Target(), old);
        EXPECT_FALSE(downloader.Download(c.url(server), Target()));
        EXPECT_EQ(ReadAll(Target()), old);
        EXPECT_EQ(FolderEntries(), QStringList{QStringLiteral("rss.xml")});
    }
}

// ---- limits at their edges ---------------------------------------------------

TEST_F(DownloaderTest, RedirectLimitCountsHops)
{
    QtDownloader::Limits limits = ShortLimits();
    limits.maxRedirects = 3;
    downloader.SetLimits(limits);
    // /h4 -> /h3 -> /h2 -> /h1 -> /h0 (the page): four hops from /h4.
    for (int i = 1; i <= 4; ++i)
        server.Redirect(QStringLiteral("/h%1").arg(i), QStringLiteral("/h%1").arg(i - 1).toUtf8());
    server.Serve("/h0", "page");

    EXPECT_TRUE(downloader.Download(server.Url("/h3"), Target()));
    EXPECT_EQ(ReadAll(Target()), "page");
    QFile::remove(Target());
    EXPECT_FALSE(downloader.Download(server.Url("/h4"), Target()));
    EXPECT_EQ(downloader.LastFailure(), Failure::TooManyRedirects);
    EXPECT_EQ(server.RequestCount("/h0"), 1) << "the fourth hop must not be requested";
    EXPECT_FALSE(QFile::exists(Target()));
}

TEST_F(DownloaderTest, SizeLimitIsInclusive)
{
    QtDownloader::Limits limits = ShortLimits();
    limits.maxBytes = 5000;
    downloader.SetLimits(limits);
    struct {
        const char* name;
        std::function<void(const QByteArray&)> serve;
    } deliveries[] = {
        {"whole", [&](const QByteArray& body) { server.Serve("/s", body); }},
        {"gzip", [&](const QByteArray& body) { server.ServeGzip("/s", body); }},
        {"in pieces", [&](const QByteArray& body) { server.ServeSlowly("/s", body, 700, 1); }},
    };
    for (const auto& d : deliveries) {
        SCOPED_TRACE(d.name);
        d.serve(QByteArray(5000, 'e'));
        EXPECT_TRUE(downloader.Download(server.Url("/s"), Target()));
        EXPECT_EQ(ReadAll(Target()).size(), 5000);
        QFile::remove(Target());
        d.serve(QByteArray(5001, 'e'));
        EXPECT_FALSE(downloader.Download(server.Url("/s"), Target()));
        EXPECT_EQ(downloader.LastFailure(), Failure::TooLarge);
        EXPECT_FALSE(QFile::exists(Target()));
    }
}

TEST_F(DownloaderTest, EndlessBodyStopsNearTheSizeLimit)
{
    server.ServeEndless("/endless", 32 * 1024, 0);
    EXPECT_FALSE(downloader.Download(server.Url("/endless"), Target()));
    EXPECT_EQ(downloader.LastFailure(), Failure::TooLarge);
    const qint64 limit = ShortLimits().maxBytes;
    EXPECT_GT(server.BodyBytesSent(), limit);
    // The transfer is cut off once over the limit, not read on until a timer ends it.
    EXPECT_LT(server.BodyBytesSent(), 8 * limit);
}

TEST_F(DownloaderTest, StallLimitEndsASilentTransfer)
{
    QtDownloader::Limits limits = ShortLimits();
    limits.stallMs = 250;
    downloader.SetLimits(limits);
    server.Stall("/quiet", true);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(downloader.Download(server.Url("/quiet"), Target()));
    EXPECT_EQ(downloader.LastFailure(), Failure::Stalled);
    EXPECT_GE(clock.elapsed(), 200);
    EXPECT_LT(clock.elapsed(), 1500);
}

TEST_F(DownloaderTest, StallLimitRestartsWhenDataArrives)
{
    // Pieces 70 ms apart: each pause is under the stall limit of 200 ms,
    // the whole transfer (about 420 ms) is over it.
    QtDownloader::Limits limits = ShortLimits();
    limits.stallMs = 200;
    downloader.SetLimits(limits);
    server.ServeSlowly("/trickle", "abcdefghijklmnopqrstuvwxyz0123", 5, 70);
    EXPECT_TRUE(downloader.Download(server.Url("/trickle"), Target())) << qPrintable(downloader.LastErrorText());
    EXPECT_EQ(ReadAll(Target()), "abcdefghijklmnopqrstuvwxyz0123");
}

TEST_F(DownloaderTest, TotalLimitEndsATransferThatKeepsTrickling)
{
    QtDownloader::Limits limits = ShortLimits();
    limits.totalMs = 500;
    downloader.SetLimits(limits);
    server.ServeSlowly("/long", QByteArray(200, 'z'), 2, 40); // about 4 s in all
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(downloader.Download(server.Url("/long"), Target()));
    EXPECT_EQ(downloader.LastFailure(), Failure::TimedOut);
    EXPECT_GE(clock.elapsed(), 450);
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_TRUE(FolderEntries().isEmpty());
}

// ---- what the server sees ----------------------------------------------------

TEST_F(DownloaderTest, IdentifiesItselfAndOffersGzip)
{
    server.Serve("/feed", "x");
    ASSERT_TRUE(downloader.Download(server.Url("/feed"), Target()));
    const auto request = server.LastRequest("/feed");
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->method, "GET");
    EXPECT_EQ(request->Header("User-Agent"), "Quorbel/" QUORBEL_VERSION " (+https://quorbel.example.org/)");
    EXPECT_TRUE(request->Header("Accept-Encoding").contains("gzip"))
        << request->Header("Accept-Encoding").constData();
}

TEST_F(DownloaderTest, EveryRedirectHopIsIdentified)
{
    server.Redirect("/first", "/second");
    server.Serve("/second", "x");
    ASSERT_TRUE(downloader.Download(server.Url("/first"), Target()));
    for (const char* path : {"/first", "/second"}) {
        SCOPED_TRACE(path);
        const auto request = server.LastRequest(path);
        ASSERT_TRUE(request.has_value());
        EXPECT_TRUE(request->Header("User-Agent").startsWith("Quorbel/"));
    }
}

// ---- local files and odd input -----------------------------------------------

TEST_F(DownloaderTest, CopiesLocalFiles)
{
    QTemporaryDir sourceDir;
    const QString source = sourceDir.filePath(QStringLiteral("feed with space.xml"));
    WriteFile(source, AllByteValues());
    const QString fileUrl = QUrl::fromLocalFile(source).toString();
    for (const QString& url : {fileUrl, source}) {
        SCOPED_TRACE(qPrintable(url));
        QFile::remove(Target());
        EXPECT_TRUE(downloader.Download(url, Target())) << qPrintable(downloader.LastErrorText());
        EXPECT_EQ(ReadAll(Target()), AllByteValues());
    }
    EXPECT_EQ(ReadAll(source), AllByteValues()) << "source changed";

    QFile::remove(Target());
    EXPECT_FALSE(downloader.Download(QUrl::fromLocalFile(sourceDir.path()).toString(), Target()))
        << "a folder is not a file";
    EXPECT_TRUE(FolderEntries().isEmpty());
}

TEST_F(DownloaderTest, RejectsWhatItCannotFetch)
{
    const struct {
        QString url;
        QString target;
        Failure expected;
    } cases[] = {
        {"", Target(), Failure::BadUrl},
        {"   ", Target(), Failure::BadUrl},
        {"ftp://127.0.0.1/feed.xml", Target(), Failure::BadUrl},
        {"mailto:someone@example.org", Target(), Failure::BadUrl},
        {"www.example.org/feed.xml", Target(), Failure::BadUrl},
        {"http://", Target(), Failure::BadUrl},
        {server.Url("/feed"), "", Failure::CannotWrite},
        {server.Url("/feed"), dir.filePath("no/such/folder/rss.xml"), Failure::CannotWrite},
    };
    server.Serve("/feed", "x");
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.url + " -> " + c.target));
        EXPECT_FALSE(downloader.Download(c.url, c.target));
        EXPECT_EQ(downloader.LastFailure(), c.expected);
    }
    EXPECT_TRUE(FolderEntries().isEmpty());
    EXPECT_EQ(server.RequestCount("/feed"), 0);
}

// ---- the event loop during a transfer ----------------------------------------

TEST_F(DownloaderTest, TimersRunDuringATransfer)
{
    server.ServeSlowly("/slow", QByteArray(10, 's'), 1, 30); // about 300 ms
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    EXPECT_TRUE(downloader.Download(server.Url("/slow"), Target()));
    timer.stop();
    EXPECT_GE(ticks, 10);
    EXPECT_EQ(ReadAll(Target()), QByteArray(10, 's'));
}

TEST_F(DownloaderTest, ADownloadMayRunInsideAnother)
{
    // A timer firing during one transfer starts a second one, as a site icon
    // fetch might during a feed fetch; both must complete with their own data.
    server.ServeSlowly("/outer", "outer-body", 2, 40);
    server.Serve("/inner", "inner-body");
    const QString innerTarget = dir.filePath(QStringLiteral("inner.xml"));
    bool innerResult = false;
    QTimer::singleShot(30, [&] { innerResult = downloader.Download(server.Url("/inner"), innerTarget); });
    EXPECT_TRUE(downloader.Download(server.Url("/outer"), Target()));
    EXPECT_TRUE(innerResult);
    EXPECT_EQ(ReadAll(Target()), "outer-body");
    EXPECT_EQ(ReadAll(innerTarget), "inner-body");
}

} // namespace

namespace {
// A transfer that does not complete is a failure, whatever ends it, and an
// existing target keeps its content; after the application has quit (its
// event loops end at once), a download fails at once too.
TEST_F(DownloaderTest, CancelledOrQuitTransfersFailAndKeepTheTarget)
{
    server.ServeSlowly("/slow", QByteArray(20, 's'), 1, 40); // about 800 ms
    server.Serve("/fast", "body");
    WriteFile(Target(), "kept");
    QTimer::singleShot(100, [&] { downloader.CancelAll(); });
    EXPECT_FALSE(downloader.Download(server.Url("/slow"), Target()));
    EXPECT_EQ(downloader.LastFailure(), Failure::Cancelled);
    EXPECT_EQ(ReadAll(Target()), "kept");
    EXPECT_EQ(FolderEntries(), QStringList{"rss.xml"});

    // The application quits while the transfer runs (as it runs inside the
    // program's own event loop), then something still asks for a download.
    bool quitResult = true;
    bool afterQuit = true;
    Failure quitFailure = Failure::None;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(100, [] { QCoreApplication::quit(); });
        quitResult = downloader.Download(server.Url("/slow"), Target());
        quitFailure = downloader.LastFailure();
        afterQuit = downloader.Download(server.Url("/fast"), Target());
    });
    QCoreApplication::exec();
    EXPECT_FALSE(quitResult);
    EXPECT_EQ(quitFailure, Failure::Cancelled);
    EXPECT_FALSE(afterQuit);
    EXPECT_EQ(ReadAll(Target()), "kept"); // neither the partial body nor an empty file
    EXPECT_EQ(FolderEntries(), QStringList{"rss.xml"});
    EXPECT_TRUE(downloader.Download(server.Url("/fast"), Target())); // running again
}
} // namespace
