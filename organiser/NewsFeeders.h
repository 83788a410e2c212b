#pragma once
// The organiser window: the news tree and its five derived views on six tabs,
// the feed update timer and the feed fetches, the settings section
// "NewsFeeder", and the store of the news tree with its daily back-up.
//
// Rules kept here:
//  - Closing only hides the window (after storing the tree).
//  - Creating the window applies the stored bounds but writes nothing; a
//    resize and a tab change write the section at once.
//  - Only one feed fetch runs at a time: a scheduler tick during a fetch does
//    nothing, a user fetch waits and runs right after the current one.
#include "model/CategoryViews.h"
#include "ticker/TickerHost.h"

#include <QString>
#include <QWidget>
#include <deque>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QTabWidget;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class TRSSView;

class TNewsFeeder : public QWidget, public ITickerHost {
    Q_OBJECT
public:
    // ticker may be null (tests of the organiser alone).
    explicit TNewsFeeder(TRSSView* ticker, QWidget* parent = nullptr);
    ~TNewsFeeder() override;

    // Settings and store.
    void LoadSettings();
    void SaveSettings();
    void SaveNewsWithBackup();

    // Views.
    QTreeWidget* ActiveTreeView() const;
    void UpdateTabViews();
    void MarkShownByTitle(const QString& title) override;
    bool IsShowing() const override;
    TNewsViews Views() const;
    void UpdateViews(QTreeWidgetItem* node, int mode);
    void DeleteChildNodes(QTreeWidgetItem* node);

    // Feed fetches.
    QTreeWidgetItem* DownloadFeed(const QString& url, QTreeWidgetItem* node, bool showErrors);
    QTreeWidgetItem* LoadFeedURL(const QString& url, QTreeWidgetItem* node);
    bool FetchInProgress() const { return fetchDepth > 0; }

    // The update scheduler.
    void Timer1Timer();
    void RestartFeedUpdates();

    // Deferred requests (the window's private messages).
    void PostReload();          // runs the reload of the active view's selected feed
    void PostLanguageChanged(); // re-applies the texts and stores the settings

    // Components.
    QWidget* Panel1 = nullptr;
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
    QLabel* HintWindow = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QMenu* mnMain = nullptr;
    QAction* acClose = nullptr;
    QAction* acCloseAll = nullptr;

    // Fields.
    int NewsInterval = 300000;
    int NewsStorageDuration = 5;
    QTreeWidgetItem* UpdatePosition = nullptr;
    bool TreeLoaded = false;
    bool LoadingSettings = false;
    QString NewsXmlPath;
    QString NewsStorePath;
    QString Memo1; // the text of the last download
    QString LanguageName; // kept as read until the language manager takes it over

    // Set by the scheduler: true until the first pass has rebuilt the ticker.
    bool FirstPassPending = true;

signals:
    void closeAllRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateComponents();
    void CreateMenus();
    QTreeWidget* CreateTreeView(QWidget* tab, const QString& name);
    void PageChanged(int index);
    void HandleReload();
    void HandleLanguageChanged();
    void ShowStatus(const QString& text);
    void RunPendingFetches();
    QTreeWidgetItem* DownloadFeedNow(const QString& url, QTreeWidgetItem* node, bool showErrors);
    bool IsInTree(const QTreeWidgetItem* node) const;

    TRSSView* ticker;
    int fetchDepth = 0;
    struct PendingFetch {
        QString url;
        QTreeWidgetItem* node;
    };
    std::deque<PendingFetch> pendingFetches;
};

// The organiser of the running program (set while one exists).
extern TNewsFeeder* NewsFeeder;
