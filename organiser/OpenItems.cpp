// Opening items: the double-click of the six views (also the reload), links
// and files handed to the desktop, the file node's own small menu and its
// properties window.
//
// Rules kept here:
//  - Links of news items, web nodes and the ticker go to the desktop only as
//    http, https, ftp or mailto links; anything else is refused, named in a
//    message. A news item without a link opens nothing.
//  - A file node's path is opened by the desktop's application for its type,
//    never run itself; a vanished path is reported.
//  - Audio and video go to the desktop's default player for their type after
//    a question: the target is one argument of its own after the command's
//    arguments, never through a shell, and never when it begins with "-".
//  - A feed is fetched for the tvTree node of the same item, never for a node
//    of another view.
#include "organiser/NewsFeeders.h"

#include "app/NewsGlobals.h"
#include "notes/Notes.h"
#include "organiser/InterfaceTexts.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/WebLinks.h"
#include "text/TextTools.h"
#include "ticker/DescriptionWindow.h"
#include "ticker/RssViews.h"
#include "widgets/FilePropertiesDialog.h"
#include "widgets/Menus.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeDatabase>
#include <QScreen>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>

namespace {

// The wait cursor while an item opens.
class TWaitCursor {
public:
    TWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

QString FileUrl(const QString& path) { return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(); }

// The Exec line of the desktop's player for a target's extension.
QString ExecLineFor(const QString& extension)
{
    if (extension.isEmpty() || extension.contains('/'))
        return {};
    return Shell().DefaultOpenCommand(QStringLiteral("file.") + extension);
}

// Shown before a media file without a player of its own goes to the desktop.
const QString kMediaNote = QStringLiteral(
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}{\\colortbl;\\red0\\green0\\blue255;}\\f0\\fs16 "
    "\\b There is no program associated with extension.\\b0\\par\\par "
    "Quorbel will open the file with the program which is associated with the explorer.\\par\\par "
    "For an optimal use, downloads following free programs:\\par\\par "
    "\\li300 M4V\\tab VideoLAN from {\\cf1\\ul https://www.videolan.org/}\\par "
    "MOV\\tab Quicktime from {\\cf1\\ul https://www.apple.com/quicktime/}\\par "
    "MP3\\tab WinAmp from {\\cf1\\ul https://www.winamp.com/}\\par}");

// A media target to its player (after a question), anything else to the
// desktop as desktopUrl.
// mediaType: the declared type of an enclosure whose address shows no kind.
void OpenAccepted(const QString& target, const QString& desktopUrl, const QString& mediaType = QString())
{
    QString exec;
    const bool mediaByName = IsAudioLink(target) || IsVideoLink(target);
    const bool media = mediaByName || !mediaType.isEmpty();
    // Only media files go through the registered command.
    if (mediaByName)
        exec = ExecLineFor(TNewsFeeder::OpenTargetExtension(target));
    else if (media)
        exec = ExecLineFor(QMimeDatabase().mimeTypeForName(mediaType).preferredSuffix());
    const QString command = CleanOpenCommand(exec);
    if (!command.isEmpty()) {
        if (target.startsWith('-')) {
            Dialogs().ShowError(FormatText(OrganiserTexts.SRefusedArgument, target));
            return;
        }
        QStringList argv = SplitExecLine(exec);
        if (argv.isEmpty()) {
            Dialogs().ShowError(FormatText(OrganiserTexts.SBrokenCommand, exec));
            return;
        }
        if (!Dialogs().AskOkCancel(FormatTexts(OrganiserTexts.SExecute, {target, command})))
            return;
        const QString program = argv.takeFirst();
        Shell().StartProgramWith(program, argv << target);
        return;
    }
    // No player of its own: the note about media players first.
    if (media)
        Dialogs().ShowNote(QStringLiteral("Quorbel"), kMediaNote);
    Shell().OpenUrl(desktopUrl);
}
} // namespace

void TNewsFeeder::CreateOpenActions()
{
    acOpenLink = NewAction(this, "acOpenLink", QStringLiteral("Open Link .."));
    // The Tree view's selected node is fetched from its link.
    connect(acOpenLink, &QAction::triggered, this, [this] {
        QTreeWidgetItem* node = SelectedNode(tvTree);
        const TTreeItem* item = ItemOf(node);
        if (!item || IsBlank(item->Link))
            return;
        const QString link = item->Link; // a copy: the item may go while the fetch runs
        LoadFeedURL(link, node);
    });

    acContext = NewAction(this, "acContext", QStringLiteral("File Context Menu"));
    connect(acContext, &QAction::triggered, this, &TNewsFeeder::ShowFileContextMenu);

    for (QTreeWidget* view : {tvTime, tvWeb, tvVideo, tvAudio, tvTheme, tvTree})
        if (view)
            connect(view, &QTreeWidget::itemDoubleClicked, this, [this, view] { tvTreeDblClick(view); });
}

QTreeWidgetItem* TNewsFeeder::TreeNodeOf(QTreeWidgetItem* node) const
{
    if (!node || !tvTree)
        return nullptr;
    if (node->treeWidget() == tvTree)
        return node;
    const qint64 value = NodeDataValue(node);
    if (value < 0)
        return nullptr;
    for (QTreeWidgetItemIterator it(tvTree); *it; ++it)
        if (NodeDataValue(*it) == value)
            return *it;
    return nullptr;
}

void TNewsFeeder::tvTreeDblClick(QTreeWidget* view)
{
    if (!view)
        return;
    TWaitCursor wait;
    QTreeWidgetItem* node = SelectedNode(view);
    TTreeItem* item = ItemOf(node);
    if (!item) // nothing selected, or a day group of the Time view
        return;
    const bool newsItem = item->IsKind(kNewsItem);
    if (newsItem || item->IsKind(kWebLink) || item->IsKind(kFileLink)) {
        QString target = item->Link;
        if (IsBlank(target)) {
            if (newsItem)
                return; // a news item without a link has nothing to open
            target = item->Title;
        }
        if (item->IconIdx == -1)
            item->IconIdx = -2; // opened without an icon: no site icon is looked for any more
        if (item->IsKind(kFileLink))
            OpenFile(target.trimmed());
        else
            OpenTargetOfType(target, item->GetOption(kOptMediaType));
    } else if (item->IsKind(kFeed)) {
        const QString link = item->Link; // a copy: the item may go while the fetch runs
        LoadFeedURL(link, TreeNodeOf(node));
    } else if (item->IsKind(kNote)) {
        OpenNote(node);
    }
    // Folders open nothing.
}

void TNewsFeeder::OpenNote(QTreeWidgetItem* node)
{
    QTreeWidgetItem* treeNode = TreeNodeOf(node);
    const TTreeItem* item = ItemOf(treeNode);
    if (!item)
        return;
    // One window per note: an open one comes to the front.
    for (TFrmNote* open : findChildren<TFrmNote*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (open->isVisible() && open->NoteNode.Get() == treeNode) {
            open->raise();
            open->activateWindow();
            return;
        }
    }
    auto* note = new TFrmNote(this);
    note->LoadNote(item->Title, item->RawText(), treeNode);
    // Beside the strip and the widest description it shows, not under them.
    QRect occupied;
    if (ticker && ticker->isVisible()) {
        occupied = ticker->frameGeometry();
        occupied.setWidth(qMax(occupied.width(), TDescriptionWindow::kMaxWidth + 10));
        if (ticker->DescriptionWindow->isVisible())
            occupied = occupied.united(ticker->DescriptionWindow->frameGeometry());
    }
    note->PlaceBeside(occupied);
    note->show();
}

QString TNewsFeeder::OpenTargetExtension(const QString& target)
{
    const qsizetype dot = target.lastIndexOf('.');
    if (dot < 0)
        return {};
    QString extension = target.mid(dot + 1);
    const qsizetype query = extension.indexOf('?');
    if (query >= 1)
        extension.truncate(query);
    return extension;
}

QString TNewsFeeder::FindOpenCommand(const QString& extension)
{
    return CleanOpenCommand(ExecLineFor(extension));
}

void TNewsFeeder::OpenTarget(const QString& target) { OpenTargetOfType(target, QString()); }

void TNewsFeeder::OpenTargetOfType(const QString& target, const QString& mediaType)
{
    const QString link = target.trimmed();
    if (link.isEmpty())
        return;
    if (!IsDesktopLink(link)) {
        Dialogs().ShowError(FormatText(OrganiserTexts.SRefusedLink, link));
        return;
    }
    OpenAccepted(link, link, mediaType);
}

void TNewsFeeder::OpenFile(const QString& path)
{
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        Dialogs().ShowError(FormatText(OrganiserTexts.SMissingFile, path));
        return;
    }
    OpenAccepted(path, FileUrl(path));
}

void TNewsFeeder::ShowFileContextMenu()
{
    QTreeWidget* view = ActiveTreeView();
    QTreeWidgetItem* node = view ? SelectedNode(view) : nullptr;
    const TTreeItem* item = ItemOf(node);
    if (!item || !item->IsKind(kFileLink))
        return;
    const QString path = QDir::cleanPath(item->Link.trimmed());
    if (item->Link.trimmed().isEmpty() || !QFileInfo::exists(path)) {
        Dialogs().ShowError(FormatText(OrganiserTexts.SMissingFile, item->Link));
        return;
    }
    // The menu keeps the path, not the node: it outlives the selection.
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("mnFileContext"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* open = menu->addAction(QStringLiteral("Open"));
    open->setObjectName(QStringLiteral("acFileOpen"));
    connect(open, &QAction::triggered, this, [this, path] { OpenFile(path); });
    QAction* folder = menu->addAction(QStringLiteral("Open Containing Folder"));
    folder->setObjectName(QStringLiteral("acFileOpenFolder"));
    connect(folder, &QAction::triggered, this, [path] {
        const QString parent = QFileInfo(path).absolutePath();
        if (!QFileInfo(parent).isDir())
            Dialogs().ShowError(FormatText(OrganiserTexts.SMissingFile, parent));
        else
            Shell().OpenUrl(FileUrl(parent));
    });
    QAction* copy = menu->addAction(QStringLiteral("Copy Path"));
    copy->setObjectName(QStringLiteral("acFileCopyPath"));
    connect(copy, &QAction::triggered, this, [path] { QGuiApplication::clipboard()->setText(path); });
    menu->addSeparator();
    QAction* properties = menu->addAction(QStringLiteral("Properties"));
    properties->setObjectName(QStringLiteral("acFileProperties"));
    connect(properties, &QAction::triggered, this, [this, path] { ShowFileProperties(path); });
    // Near the top-left corner of the screen, wherever the organiser is.
    const QScreen* where = screen() ? screen() : QGuiApplication::primaryScreen();
    const QPoint corner = where ? where->geometry().topLeft() : QPoint();
    menu->popup(corner + QPoint(10, 10));
}

void TNewsFeeder::ShowFileProperties(const QString& path)
{
    if (path.trimmed().isEmpty() || !QFileInfo::exists(path)) {
        Dialogs().ShowError(FormatText(OrganiserTexts.SMissingFile, path));
        return;
    }
    auto* dialog = new TFilePropertiesDialog(path, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}
