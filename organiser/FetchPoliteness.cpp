// What each feed's server told us, used and kept: conditional requests, a
// 304 as a refresh without news, back-off after failures, permanent moves
// and feeds that are gone (FeedStates.h holds the rules).
#include "organiser/NewsFeeders.h"

#include "app/NewsGlobals.h"
#include "feeds/FeedStates.h"
#include "feeds/RssMerge.h"
#include "model/DateTime.h"
#include "model/FeedCounts.h"
#include "organiser/InterfaceTexts.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Downloader.h"
#include "text/TextTools.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {
qint64 NowMs() { return Clock().Now().toMSecsSinceEpoch(); }

// The caption without the counts a merge appended ("News(3 of 9)" -> "News").
QString WithoutCounts(const QString& caption)
{
    return caption.left(caption.size() - CountsLength(caption));
}

bool IsFeedItem(const TTreeItem* item) { return item && item->IsKind(kFeed); }
} // namespace

QString TNewsFeeder::FeedStatesPath() const
{
    const QFileInfo news(NewsStorePath);
    return news.path() + '/' + news.completeBaseName() + QStringLiteral(".feeds");
}

TDownloadRequest TNewsFeeder::FeedRequest(const QString& url, QTreeWidgetItem* node) const
{
    TDownloadRequest request;
    request.url = url;
    // Only a refresh of the feed node itself may come back as "not
    // modified": without the node there would be nothing to show.
    const TTreeItem* item = ItemOf(node);
    if (IsFeedItem(item) && item->Link == url) {
        request.etag = FeedStates->EtagOf(url);
        request.lastModified = FeedStates->LastModifiedOf(url);
    }
    return request;
}

bool TNewsFeeder::FeedMayBeScheduled(const QString& url) const
{
    return FeedStates->MayFetch(url, NowMs());
}

QTreeWidgetItem* TNewsFeeder::RefreshedWithoutNews(QTreeWidgetItem* node)
{
    TTreeItem* item = ItemOf(node);
    if (!IsFeedItem(item))
        return nullptr;
    // As a merge that found nothing new: stamped, captioned "(0 of C)".
    item->TimeStamp = NowDateTime();
    const QString caption = FeedCaption(WithoutCounts(node->text(0)), 0, node->childCount());
    item->SetTitle(caption);
    node->setText(0, caption);
    return node;
}

void TNewsFeeder::NoteFetchOutcome(const QString& url, const TNodeRef& nodeRef, const TDownloadAnswer& answer,
                                   bool success, bool showErrors)
{
    if (answer.cancelled)
        return;
    const qint64 now = NowMs();
    if (success)
        FeedStates->RecordSuccess(url, answer, now);
    else
        FeedStates->RecordFailure(url, answer, now);

    // A feed that moved for good, answered from its new place often enough,
    // is fetched from there from now on, unless another feed of the tree
    // already reads that address.
    QTreeWidgetItem* node = nodeRef.In(tvTree);
    TTreeItem* item = ItemOf(node);
    const QString movedTo = IsFeedItem(item) && item->Link == url ? FeedStates->RecordMove(url, answer) : QString();
    if (success && !movedTo.isEmpty()) {
        bool taken = false;
        for (QTreeWidgetItemIterator it(tvTree); *it && !taken; ++it) {
            const TTreeItem* other = NewsData->NodeItem(*it);
            taken = *it != node && IsFeedItem(other) && other->Link == movedTo;
        }
        if (!taken) {
            item->Link = movedTo;
            FeedStates->Rename(url, movedTo);
            DebugTraceFmt("Feed moved to \"%s\"", movedTo);
        }
    }

    // Gone: a user command has just said so; the scheduler tells once.
    if (FeedStates->TakeGoneNotice(url) && !showErrors) {
        const QString text = FormatText(OrganiserTexts.SFeedGone, url);
        QMetaObject::invokeMethod(
            this, [text] { Dialogs().ShowMessage(text); }, Qt::QueuedConnection);
    }
}

QString TNewsFeeder::FailureReason(const TDownloadAnswer& answer)
{
    if (answer.status >= 400)
        return QStringLiteral("HTTP %1").arg(answer.status);
    return answer.errorText;
}

QSet<QString> TNewsFeeder::FeedLinks() const
{
    QSet<QString> links;
    for (QTreeWidgetItemIterator it(tvTree); *it; ++it) {
        const TTreeItem* item = ItemOf(*it);
        if (IsFeedItem(item))
            links.insert(item->Link);
    }
    return links;
}
