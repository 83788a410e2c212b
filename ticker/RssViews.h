#pragma once
// The ticker: the program's main window, a one-line strip that stays on top
// of the desktop and shows one news item at a time.
//
// Rules this window keeps:
//  - The tick (Timer1Timer, 200 ms) shows Queue[QueuePos] once the tick count
//    is past LastChange + RSSInterval (unsigned 32-bit arithmetic); a Queue
//    entry not below PlayList's count restarts the queue at 0 and shows
//    nothing. Every tick fades: Opacity := round-half-even(Opacity * 0.97),
//    which settles at 16.
//  - The tick never looks at Paused: pausing stops Timer1, and ShowItem and
//    RebuildQueue set Timer1 running to !Paused. SetPaused itself restarts it.
//  - RebuildQueue takes, per feed ("RSH") in display order, its leading run of
//    "RSS" children; a child is left out when the limit (the feed's "SNF",
//    else ShowNewsFor; 0 when offline) is not 0, it is at least that many
//    hours old and it was shown before or ShowNewsOnce is off. Queue is a
//    random draw with repeats, as long as PlayList.
//  - Opacity is the program's own 0..255 integer; the window's opacity only
//    mirrors it (Qt rounds what it reads back).
//  - QueueLock guards PlayList, Queue and QueuePos in the tick and the
//    rebuild; it is recursive, like the critical section it stands for, so a
//    rebuild started from inside a tick on the same thread does not lock up.
#include "model/TreeItems.h"

#include <QLabel>
#include <QPoint>
#include <QRecursiveMutex>
#include <QString>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

class ITickerHost;
class QAction;
class QMenu;
class QTreeWidget;
class TDescriptionWindow;
struct TNamedText;

class TRSSView : public QWidget {
    Q_OBJECT
public:
    using TOrganiserFactory = std::function<ITickerHost*(TRSSView*)>;

    // Builds the window, reads its settings, has the organiser created (when a
    // factory is given) and shows the welcome item, paused.
    explicit TRSSView(TOrganiserFactory createOrganiser = {}, QWidget* parent = nullptr);
    ~TRSSView() override;

    // Display cycle.
    void ShowItem(const TTreeItem& item);
    void RebuildQueue(QTreeWidget* view);
    void SetPaused(bool paused);
    void ShowDescriptionWindow();
    void Next();        // "Next Rss"
    void Previous();    // "Prev Rss"
    void TogglePause(); // "Pause"
    void OpenActualLink(); // "Open Actual Link ...", and a double click on the strip
    // The strip as wide as the text lbRss holds now (a status line), within the screen.
    void FitStripToTitle();

    // Menu and tray commands (RssViewsMenus.cpp).
    void IntervalCommand();          // Interval1: asks for the seconds per item
    void ToggleDescription();        // mnShowDescription
    void CloseCommand();             // CloseAll1 and Exit1: the program ends
    void TrayActivated(QSystemTrayIcon::ActivationReason reason);

    // The named texts (section "RSSView") and the components' texts from
    // the current language (RssViewsTexts.cpp).
    void ApplyTickerTexts(bool force = false);
    // The named texts with their keys, in the order they are read.
    std::vector<TNamedText> NamedTexts();

    // Accessibility (RssViewsAccessible.cpp): names and descriptions of the
    // parts for screen readers, and the announcement of the item shown.
    void ApplyAccessibleNames();
    void AnnounceItem();
    // What a click on the close glyph does (also its accessible press action).
    void CloseGlyphClick();

    // The "RssViews" settings section.
    void LoadTickerSettings();
    void SaveTickerSettings();

    int Opacity() const { return opacity; }
    void SetOpacity(int value);
    // The hint value of lbRss and the window: wrapped description, site and date.
    const QString& Hint() const { return hint; }
    ITickerHost* Host() const { return host; }
    // The organiser, not owned; it clears itself here when it goes first.
    void SetHost(ITickerHost* organiser) { host = organiser; }

public slots:
    void Timer1Timer();

public:
    // Components.
    QLabel* lbRss = nullptr;
    QLabel* lbPubDate = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* imClose = nullptr;
    QLabel* imSpeaker = nullptr;
    QLabel* imVideo = nullptr;
    QTimer* Timer1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* OpenRSSLink1 = nullptr; // "Open Actual Link ..." (Enter)
    QAction* mnShowNews = nullptr;
    QAction* mnShowDescription = nullptr;
    QAction* Interval1 = nullptr;
    QMenu* Options1 = nullptr;          // nullptr when the organiser offers none of its entries
    QMenu* ShowNewsbefore1 = nullptr;   // the same
    QMenu* KeepNewsfor1 = nullptr;      // the same
    QMenu* FileImportExport1 = nullptr; // the same
    QMenu* mnLanguage = nullptr;        // nullptr when there is no language to choose
    QAction* PrevRss1 = nullptr;
    QAction* NextRss1 = nullptr;
    QAction* Pause1 = nullptr;
    QAction* CloseAll1 = nullptr;
    QMenu* pmIcon = nullptr;
    QAction* ShowAllNews1 = nullptr;
    QAction* Exit1 = nullptr;
    QSystemTrayIcon* TrayIcon = nullptr; // nullptr when the desktop has no tray
    QTimer* TrayWatch = nullptr;         // looks for a tray until one comes
    static constexpr int kTrayWatchMs = 3000;
    TDescriptionWindow* DescriptionWindow = nullptr;

    // State.
    TTreeList PlayList;
    TIndexList Queue;
    qint32 QueuePos = 0;
    TTreeItem CurrentItem;
    TTreeItem WelcomeItem;
    quint32 LastChange = 0;
    qint32 RSSInterval = 4000;
    qint32 ShowNewsFor = 24;
    bool ShowNewsOnce = true;
    bool ShowDescription = true;
    bool Paused = false;
    bool DescriptionShown = false;
    bool AutoShow = true;
    QPoint DragAnchor{-1, -1};
    QRecursiveMutex QueueLock;

    // Named texts (language file section "RSSView"), English until translated.
    QString SShowNewsFor = QStringLiteral("Show News for %d s");
    QString SQuorbelTitle = QStringLiteral("Stay Tivaleo...  Quorbel by quorbel.example.org");
    QString SQuorbelDescr = QStringLiteral(
        "\r\nKeep informed, what's going on in the world.\r\n\r\n"
        "with the new tiny, easy usable RSS Reader.\r\n"
        "More information at https://quorbel.example.org/\r\n\r\n");
    QString SShowNewsDuration = QStringLiteral("Show News Duration");
    QString SNewsDurationInput = QStringLiteral("Please Enter Duration [hour]");
    QString SNewsIntervalTitle = QStringLiteral("News Interval");
    QString SNewsIntervalInput = QStringLiteral("Please Enter Interval [sec]");
    QString SIntervalRefused = QStringLiteral("The interval must be between 0 and %d seconds.");
    QString SIntervalCaption = QStringLiteral("Show News for %d s");
    QString SUpdateInterval = QStringLiteral("Update Interval");
    QString SUpdateIntervalInput = QStringLiteral("Please Enter Interval[sec]");
    QString SNewsStorageDuration = QStringLiteral("News Storage Duration");
    QString SNewsStorDurationInput = QStringLiteral("Please Enter Duration for News [days]");
    QString SLanguage = QStringLiteral("Language"); // the popup's language entry

    // The welcome item's link.
    static inline const QString kMakerAddress = QStringLiteral("https://quorbel.example.org/");

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override; // RssViewsMenus.cpp
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Drop target (RssViewsDrop.cpp): drops go to the organiser's intake.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void InitDropTarget(); // RssViewsDrop.cpp
    void CreateComponents();
    // RssViewsMenus.cpp: the popups need the organiser's shared actions.
    void CreateMenus();
public:
    // Puts the icon in the tray, or watches for a tray when there is none yet.
    void CreateTrayIcon();
private:
    void UpdateMenuState();
    int MaxStripWidth() const;
    void SetTimerEnabled(bool enabled);
    void RestartTimer();
    // Mouse behaviour, in window coordinates.
    void HitTest();
    void PressAt(const QPoint& pos);
    void MoveAt(const QPoint& globalPos);
    void Released();

    ITickerHost* host = nullptr;
    int opacity = 255;
    QString hint;
};
