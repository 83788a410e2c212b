// Reload All: every feed of the tree fetched in turn, with the update-all
// window showing which and how far.
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
            this, [this](const QString& url, QTreeWidgetItem* node) { return FetchQuietly(url, node); },
            [this] { return endRequested; });
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
    // Each fetch holds the busy state while it has the feed: deleting that
    // feed waits for it; between fetches queued commands run, and the run
    // takes each feed again by a weak reference. Failures are told once, at
    // the end.
    FrmUpdateAll->UpdateAllFeeds(tvTree);
    ReportFailedFeeds(FrmUpdateAll->Failed);
}

bool TNewsFeeder::FetchQuietly(const QString& url, QTreeWidgetItem* node)
{
    TBusyState::THold busy(*Busy);
    try {
        const TNodeRef result = DownloadFeed(url, node, false);
        if (QTreeWidgetItem* resultNode = result.In(tvTree)) {
            resultNode->setExpanded(true);
            return true;
        }
    } catch (const EQuorbelError&) {
        // The downloaded file could not be read: reported with the others.
    }
    // It came, but as nothing a feed can be made of: the summary says so.
    if (LastFetchDownloaded() && !DownloadsCancelled())
        notFeedsOfRun.insert(url);
    // A fetch cut short by program end or a deleting command is no failure.
    return DownloadsCancelled();
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
