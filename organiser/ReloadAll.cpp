// Reload All: every feed of the tree fetched through the pipeline, with the
// update-all window showing how many have been merged.
#include "organiser/NewsFeeders.h"

#include "feeds/URLTools.h"
#include "feeds/UpdateAll.h"
#include "organiser/InterfaceTexts.h"
#include "platform/Dialogs.h"
#include "platform/Errors.h"

#include <QSet>
#include <QStringList>

void TNewsFeeder::ReloadAllExecute()
{
    if (!FrmUpdateAll) {
        FrmUpdateAll = new TFrmUpdateAll(
            this,
            [this](const QList<QPair<QString, TNodeRef>>& feeds) {
                for (const auto& feed : feeds)
                    Pipeline->Add({feed.first, feed.second, TFetchPipeline::TBatch::ReloadAll, {}});
            },
            [this] { Pipeline->Drop(TFetchPipeline::TBatch::ReloadAll); });
    }
    if (FrmUpdateAll->Running()) {
        FrmUpdateAll->ShowCentred();
        return;
    }
    if (reloadAllQueued)
        return;
    if (Busy->IsBusy() || Busy->HasPending()) {
        // Another operation holds tree nodes (a fetch, a load): the run
        // starts once it has let go, so that no feed is skipped as busy.
        reloadAllQueued = true;
        Busy->RunWhenIdle([this] { RunReloadAll(); }, false);
        return;
    }
    RunReloadAll();
}

void TNewsFeeder::RunReloadAll()
{
    reloadAllQueued = false;
    if (!FrmUpdateAll || FrmUpdateAll->Running() || endRequested)
        return;
    FrmUpdateAll->ShowCentred();
    notFeedsOfRun.clear();
    // Every feed downloads through the pipeline; each merge holds the busy
    // state while it has its feed, and a feed deleted meanwhile is skipped.
    // Failures are told once, at the end (FetchBatchDone).
    FrmUpdateAll->UpdateAllFeeds(tvTree);
}

void TNewsFeeder::ReportFailedFeeds(const QStringList& urls)
{
    if (urls.isEmpty() || endRequested)
        return;
    const int kMaxLines = 20;
    QStringList lines;
    for (int i = 0; i < urls.size() && i < kMaxLines; ++i)
        lines << FormatText(notFeedsOfRun.contains(urls[i]) ? OrganiserTexts.SNotAFeed : OrganiserTexts.SErrDownloadFile,
                            urls[i]);
    if (urls.size() > kMaxLines)
        lines << QStringLiteral("...");
    Dialogs().ShowError(lines.join(QStringLiteral("\r\n")));
}
