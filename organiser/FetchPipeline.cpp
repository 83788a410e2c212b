#include "organiser/FetchPipeline.h"

#include "organiser/BusyState.h"

#include <QMetaObject>
#include <QUrl>

#include <algorithm>

TFetchPipeline::TFetchPipeline(TBusyState& busy, TRequestFor requestFor, TMerge merge, TBatchDone batchDone,
                               QObject* parent)
    : QObject(parent), busy(busy), requestFor(std::move(requestFor)), merge(std::move(merge)),
      batchDone(std::move(batchDone))
{
}

TFetchPipeline::~TFetchPipeline()
{
    // Reports that come later find nobody. The downloads are not cancelled
    // here: the downloader that runs them may already be gone.
    token.reset();
}

void TFetchPipeline::Add(TJob job)
{
    const auto firstSide = std::find_if(queued.begin(), queued.end(),
                                        [](const TJob& queuedJob) { return queuedJob.batch == TBatch::Side; });
    queued.insert(firstSide, std::move(job));
    StartMore();
}

void TFetchPipeline::AddSide(const QString& url, TDone done)
{
    TJob job;
    job.url = url;
    job.batch = TBatch::Side;
    job.done = std::move(done);
    queued.push_back(std::move(job));
    StartMore();
}

bool TFetchPipeline::Holds(TBatch batch, const TNodeRef& node) const
{
    auto same = [&](const TJob& job) { return job.batch == batch && job.node == node; };
    return std::any_of(queued.begin(), queued.end(), same)
           || std::any_of(running.begin(), running.end(), [&](const auto& entry) { return same(entry.second.job); })
           || std::any_of(finished.begin(), finished.end(), [&](const auto& f) { return same(f.first); });
}

int TFetchPipeline::RunningToHost(const QString& host) const
{
    return static_cast<int>(
        std::count_if(running.begin(), running.end(), [&](const auto& entry) { return entry.second.host == host; }));
}

void TFetchPipeline::StartMore()
{
    // The first queued job whose host has room goes next; the others keep
    // their places.
    const auto sideRunning = [this] {
        return std::count_if(running.begin(), running.end(),
                             [](const auto& entry) { return entry.second.job.batch == TBatch::Side; });
    };
    for (auto it = queued.begin(); it != queued.end() && Running() < kMaxRunning;) {
        const QString host = QUrl(it->url, QUrl::TolerantMode).host().toLower();
        if (RunningToHost(host) >= kMaxPerHost || (it->batch == TBatch::Side && sideRunning() >= kMaxSideRunning)) {
            ++it;
            continue;
        }
        TJob job = std::move(*it);
        it = queued.erase(it);
        TDownloadRequest request;
        if (requestFor && job.batch != TBatch::Side)
            request = requestFor(job);
        else
            request.url = job.url;
        request.unattended = true;
        std::weak_ptr<bool> alive = token;
        // The id is known only once StartDownload returns; reports always
        // come later, from the event loop.
        auto idHolder = std::make_shared<int>(0);
        const int id = Downloader().StartDownload(request, [this, alive, idHolder](const TDownloadAnswer& answer) {
            if (!alive.expired())
                Finished(*idHolder, answer);
        });
        *idHolder = id;
        running.emplace(id, TRunning{std::move(job), host});
        peakRunning = std::max(peakRunning, Running());
        it = queued.begin(); // the erase may have freed a host earlier in the queue
        while (it != queued.end()
               && RunningToHost(QUrl(it->url, QUrl::TolerantMode).host().toLower()) >= kMaxPerHost)
            ++it;
    }
}

void TFetchPipeline::Finished(int id, const TDownloadAnswer& answer)
{
    const auto found = running.find(id);
    if (found == running.end())
        return; // dropped meanwhile
    TJob job = std::move(found->second.job);
    running.erase(found);
    if (job.batch == TBatch::Side) {
        StartMore();
        if (job.done)
            job.done(answer); // may add jobs, or end us
        return;
    }
    finished.emplace_back(std::move(job), answer);
    PostMerge();
    StartMore();
}

void TFetchPipeline::PostMerge()
{
    if (mergePosted || finished.empty())
        return;
    mergePosted = true;
    std::weak_ptr<bool> alive = token;
    QMetaObject::invokeMethod(
        this,
        [this, alive] {
            if (alive.expired())
                return;
            mergePosted = false;
            MergeNext();
        },
        Qt::QueuedConnection);
}

void TFetchPipeline::MergeNext()
{
    if (merging || finished.empty())
        return;
    if (busy.IsBusy() || busy.HasPending()) {
        // A user fetch, a load or a deleting command first; we follow it.
        std::weak_ptr<bool> alive = token;
        mergePosted = true;
        busy.RunWhenIdle(
            [this, alive] {
                if (alive.expired())
                    return;
                mergePosted = false;
                PostMerge();
            },
            false);
        return;
    }
    auto next = std::move(finished.front());
    finished.pop_front();
    const TBatch batch = next.first.batch;
    merging = true;
    std::weak_ptr<bool> alive = token;
    if (merge)
        merge(next.first, next.second);
    if (alive.expired())
        return;
    merging = false;
    CheckBatchDone(batch);
    PostMerge();
}

void TFetchPipeline::Drop(TBatch batch)
{
    auto ofBatch = [batch](const TJob& job) { return job.batch == batch; };
    queued.erase(std::remove_if(queued.begin(), queued.end(), ofBatch), queued.end());
    finished.erase(std::remove_if(finished.begin(), finished.end(), [&](const auto& f) { return ofBatch(f.first); }),
                   finished.end());
    std::vector<int> cancelled;
    for (auto it = running.begin(); it != running.end();) {
        if (ofBatch(it->second.job)) {
            cancelled.push_back(it->first);
            it = running.erase(it);
        } else {
            ++it;
        }
    }
    for (int id : cancelled)
        Downloader().Cancel(id);
    StartMore();
    CheckBatchDone(batch);
}

int TFetchPipeline::Pending(TBatch batch) const
{
    int n = 0;
    for (const TJob& job : queued)
        n += job.batch == batch;
    for (const auto& entry : running)
        n += entry.second.job.batch == batch;
    for (const auto& f : finished)
        n += f.first.batch == batch;
    return n;
}

bool TFetchPipeline::IsIdle() const
{
    return queued.empty() && running.empty() && finished.empty() && !merging;
}

void TFetchPipeline::CheckBatchDone(TBatch batch)
{
    if (merging || Pending(batch) > 0)
        return;
    if (batchDone)
        batchDone(batch);
}
