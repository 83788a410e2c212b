#pragma once
// The download pipeline of scheduled refreshes and Reload All: several
// downloads at once into memory, their documents merged one at a time on
// the window thread.
//
// Rules kept here:
//  - At most kMaxRunning downloads run at once and at most kMaxPerHost to
//    one host; jobs start in the order they were added.
//  - No nested event loop: downloads report from the event loop, and a
//    finished one waits in a queue.
//  - Merges run one at a time, in the order the downloads finished, from the
//    event loop and only while nothing holds the busy state (a user fetch, a
//    load, a deleting command): they wait for it to be let go.
//  - A job whose feed was deleted meanwhile is still counted but not merged
//    (the merge step checks its node).
//  - Drop ends a batch at once: its queued jobs are dropped, its running
//    downloads cancelled and its finished ones not merged; a merge in
//    progress ends normally.
//  - When the last job of a batch has been merged (or dropped), the batch's
//    end is reported once.
//  - Every download of the pipeline is unattended (Downloader.h): a server
//    that goes silent or crawls gives its slot up soon.
//  - Side jobs (site icons) share the limits above but never hold a feed
//    back: feed jobs start before every queued side job, at most
//    kMaxSideRunning side jobs run at once, and a side job's answer goes to
//    its own callback from the event loop, not to a merge.
#include "model/ViewNodes.h"
#include "platform/Downloader.h"

#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <map>
#include <memory>

class TBusyState;

class TFetchPipeline : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxRunning = 6;
    static constexpr int kMaxPerHost = 2;
    static constexpr int kMaxSideRunning = 2;

    enum class TBatch { Scheduler, ReloadAll, Side };
    using TDone = std::function<void(const TDownloadAnswer& answer)>;
    struct TJob {
        QString url;
        TNodeRef node;
        TBatch batch = TBatch::Scheduler;
        TDone done; // side jobs only
    };
    using TRequestFor = std::function<TDownloadRequest(const TJob& job)>;
    using TMerge = std::function<void(const TJob& job, const TDownloadAnswer& answer)>;
    using TBatchDone = std::function<void(TBatch batch)>;

    TFetchPipeline(TBusyState& busy, TRequestFor requestFor, TMerge merge, TBatchDone batchDone,
                   QObject* parent = nullptr);
    ~TFetchPipeline() override;

    void Add(TJob job);
    // A side job: url is fetched and done called with the answer.
    void AddSide(const QString& url, TDone done);
    // Whether a job of the batch for node is queued, running or waiting for
    // its merge.
    bool Holds(TBatch batch, const TNodeRef& node) const;
    // Ends the batch now (see the rules above).
    void Drop(TBatch batch);
    // Jobs of the batch not yet merged or dropped.
    int Pending(TBatch batch) const;
    bool IsIdle() const;
    int Running() const { return static_cast<int>(running.size()); }
    // The most downloads that ran at once since start; for tests and benchmarks.
    int PeakRunning() const { return peakRunning; }

private:
    struct TRunning {
        TJob job;
        QString host;
    };
    void StartMore();
    void Finished(int id, const TDownloadAnswer& answer);
    void PostMerge();
    void MergeNext();
    void CheckBatchDone(TBatch batch);
    int RunningToHost(const QString& host) const;

    TBusyState& busy;
    TRequestFor requestFor;
    TMerge merge;
    TBatchDone batchDone;
    std::deque<TJob> queued;
    std::map<int, TRunning> running; // by download id
    std::deque<std::pair<TJob, TDownloadAnswer>> finished;
    bool mergePosted = false;
    bool merging = false;
    int peakRunning = 0;
    std::shared_ptr<bool> token = std::make_shared<bool>(true);
};
