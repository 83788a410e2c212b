// The ticker's two popup menus, the tray icon and the commands only they run.
//
// Rules these menus keep:
//  - PopupMenu1 opens on a right click on the strip or its parts and on the
//    menu key; pmIcon opens from the tray icon only.
//  - Entries bound to the organiser's commands are the organiser's QAction
//    objects themselves, so caption, check mark and handler are shared; the
//    keep and show entries are the global ones. An entry whose command the
//    organiser does not offer is left out (widgets/Menus.h).
//  - The shortcuts of PopupMenu1 work while the strip has the keyboard focus:
//    each action is put on the window once, and a sequence already taken
//    there is not registered a second time (that would make both dead).
//  - The interval command takes whole seconds from 0 to the largest count
//    that still fits the 32-bit millisecond interval; anything else keeps the
//    old interval. Captions never show a negative interval (old settings
//    files may hold one); it behaves as 0, a new item every tick.
#include "ticker/RssViews.h"

#include "app/NewsGlobals.h"
#include "model/Intervals.h"
#include "platform/Dialogs.h"
#include "platform/Trace.h"
#include "text/TextTools.h"
#include "ticker/DescriptionWindow.h"
#include "ticker/TickerHost.h"
#include "widgets/ImageList.h"
#include "widgets/Menus.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QTimer>
#include <algorithm>
#include <limits>

namespace {

// Every action of the menu and its submenus.
void CollectActions(const QMenu* menu, QList<QAction*>& into)
{
    for (QAction* action : menu->actions()) {
        if (QMenu* sub = action->menu())
            CollectActions(sub, into);
        else if (!action->isSeparator())
            into << action;
    }
}
} // namespace

void TRSSView::CreateMenus()
{
    auto shared = [this](const char* name) {
        return host ? host->SharedAction(QString::fromLatin1(name)) : nullptr;
    };

    mnShowNews = NewAction(this, "mnShowNews", "Show All News");
    connect(mnShowNews, &QAction::triggered, this, [this] {
        if (host)
            host->ShowAllNews();
    });
    mnShowDescription = NewAction(this, "mnShowDescription", "Show Description on Desktop",
                                  "Shows Additional Description on Desktop");
    mnShowDescription->setCheckable(true);
    mnShowDescription->setChecked(ShowDescription);
    connect(mnShowDescription, &QAction::triggered, this, &TRSSView::ToggleDescription);
    Interval1 = NewAction(this, "Interval1", "Show News for 6 s");
    Interval1->setText(FormatNumber(SShowNewsFor, ShownIntervalSeconds(RSSInterval)));
    connect(Interval1, &QAction::triggered, this, &TRSSView::IntervalCommand);

    PrevRss1 = NewAction(this, "PrevRss1", "Prev Rss", "Shows previous Rss", QKeySequence(Qt::Key_Up));
    connect(PrevRss1, &QAction::triggered, this, &TRSSView::Previous);
    NextRss1 = NewAction(this, "NextRss1", "Next Rss", "Shows Next Rss", QKeySequence(Qt::Key_Down));
    connect(NextRss1, &QAction::triggered, this, &TRSSView::Next);
    Pause1 = NewAction(this, "Pause1", "Pause", "Pauses updating feeds");
    Pause1->setCheckable(true);
    Pause1->setChecked(Paused);
    connect(Pause1, &QAction::triggered, this, [this] {
        TogglePause();
        Pause1->setChecked(Paused);
    });
    CloseAll1 = NewAction(this, "CloseAll1", "&Close");
    connect(CloseAll1, &QAction::triggered, this, &TRSSView::CloseCommand);

    // The global keep and show values; the last entry of each stands for a
    // value in force that has no entry of its own.
    ShowNewsbefore1 = Submenu(this, "ShowNewsbefore1", "Show News before ...",
                              {shared("acShowNewsNever"), shared("acShowNews3h"), shared("acShowNews6h"),
                               shared("acShowNews1d"), shared("acShowNews3d"), shared("acShowAllNews"),
                               shared("acShowNewsOther")});
    KeepNewsfor1 = Submenu(this, "KeepNewsfor1", "Keep News for ...",
                           {shared("acKeepNewsNever"), shared("acKeepNews1d"), shared("acKeepNews5d"),
                            shared("acKeepNews1m"), shared("acKeepNews6m"), shared("acKeepNewsAlw"),
                            shared("acKeepNewsOther")});
    Options1 = Submenu(this, "Options1", "Options", {ShowNewsbefore1, KeepNewsfor1});
    FileImportExport1 = Submenu(this, "FileImportExport1", "File Import && Export",
                                {shared("acLoad"), shared("acSaveAs")});
    // One entry per language, made by the organiser, which handles the choice.
    mnLanguage = NewMenu(this, "mnLanguage", QStringLiteral("Language"));
    if (host)
        host->BuildLanguageMenu(mnLanguage);
    if (mnLanguage->actions().isEmpty()) {
        delete mnLanguage;
        mnLanguage = nullptr;
    }

    FillMenu(PopupMenu1, {mnShowNews, OpenRSSLink1, MenuSeparator("N6"), mnShowDescription, shared("acShowNewsOnce"),
                          Interval1, shared("acConnectionInterval"), MenuSeparator("N7"), mnLanguage, Options1,
                          MenuSeparator("N1"), FileImportExport1, MenuSeparator("N5"), shared("acOpenLink"),
                          shared("acPaste"), MenuSeparator("N3"), PrevRss1, NextRss1, Pause1, MenuSeparator("N2"),
                          shared("acAbout"), CloseAll1});
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TRSSView::UpdateMenuState);

    // The popup's shortcuts on the window itself, each sequence once; the
    // strip's own entries come first, so a shared command cannot take their keys.
    QList<QAction*> entries;
    CollectActions(PopupMenu1, entries);
    std::stable_partition(entries.begin(), entries.end(), [this](const QAction* a) { return a->parent() == this; });
    for (QAction* entry : entries) {
        if (entry->shortcut().isEmpty() || actions().contains(entry))
            continue;
        const QList<QAction*> present = actions();
        const bool taken = std::any_of(present.begin(), present.end(),
                                       [entry](const QAction* a) { return a->shortcut() == entry->shortcut(); });
        if (taken) {
            WriteTraceLine(QStringLiteral("ticker: shortcut %1 of %2 already taken on the strip")
                               .arg(entry->shortcut().toString(), entry->objectName()));
            continue;
        }
        addAction(entry);
    }

    ShowAllNews1 = NewAction(this, "ShowAllNews1", "Show All News");
    connect(ShowAllNews1, &QAction::triggered, this, [this] {
        if (host)
            host->ShowWindow();
    });
    Exit1 = NewAction(this, "Exit1", "Exit");
    connect(Exit1, &QAction::triggered, this, &TRSSView::CloseCommand);
    FillMenu(pmIcon, {ShowAllNews1, MenuSeparator("N4"), shared("acAbout"), Exit1});
    connect(pmIcon, &QMenu::aboutToShow, this, &TRSSView::UpdateMenuState);
}

void TRSSView::UpdateMenuState()
{
    // The organiser may be gone already at the very end.
    mnShowNews->setEnabled(host != nullptr);
    ShowAllNews1->setEnabled(host != nullptr);
    mnShowDescription->setChecked(ShowDescription);
    Pause1->setChecked(Paused);
}

void TRSSView::CreateTrayIcon()
{
    // Without a tray the program runs on; the strip's popup reaches every
    // command. A panel started after the program (as autostarted programs
    // often are) brings its tray later: it is watched for until it comes.
    if (TrayIcon)
        return;
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        if (!TrayWatch) {
            TrayWatch = new QTimer(this);
            TrayWatch->setObjectName(QStringLiteral("TrayWatch"));
            TrayWatch->setInterval(kTrayWatchMs);
            connect(TrayWatch, &QTimer::timeout, this, &TRSSView::CreateTrayIcon);
            TrayWatch->start();
        }
        return;
    }
    if (TrayWatch)
        TrayWatch->stop();
    TrayIcon = new QSystemTrayIcon(this);
    TrayIcon->setObjectName(QStringLiteral("TrayIcon"));
    // The application's icon; before start-up has set one, the logo of the node icons.
    QIcon icon = QGuiApplication::windowIcon();
    if (icon.isNull() && NewsData)
        icon = NewsData->imIcons.Icon(imgLogo);
    if (icon.isNull())
        icon = TImageList::Predefined(imgLogo);
    TrayIcon->setIcon(icon);
    TrayIcon->setToolTip(QStringLiteral("Vom News"));
    // The tray opens it itself on a right click, with XEmbed and StatusNotifier trays alike.
    TrayIcon->setContextMenu(pmIcon);
    connect(TrayIcon, &QSystemTrayIcon::activated, this, &TRSSView::TrayActivated);
    TrayIcon->show();
}

void TRSSView::TrayActivated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger: // left click
        if (host)
            host->ToggleWindow();
        break;
    case QSystemTrayIcon::Context: // pmIcon is open: the strip comes to the front with it
        raise();
        break;
    default:
        break;
    }
}

void TRSSView::contextMenuEvent(QContextMenuEvent* event)
{
    // The right press has set a drag anchor whose release goes to the menu;
    // left set, the strip would follow the mouse once the menu closes.
    DragAnchor = QPoint(-1, -1);
    const QPoint at = event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                                  : mapToGlobal(QPoint(0, height()));
    PopupMenu1->popup(at);
    event->accept();
}

void TRSSView::IntervalCommand()
{
    QString text = QString::number(ShownIntervalSeconds(RSSInterval));
    if (Dialogs().InputQuery(SNewsIntervalTitle, SNewsIntervalInput, text)) {
        qint64 seconds = 0;
        if (!ReadIntervalSeconds(text, seconds))
            Dialogs().ShowError(FormatNumber(SIntervalRefused, kMaxIntervalSeconds));
        else if (seconds * 1000 != RSSInterval) {
            RSSInterval = static_cast<qint32>(seconds * 1000);
            SaveTickerSettings();
        }
    }
    Interval1->setText(FormatNumber(SIntervalCaption, ShownIntervalSeconds(RSSInterval)));
    Timer1->stop();
    // Paused, the headline on show stays.
    if (!Paused)
        Next(); // shows the next item, which runs Timer1 again unless the queue is empty
}

void TRSSView::ToggleDescription()
{
    ShowDescription = !ShowDescription;
    mnShowDescription->setChecked(ShowDescription);
    SaveTickerSettings();
    // As the next item would have it; otherwise a tick would take a window
    // just switched on away again.
    DescriptionShown = ShowDescription || CurrentItem.GetOptionBool(kOptShowDescription, false);
    if (ShowDescription)
        ShowDescriptionWindow();
    else
        DescriptionWindow->hide();
}

void TRSSView::CloseCommand()
{
    // The organiser's close handling stores the tree, then the program ends.
    if (host)
        host->EndProgram();
    else
        close();
}
