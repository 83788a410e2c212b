// News age options: how long news stays in the tree, how old it may be to be
// shown by the ticker, whether old news is shown only once, whether the ticker
// shows a feed's descriptions, and how often feeds are fetched.
//
// Rules kept here:
//  - Two sets of keep and show entries. The global ones (the Options menu,
//    the ticker's Options) always change the global value: NewsStorageDuration
//    and the ticker's ShowNewsFor. Those of 'Options "X"' (the Tree tab's
//    popup and the Options menu's feed entry) always change the feed X their
//    caption names, the feed the last Tree-tab selection prepared, whatever
//    tab is active when the command comes: its option "NSD" or "SNF", then a
//    fetch of the feed.
//  - Each set's marks show the value in force: the global values, and X's own
//    values with the global ones as its defaults (AgeOptionGroups.h for a
//    value without an entry of its own). The marks follow every change.
//  - The keep and show handlers act only for an entry of their group as sender.
//  - Show once and the interval are always global. Show description marks X
//    (a feed with its direct children); without X, the selected node of the
//    active view.
//  - An interval of 0 means no update ticks after start-up; a negative one or
//    one whose milliseconds pass 2147483000 is refused and the old one kept.
//  - The ticker may be absent: then only the organiser's own state changes.
#include "organiser/NewsFeeders.h"

#include "organiser/AgeOptionGroups.h"
#include "organiser/InterfaceTexts.h"

#include "app/NewsGlobals.h"
#include "model/Intervals.h"
#include "model/PendingChildren.h"
#include "platform/Dialogs.h"
#include "text/TextTools.h"
#include "ticker/RssViews.h"
#include "widgets/Menus.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>

#include <iterator>
#include <utility>

namespace {
// The ticker's wording, for an organiser running without one.
const QString kUpdateInterval = QStringLiteral("Update Interval");
const QString kUpdateIntervalInput = QStringLiteral("Please Enter Interval[sec]");

// The show value in force without a ticker: the ticker's default.
constexpr int kDefaultShowNewsFor = 24;

// An entry of group that a handler may act on: one of its own six.
QAction* EntryOf(QObject* sender, const QActionGroup* group)
{
    auto* action = qobject_cast<QAction*>(sender);
    return action && group && action->actionGroup() == group && action->data().isValid() ? action : nullptr;
}
} // namespace

void TNewsFeeder::CreateAgeOptionActions()
{
    KeepNewsGroup = NewAgeOptionGroup(this, TAgeOption::Keep, "KeepNews", "ac");
    ShowNewsGroup = NewAgeOptionGroup(this, TAgeOption::Show, "ShowNews", "ac");
    FeedKeepNewsGroup = NewAgeOptionGroup(this, TAgeOption::Keep, "FeedKeepNews", "acFeed");
    FeedShowNewsGroup = NewAgeOptionGroup(this, TAgeOption::Show, "FeedShowNews", "acFeed");
    QAction** const keep[] = {&acKeepNewsNever, &acKeepNews1d, &acKeepNews5d, &acKeepNews1m,
                              &acKeepNews6m,    &acKeepNewsAlw, &acKeepNewsOther};
    QAction** const show[] = {&acShowNewsNever, &acShowNews3h,  &acShowNews6h,   &acShowNews1d,
                              &acShowNews3d,    &acShowAllNews, &acShowNewsOther};
    for (size_t i = 0; i < std::size(keep); ++i)
        *keep[i] = KeepNewsGroup->actions().at(static_cast<int>(i));
    for (size_t i = 0; i < std::size(show); ++i)
        *show[i] = ShowNewsGroup->actions().at(static_cast<int>(i));

    const std::pair<QActionGroup*, void (TNewsFeeder::*)(QObject*)> handlers[] = {
        {KeepNewsGroup, &TNewsFeeder::KeepNewsExecute},
        {ShowNewsGroup, &TNewsFeeder::ShowNewsExecute},
        {FeedKeepNewsGroup, &TNewsFeeder::FeedKeepNewsExecute},
        {FeedShowNewsGroup, &TNewsFeeder::FeedShowNewsExecute},
    };
    for (const auto& [group, handler] : handlers)
        for (QAction* action : group->actions())
            connect(action, &QAction::triggered, this, [this, action, handler = handler] { (this->*handler)(action); });
    // A feed entry reads as its global twin, in every language.
    const std::pair<QActionGroup*, QActionGroup*> twins[] = {{KeepNewsGroup, FeedKeepNewsGroup},
                                                             {ShowNewsGroup, FeedShowNewsGroup}};
    for (const auto& [global, feed] : twins) {
        const QList<QAction*> entries = feed->actions();
        for (int i = 0; i < entries.size() - 1; ++i) {
            QAction* from = global->actions().at(i);
            QAction* to = entries.at(i);
            connect(from, &QAction::changed, to, [from, to] { to->setText(from->text()); });
        }
    }
    acKeepNews5d->setChecked(true);
    acShowNews1d->setChecked(true);

    acShowNewsOnce = NewOption(this, "acShowNewsOnce", QStringLiteral("Show News 1x"));
    acShowNewsOnce->setChecked(true);
    connect(acShowNewsOnce, &QAction::triggered, this, &TNewsFeeder::ShowNewsOnceExecute);
    acConnectionInterval = NewAction(this, "acConnectionInterval", QStringLiteral("Connect to internet for all %d s"));
    ConnectionIntervalCaption = acConnectionInterval->text();
    SetConnectionIntervalCaption();
    connect(acConnectionInterval, &QAction::triggered, this, &TNewsFeeder::ConnectionIntervalExecute);
    acShowDescription = NewOption(this, "acShowDescription", QStringLiteral("Show Description on the Desktop"));
    connect(acShowDescription, &QAction::triggered, this, &TNewsFeeder::ShowDescriptionExecute);

    // The global submenus of the Options menu: no command of their own.
    mnKeepNewsfor = NewMenu(this, "mnKeepNewsfor", QStringLiteral("Keep News for ..."));
    acKeepNews = mnKeepNewsfor->menuAction();
    acKeepNews->setObjectName(QStringLiteral("acKeepNews"));
    mnShowNewsbefore = NewMenu(this, "mnShowNewsbefore", QStringLiteral("Show News before ..."));
    acShowNews = mnShowNewsbefore->menuAction();
    acShowNews->setObjectName(QStringLiteral("acShowNews"));
}

QTreeWidgetItem* TNewsFeeder::OptionsFeed() const
{
    QTreeWidgetItem* node = OptionsNode.In(tvTree);
    const TTreeItem* item = ItemOf(node);
    return item && item->IsKind(kFeed) ? node : nullptr;
}

void TNewsFeeder::SetOptionsFeed(QTreeWidgetItem* node)
{
    const TTreeItem* item = ItemOf(node);
    if (item && item->IsKind(kFeed) && node->treeWidget() == tvTree)
        OptionsNode = node;
    else
        OptionsNode.Reset();
    MarkFeedOptions();
}

void TNewsFeeder::MarkFeedOptions()
{
    const TTreeItem* item = ItemOf(OptionsFeed());
    if (!item || !FeedKeepNewsGroup)
        return;
    MarkAgeOption(FeedKeepNewsGroup, TAgeOption::Keep, item->GetOptionInt(kOptStorageDays, NewsStorageDuration));
    MarkAgeOption(FeedShowNewsGroup, TAgeOption::Show,
                  item->GetOptionInt(kOptShowNewsFor, ticker ? ticker->ShowNewsFor : kDefaultShowNewsFor));
}

void TNewsFeeder::SetOptionsFeedOption(const QString& name, int value)
{
    QTreeWidgetItem* node = OptionsFeed();
    TTreeItem* item = ItemOf(node);
    if (item) {
        item->SetOption(name, QString::number(value));
        MarkFeedOptions();
        // The new value is applied by the merge at once.
        LoadFeedURL(item->Link, node);
    }
}

void TNewsFeeder::KeepNewsExecute(QObject* sender)
{
    QAction* action = EntryOf(sender, KeepNewsGroup);
    if (!action)
        return;
    NewsStorageDuration = KeepNewsDays(action->data().toInt());
    SaveSettings();
    ApplyAgeOptionMarks();
}

void TNewsFeeder::ShowNewsExecute(QObject* sender)
{
    QAction* action = EntryOf(sender, ShowNewsGroup);
    if (!action)
        return;
    const int hours = action->data().toInt();
    if (!ticker) {
        action->setChecked(true); // no ticker filter to set
        return;
    }
    ticker->ShowNewsFor = hours;
    ticker->SaveTickerSettings();
    ApplyAgeOptionMarks();
    Timer1->stop();
    ticker->RebuildQueue(tvTree);
    RestartUpdateTimer();
}

void TNewsFeeder::FeedKeepNewsExecute(QObject* sender)
{
    if (QAction* action = EntryOf(sender, FeedKeepNewsGroup))
        SetOptionsFeedOption(kOptStorageDays, KeepNewsDays(action->data().toInt()));
    else
        MarkFeedOptions(); // the mark goes back to the value in force
}

void TNewsFeeder::FeedShowNewsExecute(QObject* sender)
{
    if (QAction* action = EntryOf(sender, FeedShowNewsGroup))
        SetOptionsFeedOption(kOptShowNewsFor, action->data().toInt());
    else
        MarkFeedOptions();
}

void TNewsFeeder::ShowNewsOnceExecute()
{
    if (!ticker)
        return; // only the action's own mark toggles: there is no ticker filter
    ticker->ShowNewsOnce = !ticker->ShowNewsOnce;
    acShowNewsOnce->setChecked(ticker->ShowNewsOnce);
    ticker->SaveTickerSettings();
    // Restarted even while the ticker is paused.
    ticker->Timer1->stop();
    ticker->RebuildQueue(tvTree);
    ticker->Timer1->start();
}

void TNewsFeeder::ConnectionIntervalExecute()
{
    QString text = QString::number(ShownIntervalSeconds(NewsInterval));
    if (ticker)
        ticker->AutoShow = false;
    const QString caption = ticker ? ticker->SUpdateInterval : kUpdateInterval;
    const QString prompt = ticker ? ticker->SUpdateIntervalInput : kUpdateIntervalInput;
    if (Dialogs().InputQuery(caption, prompt, text)) {
        qint64 entered = 0;
        if (!ReadIntervalSeconds(text, entered)) {
            Dialogs().ShowError(FormatText(OrganiserTexts.SIntervalRefused, QString::number(kMaxIntervalSeconds)));
        } else {
            Timer1->stop();
            NewsInterval = static_cast<int>(entered * 1000);
            // Before the tree is built the start-up tick keeps its own wait;
            // it takes NewsInterval itself.
            if (TreeLoaded)
                Timer1->setInterval(NewsInterval);
            SaveSettings();
            RestartUpdateTimer();
            SetConnectionIntervalCaption();
        }
    }
    if (ticker)
        ticker->AutoShow = true;
}

void TNewsFeeder::ShowDescriptionExecute()
{
    QTreeWidgetItem* node = OptionsFeed();
    if (!node)
        node = SelectedNode(ActiveTreeView());
    TTreeItem* item = ItemOf(node);
    if (!item) {
        acShowDescription->setChecked(!acShowDescription->isChecked()); // choosing it toggled the mark
        return;
    }
    // Choosing the entry has already inverted its mark.
    const QString value = acShowDescription->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    item->SetOption(kOptShowDescription, value);
    if (!item->IsKind(kFeed))
        return;
    // The feed's items: those of its tvTree node when there is one.
    QTreeWidgetItem* parent = TreeNodeOf(node);
    if (!parent)
        parent = node;
    RealizeChildren(parent);
    for (int i = 0, n = parent->childCount(); i < n; ++i)
        if (TTreeItem* child = ItemOf(parent->child(i)))
            child->SetOption(kOptShowDescription, value);
}

void TNewsFeeder::SetConnectionIntervalCaption()
{
    if (acConnectionInterval)
        acConnectionInterval->setText(FormatNumber(ConnectionIntervalCaption, ShownIntervalSeconds(NewsInterval)));
}

void TNewsFeeder::ApplyAgeOptionMarks()
{
    SetConnectionIntervalCaption();
    if (!KeepNewsGroup)
        return;
    MarkAgeOption(KeepNewsGroup, TAgeOption::Keep, NewsStorageDuration);
    if (ticker) {
        acShowNewsOnce->setChecked(ticker->ShowNewsOnce);
        MarkAgeOption(ShowNewsGroup, TAgeOption::Show, ticker->ShowNewsFor);
    }
    // The feed's defaults are the global values.
    MarkFeedOptions();
}
