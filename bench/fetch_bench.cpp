// Fetching many feeds: 200 feeds of 100 items each on a local server that
// answers every request after 100 ms, reached under eight loopback
// addresses (127.0.0.1 to 127.0.0.8, 25 feeds each). Measured with the
// real downloader and the organiser's pipeline:
//  - Reload All from the command to the last merge stored, with the longest
//    gap between two event-loop iterations during the run;
//  - the same again with the server answering 304 to the validators it gave
//    (no merge, no store expected);
//  - 200 feeds never fetched (as an OPML import leaves them) from the
//    restart of the updates to all of them filled.
// Site icons are not looked up (the feeds carry the feed picture).
#include "BenchMain.h"
#include "organiser/NewsFeeders.h"
#include "organiser/NewsStore.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "ticker/RssViews.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QFile>
#include <QTcpSocket>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <memory>
#include <vector>

namespace {
constexpr int kFeeds = 200;
constexpr int kItems = 100;
constexpr int kAddresses = 8;
constexpr int kAnswerMs = 100;

// Generation g holds stories g*10 to g*10+99: each new one brings ten.
QByteArray FeedBody(int feed, int generation = 0)
{
    QByteArray xml = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Feed " + QByteArray::number(feed)
                     + "</title>";
    for (int i = generation * 10; i < generation * 10 + kItems; ++i)
        xml += "<item><title>Feed " + QByteArray::number(feed) + " story " + QByteArray::number(i)
               + "</title><link>http://example.org/" + QByteArray::number(feed) + "/" + QByteArray::number(i)
               + "</link><description>Text of the story, long enough to be a paragraph of news.</description>"
                 "<pubDate>Wed, 09 Dec 2026 10:00:00 GMT</pubDate></item>";
    return xml + "</channel></rss>";
}

// Answers GET /feed/N after kAnswerMs; with notModified, a request that
// sends the ETag back gets 304. With failing set, every fourth feed fails,
// in turn: 404, silence, an endless body, a redirect loop, a slow drip.
class TFeedServer {
public:
    explicit TFeedServer(int feedCount = kFeeds, bool failing = false) : feedCount(feedCount), failing(failing)
    {
        for (int a = 1; a <= kAddresses; ++a) {
            auto server = std::make_unique<QTcpServer>();
            const QHostAddress address(QStringLiteral("127.0.0.%1").arg(a));
            if (!server->listen(address, port))
                continue;
            port = server->serverPort();
            QObject::connect(server.get(), &QTcpServer::newConnection, [this, s = server.get()] {
                while (QTcpSocket* socket = s->nextPendingConnection())
                    Serve(socket);
            });
            servers.push_back(std::move(server));
        }
        for (int f = 0; f < feedCount; ++f)
            bodies.push_back(FeedBody(f));
        perFeed.assign(feedCount, 0);
    }
    enum class TFailure { None, NotFound, Silent, Endless, Loop, Drip };
    TFailure FailureOf(int feed) const
    {
        if (!failing || feed % 4 != 3)
            return TFailure::None;
        return static_cast<TFailure>(1 + (feed / 4) % 5);
    }
    std::vector<int> perFeed; // requests per feed
    bool Ready() const { return static_cast<int>(servers.size()) == kAddresses; }
    QString Url(int feed) const
    {
        return QStringLiteral("http://127.0.0.%1:%2/feed/%3").arg(feed % kAddresses + 1).arg(port).arg(feed);
    }
    bool notModified = false;
    int requests = 0;
    void NextGeneration()
    {
        ++generation;
        for (int f = 0; f < feedCount; ++f)
            bodies[f] = FeedBody(f, generation);
    }

private:
    void Serve(QTcpSocket* socket)
    {
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            buffer->append(socket->readAll());
            if (!buffer->contains("\r\n\r\n"))
                return;
            ++requests;
            const QByteArray request = *buffer;
            buffer->clear();
            QTimer::singleShot(kAnswerMs, socket, [this, socket, request] { Answer(socket, request); });
        });
    }
    void Answer(QTcpSocket* socket, const QByteArray& request)
    {
        const QByteArray path = request.split(' ').value(1);
        const int feed = path.startsWith("/feed/") ? path.mid(6).split('?').value(0).toInt() : -1;
        // Attempts are counted, not the hops of a redirect loop.
        if (feed >= 0 && feed < feedCount && !path.endsWith("?hop"))
            ++perFeed[feed];
        switch (feed >= 0 && feed < feedCount ? FailureOf(feed) : TFailure::None) {
        case TFailure::None:
            break;
        case TFailure::NotFound:
            socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
            return;
        case TFailure::Silent:
            return; // until the client gives up
        case TFailure::Loop:
            socket->write("HTTP/1.1 302 Found\r\nLocation: " + (path.endsWith("?hop") ? path : path + "?hop")
                          + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
            return;
        case TFailure::Endless:
        case TFailure::Drip: {
            const bool endless = FailureOf(feed) == TFailure::Endless;
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nConnection: close\r\n\r\n");
            auto pump = new QTimer(socket);
            QObject::connect(pump, &QTimer::timeout, socket, [socket, endless] {
                if (socket->state() != QAbstractSocket::ConnectedState)
                    return;
                if (socket->bytesToWrite() < 1024 * 1024)
                    socket->write(endless ? QByteArray(64 * 1024, 'x') : QByteArray("<"));
            });
            pump->start(endless ? 1 : 1000);
            return;
        }
        }
        QByteArray head;
        QByteArray body;
        if (feed < 0 || feed >= feedCount) {
            head = "HTTP/1.1 404 Not Found\r\n";
        } else if (notModified && request.contains("If-None-Match: \"v1\"")) {
            head = "HTTP/1.1 304 Not Modified\r\nETag: \"v1\"\r\n";
        } else {
            head = "HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nETag: \"v1\"\r\n";
            body = bodies[feed];
        }
        socket->write(head + "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n"
                      + body);
        socket->disconnectFromHost();
    }

    std::vector<std::unique_ptr<QTcpServer>> servers;
    std::vector<QByteArray> bodies;
    quint16 port = 0;
    int generation = 0;
    int feedCount;
    bool failing;
};

// Time that runs faster than the wall clock, so that a soak of minutes
// covers hours of the scheduler's rules.
class TFastClock final : public IClock {
public:
    explicit TFastClock(int speed) : speed(speed), start(QDateTime::currentDateTime()) { run.start(); }
    quint32 TickCount() const override { return static_cast<quint32>(run.elapsed()); }
    QDateTime Now() const override { return start.addMSecs(run.elapsed() * speed); }

private:
    int speed;
    QDateTime start;
    QElapsedTimer run;
};

class TOnline final : public IConnectivity {
public:
    bool IsConnected() override { return true; }
};

// Messages are counted, never shown.
class TQuietDialogs final : public IDialogs {
public:
    void ShowMessage(const QString&) override { ++messages; }
    bool AskYesNo(const QString&) override { return false; }
    bool AskOkCancel(const QString&) override { return false; }
    bool InputQuery(const QString&, const QString&, QString&) override { return false; }
    QString GetOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString GetSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    void ShowNote(const QString&, const QString&) override {}
    int messages = 0;
};

// The longest pause between two turns of the event loop while it lives.
class TLoopGaps {
public:
    TLoopGaps()
    {
        clock.start();
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.elapsed();
            longest = std::max(longest, now - last);
            last = now;
        });
        timer.start(1);
    }
    qint64 longest = 0;

private:
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0;
};

struct TScene {
    TFeedServer server;
    TOnline online;
    TQuietDialogs dialogs;
    std::unique_ptr<TNewsFeeder> organiser;
    std::vector<QTreeWidgetItem*> feeds;

    explicit TScene(int feedCount = kFeeds, bool failing = false, bool withNodes = true) : server(feedCount, failing)
    {
        SetConnectivity(&online);
        SetDialogs(&dialogs);
        NewsData->RefreshIcons = false;
        organiser = std::make_unique<TNewsFeeder>(nullptr);
        organiser->Timer1->stop();
        organiser->Busy->SetTreeReady(true);
        organiser->TreeLoaded = true;
        for (int f = 0; f < feedCount && withNodes; ++f) {
            TTreeItem item(kFeed, QStringLiteral("Feed %1").arg(f), server.Url(f), "", "", "0");
            item.IconIdx = imgFeed;
            const int index = NewsData->NewsList.AddCopy(item);
            feeds.push_back(AddViewNode(organiser->tvTree, nullptr, item.Title, index));
        }
    }
    ~TScene()
    {
        organiser.reset();
        SetDialogs(nullptr);
        SetConnectivity(nullptr);
    }
    // The feeds of the tree, as a load or import has made them.
    void TakeFeedsOfTree()
    {
        feeds.clear();
        for (int i = 0; i < organiser->tvTree->topLevelItemCount(); ++i)
            feeds.push_back(organiser->tvTree->topLevelItem(i));
    }
    bool AllFilled() const
    {
        for (QTreeWidgetItem* feed : feeds)
            if (feed->childCount() < kItems)
                return false;
        return true;
    }
    // Runs the event loop until done() holds or 60 s have gone.
    template <typename Done>
    void RunUntil(Done done)
    {
        QElapsedTimer limit;
        limit.start();
        while (!done() && limit.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    void ReloadAll(benchmark::State& state, const char* prefix)
    {
        const int storesBefore = organiser->Store->StoresWritten();
        const int requestsBefore = server.requests;
        TLoopGaps gaps;
        QElapsedTimer run;
        run.start();
        organiser->acReloadAll->trigger();
        RunUntil([&] { return !organiser->FrmUpdateAll->Running(); });
        organiser->WaitForStore();
        const qint64 ms = run.elapsed();
        state.counters[std::string(prefix) + "_ms"] = double(ms);
        state.counters[std::string(prefix) + "_longest_gap_ms"] = double(gaps.longest);
        state.counters[std::string(prefix) + "_stores"] = organiser->Store->StoresWritten() - storesBefore;
        state.counters[std::string(prefix) + "_requests"] = server.requests - requestsBefore;
    }
};

void BM_ReloadAll200Feeds(benchmark::State& state)
{
    for (auto _ : state) {
        TScene scene;
        if (!scene.server.Ready()) {
            state.SkipWithError("cannot listen on 127.0.0.1 to 127.0.0.8");
            return;
        }
        scene.ReloadAll(state, "reload");
        state.counters["filled"] = scene.AllFilled();
        state.counters["messages"] = scene.dialogs.messages;
        scene.server.notModified = true;
        scene.ReloadAll(state, "reload304");
        state.counters["peak_running"] = scene.organiser->Pipeline->PeakRunning();
    }
}

void BM_NewFeedsFill(benchmark::State& state)
{
    for (auto _ : state) {
        TScene scene;
        if (!scene.server.Ready()) {
            state.SkipWithError("cannot listen on 127.0.0.1 to 127.0.0.8");
            return;
        }
        // As an OPML import leaves them: never fetched, then the updates restart.
        QElapsedTimer run;
        run.start();
        scene.organiser->RestartFeedUpdates();
        scene.RunUntil([&] { return scene.AllFilled() && scene.organiser->Pipeline->IsIdle(); });
        scene.organiser->WaitForStore();
        state.counters["fill_ms"] = double(run.elapsed());
        state.counters["filled"] = scene.AllFilled();
    }
}
// An OPML file of the 200 feeds loaded into an empty tree (the import the
// Load command runs), from the command to every feed filled and stored.
// Site icons are looked up as after every import (one lookup per address).
void BM_OpmlImportFill(benchmark::State& state)
{
    for (auto _ : state) {
        TScene scene(kFeeds, false, false);
        if (!scene.server.Ready()) {
            state.SkipWithError("cannot listen on 127.0.0.1 to 127.0.0.8");
            return;
        }
        QTemporaryDir folder;
        const QString opml = folder.filePath(QStringLiteral("feeds.opml"));
        QFile file(opml);
        file.open(QIODevice::WriteOnly);
        file.write("<?xml version=\"1.0\"?><opml version=\"1.0\"><head><title>Bench</title></head><body>");
        for (int f = 0; f < kFeeds; ++f)
            file.write(QStringLiteral("<outline text=\"Feed %1\" type=\"rss\" xmlUrl=\"%2\"/>")
                           .arg(f)
                           .arg(scene.server.Url(f))
                           .toUtf8());
        file.write("</body></opml>");
        file.close();
        QElapsedTimer run;
        run.start();
        if (!scene.organiser->LoadNewsFile(opml)) {
            state.SkipWithError("the OPML file was not read");
            return;
        }
        scene.TakeFeedsOfTree();
        scene.RunUntil([&] { return scene.AllFilled() && scene.organiser->Pipeline->IsIdle(); });
        scene.organiser->WaitForStore();
        state.counters["import_fill_ms"] = double(run.elapsed());
        state.counters["feeds"] = double(scene.feeds.size());
        state.counters["filled"] = scene.AllFilled();
        state.counters["requests"] = scene.server.requests;
    }
}

// Memory of a refresh of 1,000 feeds into a tree of 100,000 items: the
// first Reload All fills the tree and stores it; then every feed brings ten
// new items and Reload All runs again. Reports the resident size before the
// second run and its peak during the run and the store after it.
void BM_RefreshMemory(benchmark::State& state)
{
    constexpr int kMemoryFeeds = 1000;
    for (auto _ : state) {
        TScene scene(kMemoryFeeds);
        if (!scene.server.Ready()) {
            state.SkipWithError("cannot listen on 127.0.0.1 to 127.0.0.8");
            return;
        }
        scene.ReloadAll(state, "fill");
        state.counters["items"] = NewsData->NewsList.Count();
        scene.server.NextGeneration();
        const long beforeKb = ResetPeakKb();
        scene.ReloadAll(state, "refresh");
        state.counters["rss_before_MB"] = beforeKb / 1024.0;
        state.counters["peak_MB"] = StatusKb("VmHWM:") / 1024.0;
        state.counters["peak_over_before_MB"] = (StatusKb("VmHWM:") - beforeKb) / 1024.0;
        state.counters["filled"] = scene.AllFilled();
    }
}

// The soak: 1,000 feeds, a quarter failing, the scheduler every 5 s, for
// QUORBEL_SOAK_SECONDS (skipped when unset; scripts/soak-fetch.sh runs it for
// ten minutes). The clock runs twelve times faster, so ten minutes cover two
// hours: every healthy feed must be refreshed at least twice, no failing one
// more than three times (1 h then 2 h of back-off), and the resident memory
// settled at the end (the lowest of the last minute) may not exceed that
// after the first batch by more than 10 %.
void BM_Soak(benchmark::State& state)
{
    const int seconds = qEnvironmentVariableIntValue("QUORBEL_SOAK_SECONDS");
    if (seconds <= 0) {
        state.SkipWithError("set QUORBEL_SOAK_SECONDS to run the soak");
        return;
    }
    constexpr int kSoakFeeds = 1000;
    for (auto _ : state) {
        TFastClock fast(12);
        SetClock(&fast);
        {
            TScene scene(kSoakFeeds, true);
            scene.organiser->NewsInterval = 5000;
            scene.organiser->Timer1->setInterval(5000);
            scene.organiser->Timer1Timer();
            scene.RunUntil([&] { return scene.organiser->Pipeline->IsIdle(); });
            const long firstBatchKb = StatusKb("VmRSS:");
            TLoopGaps gaps;
            QElapsedTimer run;
            run.start();
            long peakKb = firstBatchKb;
            // A store or a batch lifts the resident size for a moment; what
            // counts is the level it settles to, the lowest of the last minute.
            qint64 nextSample = 0;
            long settledKb = 0;
            while (run.elapsed() < qint64(seconds) * 1000) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
                const long kb = StatusKb("VmRSS:");
                peakKb = std::max(peakKb, kb);
                if (run.elapsed() >= qint64(seconds - 60) * 1000)
                    settledKb = settledKb == 0 ? kb : std::min(settledKb, kb);
                if (run.elapsed() >= nextSample) { // the trend, for whoever watches
                    fprintf(stderr, "soak %4llds: %ld kB resident, %d requests\n",
                            static_cast<long long>(run.elapsed() / 1000), kb, scene.server.requests);
                    nextSample += 30000;
                }
            }
            const long endKb = settledKb > 0 ? settledKb : StatusKb("VmRSS:");
            int healthyMin = 1 << 30, failingMax = 0;
            for (int f = 0; f < kSoakFeeds; ++f) {
                const int n = scene.server.perFeed[f];
                if (scene.server.FailureOf(f) == TFeedServer::TFailure::None)
                    healthyMin = std::min(healthyMin, n);
                else
                    failingMax = std::max(failingMax, n);
            }
            state.counters["first_batch_rss_mb"] = firstBatchKb / 1024.0;
            state.counters["settled_end_rss_mb"] = endKb / 1024.0;
            state.counters["peak_rss_mb"] = peakKb / 1024.0;
            state.counters["healthy_min_requests"] = healthyMin;
            state.counters["failing_max_requests"] = failingMax;
            state.counters["requests"] = scene.server.requests;
            state.counters["messages"] = scene.dialogs.messages;
            state.counters["longest_gap_ms"] = double(gaps.longest);
            const bool passed = healthyMin >= 2 && failingMax <= 3 && endKb <= firstBatchKb * 11 / 10;
            state.counters["passed"] = passed;
        }
        SetClock(nullptr);
    }
}
} // namespace

BENCHMARK(BM_Soak)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ReloadAll200Feeds)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_OpmlImportFill)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RefreshMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_NewFeedsFill)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) { return RunBenchmarks(argc, argv, true); }
