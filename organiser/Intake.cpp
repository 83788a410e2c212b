// Paste and drop intake: text and files from outside the program become a
// fetch, a file node or a note.
//
// Rules kept here:
//  - A "feed:" URL is taken as the web URL it stands for (NormaliseFeedURL),
//    pasted and dropped alike.
//  - Paste: the first of "http://", "https://" found in the text (letter case
//    ignored) at position 1 to 9 makes the text a URL; a drop of text:
//    "http://" or "https://" anywhere, exact case.
//  - What is fetched is the text trimmed of surrounding blanks and line
//    breaks, and only when that is one token without blanks or control
//    characters; any other text takes the next road: a local path, else a
//    note, the same for paste and drop.
//  - A text is a local path only when, trimmed, it is one line naming an
//    existing file or folder by an absolute path, a path from "~/", or a
//    "file:" URL. A word such as "Music" or "." is a note, whatever the
//    working folder holds.
//  - A fetch that brings no node keeps the user's text as a note.
//  - A drop carrying local files takes the file road, any other drop with
//    text the text road; a drop with neither says that nothing was added.
//  - Drops are taken over at once and worked on from the event loop, so the
//    dragging program is released before any download starts.
//  - New notes and file nodes never land among a feed's news items.
//  - Everything that adds goes through the tree's gate (Busy->RunOnTree): it
//    waits for the first build and for a Load or Merge in progress, so what
//    the user gave is added to the tree that stays.
//  - A note's caption is its first visible line; a note without any is
//    captioned SEmptyNote.
#include "organiser/NewsFeeders.h"

#include "organiser/InterfaceTexts.h"

#include "app/NewsGlobals.h"
#include "feeds/URLTools.h"
#include "model/DateTime.h"
#include "model/ViewNodes.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "widgets/Menus.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMetaObject>
#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>

#include <memory>

namespace {

// The URL to fetch for a text that was taken as one: the text without
// surrounding blanks and line breaks, when that is a single token; empty
// otherwise.
QString FetchableURL(const QString& text)
{
    const QString url = text.trimmed();
    if (url.isEmpty())
        return QString();
    for (const QChar c : url)
        if (c.isSpace() || c.category() == QChar::Other_Control)
            return QString();
    return url;
}

// 1-based position of the first URL prefix a pasted text carries, 0 for none.
int PastedURLPosition(const QString& text)
{
    const QString lower = text.toLower();
    for (const char* prefix : {"http://", "https://"}) {
        const int at = lower.indexOf(QLatin1String(prefix));
        if (at >= 0)
            return at + 1;
    }
    return 0;
}

// The local path a text names (see the rules above); empty when it names none.
QString LocalPathOf(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.contains('\n') || trimmed.contains('\r'))
        return QString();
    QString path;
    if (trimmed.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(trimmed);
        path = url.isLocalFile() ? url.toLocalFile() : QString();
    } else if (trimmed.startsWith(QLatin1String("~/"))) {
        path = QDir::homePath() + trimmed.mid(1);
    } else if (QDir::isAbsolutePath(trimmed)) {
        path = trimmed;
    }
    if (path.isEmpty() || !QDir::isAbsolutePath(path) || !QFileInfo::exists(path))
        return QString();
    return QDir::cleanPath(path);
}

bool IsDroppedURL(const QString& text)
{
    return text.contains(QLatin1String("http://")) || text.contains(QLatin1String("https://"));
}

// The local files of a drop, in the order the drag lists them.
QStringList LocalFiles(const QMimeData* data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            files << url.toLocalFile();
    return files;
}

// What a drop carries, kept after the drag has ended.
std::shared_ptr<QMimeData> KeepDropData(const QMimeData* data)
{
    auto kept = std::make_shared<QMimeData>();
    if (!data)
        return kept;
    if (data->hasUrls())
        kept->setUrls(data->urls());
    if (data->hasText())
        kept->setText(data->text());
    return kept;
}

bool IsKindOf(const QTreeWidgetItem* node, const QString& kind)
{
    const TTreeItem* item = ItemOf(node);
    return item && item->IsKind(kind);
}

// Steps out of feeds: the nearest ancestor (or node) that is not a feed.
QTreeWidgetItem* OutsideFeeds(QTreeWidgetItem* node)
{
    while (node && IsKindOf(node, kFeed))
        node = node->parent();
    return node;
}

// The part of a path after its last separator ("/" for the root itself).
QString FileNodeName(const QString& path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    const int slash = p.lastIndexOf('/');
    const QString name = slash >= 0 ? p.mid(slash + 1) : p;
    return name.isEmpty() ? p : name;
}
} // namespace

void TNewsFeeder::CreateIntakeActions()
{
    acPaste = NewAction(this, "acPaste", QStringLiteral("Paste"), QString(), QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    connect(acPaste, &QAction::triggered, this, &TNewsFeeder::PasteFromClipboard);
    // The window is the drop target for text and files from other programs.
    setAcceptDrops(true);
}

QTreeWidgetItem* TNewsFeeder::AddNoteFromText(const QString& text)
{
    if (!NewsData)
        return nullptr;
    // After the selected node, on its level; a feed's news items are passed
    // by: the note goes on the feed's own level.
    QTreeWidgetItem* selected = SelectedNode(tvTree);
    QTreeWidgetItem* parent = OutsideFeeds(selected ? selected->parent() : nullptr);

    QString title = FirstVisibleLine(text);
    if (title.isEmpty())
        title = OrganiserTexts.SEmptyNote;
    TTreeItem item(kNote, title, QString(), QString(), QString(), FormatLocalDate(Clock().Now().date()));
    item.SetText(text);
    item.IconIdx = imgNote;

    QTreeWidgetItem* node = nullptr;
    {
        TUpdateGuard frozen(tvTree);
        const int index = NewsData->NewsList.AddCopy(item);
        node = AddViewNode(tvTree, parent, item.Title, index); // Title is HTMLToText(title)
    }
    SetNodeImages(node, imgNote, imgNote, NodeStateImage(node));
    return node;
}

QTreeWidgetItem* TNewsFeeder::AddFileNode(const QString& path)
{
    if (!NewsData)
        return nullptr;
    // The first child of the selected node; with a feed or one of its items
    // selected, the first node on the feed's own level instead.
    QTreeWidgetItem* parent = SelectedNode(tvTree);
    if (parent && (IsKindOf(parent, kNewsItem) || IsKindOf(parent->parent(), kFeed)))
        parent = parent->parent();
    parent = OutsideFeeds(parent);

    const QString name = FileNodeName(path);
    TTreeItem item(kFileLink, name, path, QString(), QString(), FormatLocalDateTime(NowDateTime()));

    QTreeWidgetItem* node = NewViewNode(name);
    {
        TUpdateGuard frozen(tvTree);
        const int index = NewsData->NewsList.AddCopy(item);
        SetNodeDataValue(node, index);
        if (parent)
            parent->insertChild(0, node);
        else
            tvTree->insertTopLevelItem(0, node);
    }
    NewsData->AssignNodeIcon(node, path);
    return node;
}

void TNewsFeeder::DropDataObject(const QMimeData* data)
{
    if (!data || !data->hasText()) {
        Dialogs().ShowError(OrganiserTexts.SNothingDropped);
        return;
    }
    const QString text = NormaliseFeedURL(data->text());
    Busy->RunOnTree([this, text] {
        const QString url = IsDroppedURL(text) ? FetchableURL(text) : QString();
        if (!url.isEmpty())
            FetchOrKeepText(url, text);
        else
            AddFileOrNote(text);
    });
}

void TNewsFeeder::DropFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    Busy->RunOnTree([this, paths] {
        // Each file becomes the first child of the same place, so several files
        // end up in reverse order, as dropping them one by one would give.
        TUpdateGuard frozen(tvTree);
        for (const QString& path : paths)
            AddFileNode(path);
    });
}

void TNewsFeeder::AddFileOrNote(const QString& text)
{
    const QString path = LocalPathOf(text);
    if (!path.isEmpty())
        AddFileNode(path);
    else
        AddNoteFromText(text);
}

void TNewsFeeder::DropOnTicker(const QMimeData* data)
{
    // A drop on the ticker belongs to no node: the note goes to the top level.
    const std::shared_ptr<QMimeData> kept = KeepDropData(data);
    QMetaObject::invokeMethod(
        this,
        [this, kept] {
            tvTree->clearSelection();
            TakeDrop(kept.get());
        },
        Qt::QueuedConnection);
}

void TNewsFeeder::TakeDrop(const QMimeData* data)
{
    const QStringList files = LocalFiles(data);
    if (!files.isEmpty())
        DropFiles(files);
    else if (data && data->hasText())
        DropDataObject(data);
    else
        Dialogs().ShowError(OrganiserTexts.SNothingDropped);
}

void TNewsFeeder::PasteFromClipboard()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QString text = NormaliseFeedURL(clipboard ? clipboard->text() : QString());
    Busy->RunOnTree([this, text] {
        const int p = PastedURLPosition(text);
        const QString url = p >= 1 && p <= 9 ? FetchableURL(text) : QString();
        if (!url.isEmpty())
            FetchOrKeepText(url, text);
        else
            AddFileOrNote(text);
    });
}

void TNewsFeeder::FetchOrKeepText(const QString& url, const QString& text)
{
    // LoadFeedURL waits while an operation holds tree nodes or others wait
    // for them; wait here first, so that its result tells a failed fetch
    // from a deferred one. While the waiting ones run, step back behind them
    // through the event loop: two fetches waiting in the same queue would
    // otherwise keep handing the turn to each other.
    if (Busy->IsBusy()) {
        Busy->RunWhenIdle([this, url, text] { FetchOrKeepText(url, text); }, false);
        return;
    }
    if (Busy->HasPending()) {
        QMetaObject::invokeMethod(
            this, [this, url, text] { FetchOrKeepText(url, text); }, Qt::QueuedConnection);
        return;
    }
    // A page or document that came but was no feed is not the user's text
    // to keep; a download that failed may be a note that begins with a URL.
    if (!LoadFeedURL(url, nullptr) && !LastFetchDownloaded())
        AddNoteFromText(text);
}

bool TNewsFeeder::FromThisWindow(const QDropEvent* event) const
{
    // Drags of the tree's own nodes are the tree's business.
    const auto* source = qobject_cast<const QWidget*>(event->source());
    return source && (source == this || isAncestorOf(source));
}

void TNewsFeeder::dragEnterEvent(QDragEnterEvent* event)
{
    // Every drag from elsewhere is welcome; the data is looked at on the drop.
    if (FromThisWindow(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void TNewsFeeder::dragMoveEvent(QDragMoveEvent* event)
{
    if (FromThisWindow(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void TNewsFeeder::dropEvent(QDropEvent* event)
{
    if (FromThisWindow(event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    const std::shared_ptr<QMimeData> kept = KeepDropData(event->mimeData());
    QMetaObject::invokeMethod(this, [this, kept] { TakeDrop(kept.get()); }, Qt::QueuedConnection);
}
