// Scheduled refreshes and Reload All through the fetch pipeline: every feed
// of a batch downloads at once (FetchPipeline.h), each document is merged on
// its own turn by the one fetch road, and the tree is stored once at the
// end of the batch.
#include "organiser/NewsFeeders.h"

#include "app/NewsGlobals.h"
#include "feeds/URLTools.h"
#include "model/DateTime.h"
#include "platform/Errors.h"
#include "ticker/RssViews.h"

#include <QFile>
#include <QSaveFile>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {
constexpr double kRefreshAge = 60.0 / (24 * 60); // 60 minutes in days
using TBatch = TFetchPipeline::TBatch;
} // namespace

void TNewsFeeder::CreatePipeline()
{
    Pipeline = std::make_unique<TFetchPipeline>(
        *Busy, [this](const TFetchPipeline::TJob& job) { return FeedRequest(job.url, job.node.In(tvTree)); },
        [this](const TFetchPipeline::TJob& job, const TDownloadAnswer& answer) { MergeFetched(job, answer); },
        [this](TBatch batch) { FetchBatchDone(batch); });
    batchStoreTimer = new QTimer(this);
    batchStoreTimer->setSingleShot(true);
    batchStoreTimer->setInterval(kBatchStoreMs);
    connect(batchStoreTimer, &QTimer::timeout, this, &TNewsFeeder::StoreMergedSoFar);
}

void TNewsFeeder::CreateIconLookups()
{
    IconLookups = std::make_unique<TSiteIconLookups>(*Pipeline, tvTree);
    if (NewsData)
        NewsData->LookUpIconLater = [this](QTreeWidgetItem* node, const QString& link) {
            IconLookups->Request(node, link);
        };
}

void TNewsFeeder::StoreMergedSoFar()
{
    if (!storeWanted || endRequested)
        return;
    storeWanted = false;
    SaveNewsWithBackup();
    if (ticker)
        ticker->RebuildQueue(tvTree);
}

TDownloadAnswer TNewsFeeder::TakeFetchedDocument(const TDownloadAnswer& fetched, const QString& scratch)
{
    TDownloadAnswer answer = fetched;
    answer.body.clear(); // the merge reads the scratch file, as every fetch does
    if (!answer.ok || answer.notModified)
        return answer;
    QSaveFile file(scratch);
    if (!file.open(QIODevice::WriteOnly) || file.write(fetched.body) != fetched.body.size() || !file.commit()) {
        answer.ok = false;
        answer.failedWriting = true;
    }
    return answer;
}

void TNewsFeeder::StoreAfterFetch()
{
    if (storeDeferred > 0)
        storeWanted = true;
    else
        SaveNewsWithBackup();
}

bool TNewsFeeder::StartDueFeeds()
{
    // A tick during a batch adds the feeds that have come due since, so a
    // slow server holds back only its own feeds.
    const bool batchOn = Pipeline->Pending(TBatch::Scheduler) > 0;
    const TDateTime now = NowDateTime();
    QList<QTreeWidgetItem*> due;
    for (QTreeWidgetItemIterator it(tvTree); *it; ++it) {
        const TTreeItem* item = NewsData->NodeItem(*it);
        // A feed that failed lately, or whose server asked us to wait, or
        // that is gone, waits; user commands still fetch it.
        if (item && item->IsKind(kFeed) && now > item->TimeStamp + kRefreshAge && FeedMayBeScheduled(item->Link)
            && !(batchOn && Pipeline->Holds(TBatch::Scheduler, TNodeRef(*it))))
            due << *it;
    }
    UpdatePosition = FirstNode(tvTree);
    if (batchOn && due.isEmpty())
        return true;
    if (due.isEmpty()) {
        if (FirstPassPending) {
            if (ticker)
                ticker->RebuildQueue(tvTree);
            FirstPassPending = false;
            Timer1->setInterval(NewsInterval);
        }
        return false;
    }
    schedulerBatchSize += static_cast<int>(due.size());
    for (QTreeWidgetItem* node : due)
        Pipeline->Add({NewsData->NodeItem(node)->Link, TNodeRef(node), TBatch::Scheduler, {}});
    return true;
}

void TNewsFeeder::MergeFetched(const TFetchPipeline::TJob& job, const TDownloadAnswer& answer)
{
    const bool reloadAll = job.batch == TBatch::ReloadAll;
    QTreeWidgetItem* node = job.node.In(tvTree);
    QString caption = node ? node->text(0) : QString();
    bool failed = false;
    // A feed deleted while its download ran is skipped.
    if (node && !endRequested) {
        TBusyState::THold busy(*Busy);
        TScopedCount fetching(fetchDepth);
        TScopedCount deferring(storeDeferred);
        TNodeRef result;
        try {
            result = DownloadFeedNow(job.url, node, false, &answer);
        } catch (const EQuorbelError&) {
            // The scratch file could not be read: a failure like any other.
        }
        if (QTreeWidgetItem* resultNode = result.In(tvTree)) {
            if (reloadAll)
                resultNode->setExpanded(true);
            caption = resultNode->text(0);
        } else if (!answer.cancelled && !DownloadsCancelled()) {
            failed = true;
            if (reloadAll && LastFetchDownloaded())
                notFeedsOfRun.insert(job.url); // it came, but is no feed
        }
        // One feed brings its headlines to the ticker at once; a batch of
        // several rebuilds the queue once, at its end.
        if (!reloadAll && schedulerBatchSize == 1 && ticker)
            ticker->RebuildQueue(tvTree);
    }
    if (storeWanted && !batchStoreTimer->isActive())
        batchStoreTimer->start();
    if (reloadAll && FrmUpdateAll)
        FrmUpdateAll->FeedDone(caption, failed ? job.url : QString());
}

void TNewsFeeder::FetchBatchDone(TFetchPipeline::TBatch batch)
{
    batchStoreTimer->stop();
    if (storeWanted) {
        storeWanted = false;
        SaveNewsWithBackup();
    }
    if (batch == TBatch::Scheduler) {
        if (schedulerBatchSize > 1 && ticker)
            ticker->RebuildQueue(tvTree);
        schedulerBatchSize = 0;
        Timer1->setInterval(NewsInterval);
        FirstPassPending = false;
        if (!endRequested)
            RestartUpdateTimer();
        return;
    }
    if (FrmUpdateAll && FrmUpdateAll->Running())
        FrmUpdateAll->Finish();
    if (FrmUpdateAll)
        ReportFailedFeeds(FrmUpdateAll->Failed);
}
