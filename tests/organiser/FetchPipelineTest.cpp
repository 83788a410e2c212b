// The fetch pipeline on its own: limits, finish order, the busy state, Drop.
#include "organiser/BusyState.h"
#include "organiser/FetchPipeline.h"
#include "organiser/OrganiserFixture.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <map>

namespace {
// Holds every started download until the test finishes it.
class HeldDownloader final : public IDownloader {
public:
    HeldDownloader() { SetDownloader(this); }
    ~HeldDownloader() override { SetDownloader(nullptr); }
    bool Download(const QString&, const QString&) override { return false; }
    int StartDownload(const TDownloadRequest& request, TDone done) override
    {
        held[++lastId] = {request.url, std::move(done)};
        return lastId;
    }
    void Cancel(int id) override { Finish(id, false, true); }
    // Answers the download of url now (from the event loop, as the real one).
    void Finish(const QString& url, bool ok = true)
    {
        for (auto& entry : held)
            if (entry.second.first == url) {
                Finish(entry.first, ok, false);
                return;
            }
    }
    QStringList Started() const
    {
        QStringList urls;
        for (const auto& entry : held)
            urls << entry.second.first;
        return urls;
    }

private:
    void Finish(int id, bool ok, bool cancelled)
    {
        auto found = held.find(id);
        if (found == held.end())
            return;
        TDone done = std::move(found->second.second);
        held.erase(found);
        TDownloadAnswer answer;
        answer.ok = ok;
        answer.cancelled = cancelled;
        answer.body = ok ? QByteArray("body") : QByteArray();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [done, answer] { done(answer); }, Qt::QueuedConnection);
    }
    std::map<int, std::pair<QString, TDone>> held;
    int lastId = 0;
};

class FetchPipelineTest : public ::testing::Test {
protected:
    using TBatch = TFetchPipeline::TBatch;
    FetchPipelineTest()
        : pipeline(
              busy, nullptr, [this](const TFetchPipeline::TJob& job, const TDownloadAnswer&) { merged << job.url; },
              [this](TBatch batch) { ended << int(batch); })
    {
    }
    void Add(const QString& url, TBatch batch = TBatch::Scheduler) { pipeline.Add({url, TNodeRef(), batch}); }
    static void Run()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    HeldDownloader net;
    TBusyState busy;
    QStringList merged;
    QList<int> ended;
    TFetchPipeline pipeline;
};
} // namespace

TEST_F(FetchPipelineTest, SixAtOnceTwoPerHostInOrder)
{
    const char* urls[] = {"http://a/1", "http://a/2", "http://a/3", "http://b/1", "http://c/1",
                          "http://d/1", "http://e/1", "http://f/1", "http://g/1"};
    for (const char* url : urls)
        Add(url);
    // a/3 waits for its host; the next hosts fill the six places.
    EXPECT_EQ(net.Started(), QStringList({"http://a/1", "http://a/2", "http://b/1", "http://c/1", "http://d/1",
                                          "http://e/1"}));
    net.Finish("http://a/1");
    Run();
    EXPECT_EQ(net.Started().last(), "http://a/3"); // its host has room again, and it was first in line
    EXPECT_EQ(pipeline.Running(), 6);
    EXPECT_EQ(pipeline.PeakRunning(), 6);
}

TEST_F(FetchPipelineTest, MergesInFinishOrderOneAtATimeWhenTheBusyStateIsFree)
{
    for (const char* url : {"http://a/", "http://b/", "http://c/"})
        Add(url);
    {
        TBusyState::THold hold(busy); // a user fetch, say
        net.Finish("http://c/");
        net.Finish("http://a/");
        Run();
        EXPECT_TRUE(merged.isEmpty()); // waits for the busy state
    }
    Run();
    EXPECT_EQ(merged, QStringList({"http://c/", "http://a/"}));
    EXPECT_TRUE(ended.isEmpty());
    net.Finish("http://b/", false); // a failure is merged (reported) too
    Run();
    EXPECT_EQ(merged, QStringList({"http://c/", "http://a/", "http://b/"}));
    EXPECT_EQ(ended, QList<int>({int(TBatch::Scheduler)}));
    EXPECT_TRUE(pipeline.IsIdle());
}

TEST_F(FetchPipelineTest, DropEndsOneBatchAtOnceAndLeavesTheOther)
{
    for (int i = 0; i < 8; ++i)
        Add(QStringLiteral("http://all.test/%1").arg(i), TBatch::ReloadAll);
    Add("http://other.test/", TBatch::Scheduler);
    net.Finish("http://all.test/0");
    Run();
    net.Finish("http://all.test/1"); // finished, not merged yet
    EXPECT_EQ(pipeline.Pending(TBatch::ReloadAll), 7);
    pipeline.Drop(TBatch::ReloadAll);
    Run();
    EXPECT_EQ(merged, QStringList({"http://all.test/0"}));
    EXPECT_EQ(pipeline.Pending(TBatch::ReloadAll), 0);
    EXPECT_EQ(ended, QList<int>({int(TBatch::ReloadAll)}));
    EXPECT_EQ(net.Started(), QStringList({"http://other.test/"})); // the running ones were cancelled
    net.Finish("http://other.test/");
    Run();
    EXPECT_EQ(merged.last(), "http://other.test/");
}

TEST_F(FetchPipelineTest, SideJobsTakeNoMoreThanTheirShareAndNeverHoldAFeedBack)
{
    QStringList answered;
    for (const char* url : {"http://i1/favicon.ico", "http://i2/favicon.ico", "http://i3/favicon.ico"})
        pipeline.AddSide(url, [&answered, url](const TDownloadAnswer& answer) {
            answered << QString(url) + (answer.ok ? " ok" : " failed");
        });
    for (const char* url : {"http://f1/", "http://f2/", "http://f3/", "http://f4/", "http://f5/"})
        Add(url);
    // Two side jobs run; the feeds take the other places and go before the
    // third side job.
    EXPECT_EQ(net.Started(), QStringList({"http://i1/favicon.ico", "http://i2/favicon.ico", "http://f1/",
                                          "http://f2/", "http://f3/", "http://f4/"}));
    net.Finish("http://i1/favicon.ico", false);
    Run();
    EXPECT_EQ(net.Started().last(), "http://f5/");
    EXPECT_EQ(answered, QStringList({"http://i1/favicon.ico failed"}));
    net.Finish("http://f1/");
    Run();
    EXPECT_EQ(net.Started().last(), "http://i3/favicon.ico");
    // A side job is answered to its caller, never merged, and no batch ends by it.
    net.Finish("http://i2/favicon.ico");
    Run();
    EXPECT_EQ(answered.last(), "http://i2/favicon.ico ok");
    EXPECT_EQ(merged, QStringList({"http://f1/"}));
    EXPECT_TRUE(ended.isEmpty());
}

namespace {
class FirstTickTest : public OrganiserFixture {};
} // namespace

TEST_F(FirstTickTest, RunsAsSoonAsTheEventLoopDoes)
{
    // Not a whole timer interval after the windows exist: at once.
    organiser = std::make_unique<TNewsFeeder>(nullptr);
    EXPECT_FALSE(organiser->TreeLoaded);
    QCoreApplication::processEvents();
    EXPECT_TRUE(organiser->TreeLoaded);
}
