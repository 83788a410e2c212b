#pragma once
// The organiser window: the news tree and its five derived views on six tabs,
// the feed update timer and the feed fetches, the settings section
// "NewsFeeder", and the store of the news tree with its daily back-up.
//
// Rules kept here:
//  - Closing only hides the window (after storing the tree).
//  - Creating the window applies the stored bounds but writes nothing; a
//    resize and a tab change write the section at once.
//  - Only one fetch merges at a time. A user fetch downloads at once (a
//    nested loop) and waits only for a merge or command holding Busy; a
//    scheduler tick during it does nothing. Scheduled refreshes and Reload
//    All download through the pipeline (FetchPipeline.h) and merge one by
//    one when Busy is free, after the user fetches that wait.
//  - Operations that hold tree nodes across a nested event loop hold Busy;
//    commands that delete or replace nodes, and program end, run through
//    Busy->RunWhenIdle. Nodes kept across such loops are kept as TNodeRef.
//  - News.qbx is written only while tvTree holds the whole tree: once the
//    first tick's build has completed and while nothing is placing nodes.
//  - Program end (Close All, the ticker closed, SIGTERM, SIGINT, the end of
//    the desktop session) runs the close handling once, then asks to quit.
#include "feeds/UpdateAll.h"
#include "model/CategoryViews.h"
#include "model/ViewNodes.h"
#include "organiser/BusyState.h"
#include "organiser/FetchPipeline.h"
#include "organiser/SiteIconLookups.h"
#include "ticker/TickerHost.h"

#include <QPointer>
#include <functional>
#include <QSet>
#include <memory>
#include <QString>
#include <QWidget>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QMenuBar;
class QTabWidget;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class TDescriptionWindow;
class TRSSView;
class TTreeItem;
class TFeedStates;
struct TDownloadAnswer;
struct TDownloadRequest;

class TNewsFeeder : public QWidget, public ITickerHost {
    Q_OBJECT
public:
    // ticker may be null (tests of the organiser alone).
    explicit TNewsFeeder(TRSSView* ticker, QWidget* parent = nullptr);
    ~TNewsFeeder() override;

    // Settings and store.
    void LoadSettings();
    void SaveSettings();
    // Stores the tree with the daily back-up: the snapshot is taken now, the
    // writing runs on the store's worker (NewsStore.h).
    void SaveNewsWithBackup();
    // Waits for the stores asked for so far and reports their failures.
    void WaitForStore();
    std::unique_ptr<class TNewsStore> Store;
    // True while tvTree holds the whole news tree (see the rules above).
    bool CanStoreTree() const { return Busy->IsTreeReady() && PlacingNodes == 0; }

    // Views.
    QTreeWidget* ActiveTreeView() const;
    void UpdateTabViews();
    void MarkShownByTitle(const QString& title) override;
    // Navigation (NewsFeederNavigation.cpp): what a click prepares, the
    // hover hint, and the ticker's "Show All News".
    void ViewClicked(QTreeWidget* view);
    void PrepareNodeMenu(QTreeWidget* view, QTreeWidgetItem* node);
    void ViewMouseMoved(QTreeWidget* view, const QPoint& pos);
    void ShowNodeHint(const QPoint& point, const TTreeItem* item);
    void ShowAllNews() override;
    void ShowWindow() override;
    void ToggleWindow() override;
    QAction* SharedAction(const QString& name) const override;
    bool IsShowing() const override;
    TNewsViews Views() const;
    void UpdateViews(QTreeWidgetItem* node, int mode);
    void DeleteChildNodes(QTreeWidgetItem* node);

    // Feed fetches. The URL is taken by value: the caller's string may go
    // while the download lets events run.
    QTreeWidgetItem* DownloadFeed(QString url, QTreeWidgetItem* node, bool showErrors);
    QTreeWidgetItem* LoadFeedURL(QString url, QTreeWidgetItem* node);
    bool FetchInProgress() const { return fetchDepth > 0; }
    // Whether the last fetch got its document, feed or not; false while a
    // fetch of LoadFeedURL waits its turn.
    bool LastFetchDownloaded() const { return lastFetchDownloaded; }

    // What each feed's server told us (FetchPoliteness.cpp, FeedStates.h):
    // kept beside the news file, written with each store.
    std::unique_ptr<TFeedStates> FeedStates;
    // The downloads of scheduled refreshes and Reload All (FetchPipeline.h).
    std::unique_ptr<TFetchPipeline> Pipeline;
    // Site icons looked up beside the feeds (SiteIconLookups.h).
    std::unique_ptr<TSiteIconLookups> IconLookups;
    QString FeedStatesPath() const;
    // The request for url, with the validators when node is its feed.
    TDownloadRequest FeedRequest(const QString& url, QTreeWidgetItem* node) const;
    // False while the feed's server asked us to wait, it failed lately, or it is gone.
    bool FeedMayBeScheduled(const QString& url) const;

    // The update scheduler.
    void Timer1Timer();
    void RestartFeedUpdates();
    // The first tick found the tree empty: the window opens on the Tree tab
    // and the strip says how to begin (FirstRun.cpp).
    void ShowFirstSteps();

    // The URLs and files of a command line, this start's or a later one's
    // (CommandLineIntake.cpp): a URL (http, https, feed) is fetched as a pasted
    // one is, an OPML file merged into the tree, any other file read as a
    // feed. Each waits for the tree as the commands do.
    void OpenStartArguments(const QStringList& arguments);

    // Deferred requests (the window's private messages).
    void PostReload();          // runs the reload of the active view's selected feed
    void PostLanguageChanged(); // re-applies the texts and stores the settings

    // Interface texts and languages (LanguageMenu.cpp).
    QAction* acLanguage = nullptr; // head of mnLanguage
    QMenu* mnLanguage = nullptr;
    QAction* acAbout = nullptr;
    void ApplyInterfaceTexts();
    // Accessible names of the views, tab pages and menus (AccessibleNames.cpp);
    // a view is named by its tab's caption, so this follows every translation.
    void ApplyAccessibleNames();
    void BuildLanguageMenu(QMenu* menu) override;
    void LanguageChosen(QObject* sender);
    void AboutExecute();

    // Program end: runs when no operation holds tree nodes (the transfer in
    // progress is cancelled), does the close handling once and then emits
    // programEndRequested. Asking again meanwhile changes nothing.
    void EndProgram() override;
    // Hides the hint and the window and stores the tree; the close road.
    void CloseHandling();
    // The close handling of program end, at most once per run.
    void FinalCloseHandling();

    // Components.
    QWidget* Panel1 = nullptr;
    class TGradient* Gradient1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* tbTime = nullptr;
    QWidget* tbWWW = nullptr;
    QWidget* tbVideo = nullptr;
    QWidget* tbAudio = nullptr;
    QWidget* tbFeeds = nullptr;
    QWidget* tbTree = nullptr;
    QTreeWidget* tvTime = nullptr;
    QTreeWidget* tvWeb = nullptr;
    QTreeWidget* tvVideo = nullptr;
    QTreeWidget* tvAudio = nullptr;
    QTreeWidget* tvTheme = nullptr;
    QTreeWidget* tvTree = nullptr;
    QTreeWidget* tvTemp = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* HintTimer = nullptr;
    TDescriptionWindow* HintWindow = nullptr; // the node hint (NewsFeederNavigation.cpp)
    QMenuBar* MainMenu1 = nullptr;
    QMenu* mnMain = nullptr;

    // Commands. Each group is made by the file named; the menus place the
    // actions that exist (OrganiserMenus.cpp).
    // The window (NewsFeederWindow.cpp).
    QAction* acClose = nullptr;
    QAction* acCloseAll = nullptr;
    // Reload (FeedFetch.cpp).
    QAction* acReload = nullptr;
    QAction* acUpdate = nullptr;
    // Reload All (ReloadAll.cpp): every feed in turn, with the update-all
    // window; made on first use. While a run is on, the command only shows it.
    QAction* acReloadAll = nullptr;
    QPointer<TFrmUpdateAll> FrmUpdateAll;
    void ReloadAllExecute();
    // Tree editing (EditCommands.cpp).
    QAction* acNewFolder = nullptr;
    QAction* acNewURL = nullptr;
    QAction* acNewNote = nullptr;
    QAction* acSort = nullptr;
    QAction* acCopyLink = nullptr;
    QAction* acProperty = nullptr;
    QAction* acDelete = nullptr;
    QAction* acDelChildren = nullptr;
    QAction* acRename = nullptr;
    QAction* acCopyNode = nullptr; // the popup's "Copy Node"
    // Tree editing (EditCommands.cpp)
    void NewFolderExecute();
    void NewURLExecute();
    void AddFeedURL(const QString& url);
    void SortExecute();
    void RenameExecute();
    void CaptionEdited(QTreeWidget* view, QTreeWidgetItem* node);
    // An emptied feed's caption: its name with "(0)".
    void ShowEmptiedFeedCount(QTreeWidgetItem* node);
    void CopyLinkExecute();
    void CopyNodeExecute();
    void PropertyExecute();
    void DeleteExecute();
    void DelChildrenExecute();
    // The deleting commands' road: asks the question about node, then runs
    // work, once no operation holds tree nodes, on node found again (nothing
    // when it has gone meanwhile).
    void AskThenRunOnTree(QTreeWidgetItem* node, const QString& question,
                          std::function<void(QTreeWidgetItem*)> work);
    class TTreeSorter* TreeSorter = nullptr;     // keeps tvTree sorted once Sort has run
    class TTreeDragDrop* TreeDragDrop = nullptr; // moves tvTree nodes by drag and drop
    // End of tree editing.
    // Paste and drop intake (Intake.cpp).
    QAction* acPaste = nullptr;
    // A note of text, after the selected node on its level.
    QTreeWidgetItem* AddNoteFromText(const QString& text);
    // A file node for path, as the selected node's first child.
    QTreeWidgetItem* AddFileNode(const QString& path);
    // A drop of text: a URL is fetched, other text becomes a note.
    void DropDataObject(const QMimeData* data);
    // A drop of files: one file node each.
    void DropFiles(const QStringList& paths);
    // A drop on the ticker: no node selected, then as a drop on this window.
    void DropOnTicker(const QMimeData* data) override;
protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
private:
    void PasteFromClipboard();
    void TakeDrop(const QMimeData* data);
    void FetchOrKeepText(const QString& url, const QString& text);
    // A local path becomes a file node, any other text a note.
    void AddFileOrNote(const QString& text);
    bool FromThisWindow(const QDropEvent* event) const;
    // End of paste and drop intake.
public:
    // Opening items (OpenItems.cpp).
    QAction* acOpenLink = nullptr;
    QAction* acContext = nullptr;
    // Opens the selected node of view as its kind asks: links and files go
    // to the desktop, a feed is fetched for its tvTree node. Also the reload.
    void tvTreeDblClick(QTreeWidget* view);
    // The note window of a note node (its tvTree node); an open one comes to the front.
    void OpenNote(QTreeWidgetItem* node);
    // Hands a link to the desktop; only http, https, ftp and mailto links
    // are accepted. Audio and video go to the player of their type, asked first.
    void OpenTarget(const QString& target) override;
    // The same for a link whose enclosure type (kOptMediaType) may make it media.
    void OpenTargetOfType(const QString& target, const QString& mediaType);
    // Opens a local file or folder with the desktop's application for its type.
    void OpenFile(const QString& path);
    // acContext: our own small menu for the selected file node.
    void ShowFileContextMenu();
    void ShowFileProperties(const QString& path);
    // The tvTree node of a view node (the same item), else nullptr.
    QTreeWidgetItem* TreeNodeOf(QTreeWidgetItem* node) const;
    // The extension as the open command is looked up: after the last ".",
    // cut before a "?" that is not its first character.
    static QString OpenTargetExtension(const QString& target);
    // The desktop's default command for files with this extension, cleaned
    // to the program and its fixed arguments; empty when there is none.
    static QString FindOpenCommand(const QString& extension);
    TBusyState* Busy = nullptr;

    // News age options (AgeOptions.cpp): how long news stays, how old it may
    // be to be shown, show once, the update interval, descriptions. The
    // global keep and show entries; the last of each group stands for a
    // value without an entry of its own (AgeOptionGroups.h).
    QActionGroup* KeepNewsGroup = nullptr;
    QActionGroup* ShowNewsGroup = nullptr;
    QAction* acKeepNewsNever = nullptr;
    QAction* acKeepNews1d = nullptr;
    QAction* acKeepNews5d = nullptr;
    QAction* acKeepNews1m = nullptr;
    QAction* acKeepNews6m = nullptr;
    QAction* acKeepNewsAlw = nullptr;
    QAction* acKeepNewsOther = nullptr;
    QAction* acShowNewsNever = nullptr;
    QAction* acShowNews3h = nullptr;
    QAction* acShowNews6h = nullptr;
    QAction* acShowNews1d = nullptr;
    QAction* acShowNews3d = nullptr;
    QAction* acShowAllNews = nullptr;
    QAction* acShowNewsOther = nullptr;
    // The keep and show entries of 'Options "X"': the feed X's own values
    // (named "acFeed" + the global entry's name without "ac").
    QActionGroup* FeedKeepNewsGroup = nullptr;
    QActionGroup* FeedShowNewsGroup = nullptr;
    QAction* acShowNewsOnce = nullptr;
    QAction* acConnectionInterval = nullptr;
    QAction* acShowDescription = nullptr;
    QAction* acKeepNews = nullptr; // head of mnKeepNewsfor
    QAction* acShowNews = nullptr; // head of mnShowNewsbefore
    QMenu* mnKeepNewsfor = nullptr;    // main menu: the global keep entries
    QMenu* mnShowNewsbefore = nullptr; // main menu: the global show entries
    QMenu* mnOptions1 = nullptr;       // main menu: 'Options "X"', shown for a feed only
    QMenu* mnOptions = nullptr;        // popup: the same
    QMenu* mnFeedKeepNews = nullptr;   // X's keep entries, in both
    QMenu* mnFeedShowNews = nullptr;   // X's show entries, in both
    // The caption of acConnectionInterval before the seconds are filled in.
    QString ConnectionIntervalCaption = QStringLiteral("Connect to internet for all %d s");
    void KeepNewsExecute(QObject* sender);
    void ShowNewsExecute(QObject* sender);
    void FeedKeepNewsExecute(QObject* sender);
    void FeedShowNewsExecute(QObject* sender);
    void ShowNewsOnceExecute();
    void ConnectionIntervalExecute();
    void ShowDescriptionExecute();
    // The check marks and the interval caption for the values in force.
    void ApplyAgeOptionMarks();
    void SetConnectionIntervalCaption();
    // The feed X that 'Options "X"' names: its tvTree node while it lives.
    QTreeWidgetItem* OptionsFeed() const;
    // Names node as X when it is a feed of tvTree, else none.
    void SetOptionsFeed(QTreeWidgetItem* node);
private:
    void CreateAgeOptionActions();
    void MarkFeedOptions();
    // A keep or show value as X's option, then a fetch of X.
    void SetOptionsFeedOption(const QString& name, int value);
    TNodeRef OptionsNode;
public:
    // End of news age options.

    // Import and export (ImportExport.cpp): Load replaces the tree with a
    // file's, Merge adds a file's tree, Save As and Save Selection As write
    // the tree or the selected branch. Files: news XML, containers, OPML.
    QAction* acLoad = nullptr;
    QAction* acMerge = nullptr;
    QAction* acSaveAs = nullptr;
    QAction* acSaveSelection = nullptr;
    void LoadExecute();
    void MergeExecute();
    void SaveAsExecute(bool selectionOnly);
    // Load and Merge once a file is chosen; they wait for the busy state.
    // A file that cannot be read whole changes nothing and is reported.
    bool LoadNewsFile(const QString& path);
    bool MergeNewsFile(const QString& path);
    // Stops the updates, parks the ticker and empties the derived views.
    void SuspendForReload();
    // Copies the nodes of a file's tree (a list in the linked form, as read)
    // into tree (see ImportExport.cpp).
    void MergeTrees(QTreeWidget* tree, const class TTreeList& source);
private:
    void CreateImportExportActions();
    bool ReadChosenFile(const QString& path, class TTreeList& list);
    // Asks before a Load replaces a tree that holds anything.
    bool ReplacingTreeConfirmed(const QString& path);
    QString fileFolder; // where the last file was chosen
public:
    // End of import and export.

    // Fields.
    int NewsInterval = 300000;
    int NewsStorageDuration = 5;
    TNodeRef UpdatePosition;
    bool TreeLoaded = false;
    int PlacingNodes = 0;      // builds, loads and merges placing nodes now
    bool LoadingSettings = false;
    QString NewsXmlPath;
    QString NewsStorePath;
    QString Memo1; // the text of the last download
    QString LanguageName; // kept as read until the language manager takes it over

    // Set by the scheduler: true until the first pass has rebuilt the ticker.
    bool FirstPassPending = true;
    // The desktop session is ending: store failures are reported without a box.
    bool SessionEnding = false;

signals:
    // The close handling of program end has run: the program may quit now.
    void programEndRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateComponents();
    void CreateWindowActions();
    void CreateReloadActions();
    void RunReloadAll();
    void ReportFailedFeeds(const QStringList& urls);
    bool reloadAllQueued = false;
    QSet<QString> notFeedsOfRun; // fetched by Reload All, but no feed
    void CreateEditActions();
    void CreateIntakeActions();
    void CreateOpenActions();
    void CreateMenus();
    void CreateNavigation();
    QTreeWidget* CreateTreeView(QWidget* tab, const QString& name);
    void PageChanged(int index);
    void HandleReload();
    void HandleLanguageChanged();
    void ShowStatus(const QString& text);
    void ReassignFileIcons();
    // With fetched, the document the pipeline downloaded is merged instead.
    // offerFeeds: a web page fetched for a user as a new node offers the
    // first feed it advertises (a question) before it becomes a web link.
    QTreeWidgetItem* DownloadFeedNow(const QString& url, QTreeWidgetItem* node, bool showErrors,
                                     const TDownloadAnswer* fetched = nullptr, bool offerFeeds = true);
    // The page's first advertised feed, when the user takes it: its fetch's
    // result in *fetched; false when the page stays a web link.
    bool SubscribeAdvertisedFeed(const QString& pageUrl, const QString& pageText, QTreeWidgetItem** fetched);
    // The pipeline's body written to the scratch file (FetchBatches.cpp).
    static TDownloadAnswer TakeFetchedDocument(const TDownloadAnswer& fetched, const QString& scratch);
    // The store after a fetch: at once, or once at the end of a batch.
    void StoreAfterFetch();
    int storeDeferred = 0;
    bool storeWanted = false;
    // Scheduled refreshes and Reload All (FetchBatches.cpp).
    void MergeFetched(const TFetchPipeline::TJob& job, const TDownloadAnswer& answer);
    void FetchBatchDone(TFetchPipeline::TBatch batch);
    bool StartDueFeeds();
    void CreatePipeline();
    void CreateIconLookups(); // once tvTree exists
    int schedulerBatchSize = 0;
    // A batch held up by slow servers still stores what it merged, and
    // brings it to the ticker, this long after its first unstored merge.
    static constexpr int kBatchStoreMs = 30 * 1000;
    QTimer* batchStoreTimer = nullptr;
    void StoreMergedSoFar();
    // A 304: the feed stamped and captioned as a refresh with nothing new.
    QTreeWidgetItem* RefreshedWithoutNews(QTreeWidgetItem* node);
    void NoteFetchOutcome(const QString& url, const TNodeRef& nodeRef, const TDownloadAnswer& answer, bool success,
                          bool showErrors);
    static QString FailureReason(const TDownloadAnswer& answer);
    QSet<QString> FeedLinks() const;
    QTreeWidgetItem* FetchForUser(QString url, QTreeWidgetItem* node);
    // The first feed node of the tree with that address, or nullptr.
    QTreeWidgetItem* SubscribedFeed(const QString& url) const;
    bool KeepDamagedNewsFile();
    // Reports of the news file (StoreReports.cpp).
    void ReportStoreResult(const struct TStoreResult& result);
    void ShowNewsStartNotice();
    void PostNewsStartNotice();
    bool EndingProgram() const;
    static void ReportQuietly(const QString& text);
    void RestartUpdateTimer();

    TRSSView* ticker;
    int fetchDepth = 0;
    bool lastFetchDownloaded = false;
    bool endRequested = false;
    bool hintMoveRunning = false; // the hover handler lets events run
    bool finalCloseDone = false;
    bool damagedFileKept = false;
    bool storeFailureShown = false; // until a store succeeds again
    bool startNoticeDone = false;
    QString startNotice; // shown in a message once the first tick has ended
};

// The organiser of the running program (set while one exists).
extern TNewsFeeder* NewsFeeder;

// What to tell the user about the news file start-up loaded; empty when it
// was read whole or there was none.
QString NewsStartNotice(const struct TNewsStart& start, const QString& newsFile);

// The text before the first "(" (a feed's title without its item count),
// the whole text when it has none.
QString TextBeforeParen(const QString& text);
