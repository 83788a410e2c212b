// News age options: how long news stays in the tree, how old it may be to be
// shown by the ticker, whether old news is shown only once, whether the ticker
// shows a feed's descriptions, and how often feeds are fetched.
//
// Rules kept here:
//  - Keep and show act on the selected feed of the active view while the
//    organiser shows (its option "NSD" or "SNF", then a fetch of the feed for
//    its tvTree node); otherwise on the global value. The feed road leaves
//    every check mark where it was.
//  - The keep and show handlers act only for an action as sender.
//  - Show once and the interval are always global; show description needs a
//    selected node and marks it (a feed with its direct children).
//  - An interval of 0 means no update ticks after start-up; a negative one or
//    one whose milliseconds pass 2147483000 is refused and the old one kept.
//  - The ticker may be absent: then only the organiser's own state changes.
#include "organiser/NewsFeeders.h"

#include "organiser/InterfaceTexts.h"
#include "organiser/TreeDragDrop.h"

#include "app/NewsGlobals.h"
#include "model/Intervals.h"
#include "model/PendingChildren.h"
#include "platform/Dialogs.h"
#include "text/TextTools.h"
#include "ticker/RssViews.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>

namespace {
// The ticker's wording, for an organiser running without one.
const QString kUpdateInterval = QStringLiteral("Update Interval");
const QString kUpdateIntervalInput = QStringLiteral("Please Enter Interval[sec]");

// Remembers the last two check marks of a radio group, so that a choice that
// must not move the mark (a feed's own option) can put it back.
class TMarkMemory final : public QObject {
public:
    explicit TMarkMemory(QActionGroup* group) : QObject(group) {}
    void Toggled(QAction* action, bool on)
    {
        if (!on || action == current)
            return;
        previous = current;
        current = action;
    }
    // Puts the mark back where it was before action took it.
    void Restore(QAction* action)
    {
        if (current == action && previous)
            previous->setChecked(true);
    }

private:
    QPointer<QAction> current;
    QPointer<QAction> previous;
};

TMarkMemory* MarksOf(QAction* action)
{
    QActionGroup* group = action ? action->actionGroup() : nullptr;
    return group ? group->findChild<TMarkMemory*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

QAction* NewOption(QObject* owner, const char* name, const char* caption, bool checkable)
{
    auto* action = new QAction(QString::fromLatin1(caption), owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(checkable);
    return action;
}



} // namespace

void TNewsFeeder::CreateAgeOptionActions()
{
    struct Entry {
        QAction** action;
        const char* name;
        const char* caption;
        int tag;
    };
    const Entry keep[] = {
        {&acKeepNewsNever, "acKeepNewsNever", "Never", 5}, {&acKeepNews1d, "acKeepNews1d", "1 day", 0},
        {&acKeepNews5d, "acKeepNews5d", "1 week", 1},      {&acKeepNews1m, "acKeepNews1m", "1 month", 2},
        {&acKeepNews6m, "acKeepNews6m", "6 month", 3},     {&acKeepNewsAlw, "acKeepNewsAlw", "Ever", 4},
    };
    const Entry show[] = {
        {&acShowNewsNever, "acShowNewsNever", "Never", -1}, {&acShowNews3h, "acShowNews3h", "< 3 h", 3},
        {&acShowNews6h, "acShowNews6h", "< 6 h", 6},        {&acShowNews1d, "acShowNews1d", "< 1 day", 24},
        {&acShowNews3d, "acShowNews3d", "< 3 days", 72},    {&acShowAllNews, "acShowAllNews", "Always", 0},
    };
    auto makeGroup = [this](const Entry* entries, size_t count, const char* name,
                            void (TNewsFeeder::*handler)(QObject*)) {
        auto* group = new QActionGroup(this);
        group->setObjectName(QString::fromLatin1(name));
        group->setExclusive(true);
        auto* marks = new TMarkMemory(group);
        for (size_t i = 0; i < count; ++i) {
            QAction* action = NewOption(this, entries[i].name, entries[i].caption, true);
            action->setData(entries[i].tag);
            group->addAction(action);
            connect(action, &QAction::toggled, marks, [marks, action](bool on) { marks->Toggled(action, on); });
            connect(action, &QAction::triggered, this, [this, action, handler] { (this->*handler)(action); });
            *entries[i].action = action;
        }
    };
    makeGroup(keep, std::size(keep), "KeepNews", &TNewsFeeder::KeepNewsExecute);
    makeGroup(show, std::size(show), "ShowNews", &TNewsFeeder::ShowNewsExecute);
    acKeepNews5d->setChecked(true);
    acShowNews1d->setChecked(true);

    acShowNewsOnce = NewOption(this, "acShowNewsOnce", "Show News 1x", true);
    acShowNewsOnce->setChecked(true);
    connect(acShowNewsOnce, &QAction::triggered, this, &TNewsFeeder::ShowNewsOnceExecute);
    acConnectionInterval = NewOption(this, "acConnectionInterval", "Connect to internet for all %d s", false);
    ConnectionIntervalCaption = acConnectionInterval->text();
    SetConnectionIntervalCaption();
    connect(acConnectionInterval, &QAction::triggered, this, &TNewsFeeder::ConnectionIntervalExecute);
    acShowDescription = NewOption(this, "acShowDescription", "Show Description on the Desktop", true);
    connect(acShowDescription, &QAction::triggered, this, &TNewsFeeder::ShowDescriptionExecute);

    // The main menu's submenu heads: no command of their own.
    mnKeepNewsfor = new QMenu(QStringLiteral("Keep News for ..."), this);
    mnKeepNewsfor->setObjectName(QStringLiteral("mnKeepNewsfor"));
    acKeepNews = mnKeepNewsfor->menuAction();
    acKeepNews->setObjectName(QStringLiteral("acKeepNews"));
    mnShowNewsbefore = new QMenu(QStringLiteral("Show News before ..."), this);
    mnShowNewsbefore->setObjectName(QStringLiteral("mnShowNewsbefore"));
    acShowNews = mnShowNewsbefore->menuAction();
    acShowNews->setObjectName(QStringLiteral("acShowNews"));
}

int TNewsFeeder::KeepNewsDays(int tag)
{
    switch (tag) {
    case 0: return 1;
    case 1: return 5; // "1 week" keeps five days
    case 2: return 30;
    case 3: return 180;
    case 4: return 0;
    case 5: return -1;
    default: return 5;
    }
}

bool TNewsFeeder::SetSelectedFeedOption(const QString& name, int value)
{
    if (!IsShowing() || !NewsData)
        return false;
    QTreeWidgetItem* node = SelectedNode(ActiveTreeView());
    TTreeItem* item = NewsData->NodeItem(node);
    if (!item || !item->IsKind(kFeed))
        return false;
    item->SetOption(name, QString::number(value));
    // The merge works on tvTree: a node of another view is fetched for the
    // tvTree node of the same item, or for none.
    LoadFeedURL(item->Link, TreeNodeOf(node));
    return true;
}

void TNewsFeeder::KeepNewsExecute(QObject* sender)
{
    auto* action = qobject_cast<QAction*>(sender);
    if (!action)
        return;
    const int days = KeepNewsDays(action->data().toInt());
    if (SetSelectedFeedOption(kOptStorageDays, days)) {
        if (TMarkMemory* marks = MarksOf(action))
            marks->Restore(action);
        return;
    }
    NewsStorageDuration = days;
    SaveSettings();
    action->setChecked(true);
}

void TNewsFeeder::ShowNewsExecute(QObject* sender)
{
    auto* action = qobject_cast<QAction*>(sender);
    if (!action)
        return;
    const int hours = action->data().toInt();
    if (SetSelectedFeedOption(kOptShowNewsFor, hours)) {
        if (TMarkMemory* marks = MarksOf(action))
            marks->Restore(action);
        return;
    }
    action->setChecked(true);
    if (!ticker)
        return;
    ticker->ShowNewsFor = hours;
    ticker->SaveTickerSettings();
    Timer1->stop();
    ticker->RebuildQueue(tvTree);
    RestartUpdateTimer();
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
    const qint64 oldSeconds = NewsInterval / 1000;
    QString text = QString::number(oldSeconds);
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
    QTreeWidgetItem* node = SelectedNode(ActiveTreeView());
    TTreeItem* item = NewsData ? NewsData->NodeItem(node) : nullptr;
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
        if (TTreeItem* child = NewsData->NodeItem(parent->child(i)))
            child->SetOption(kOptShowDescription, value);
}

void TNewsFeeder::SetConnectionIntervalCaption()
{
    if (acConnectionInterval)
        acConnectionInterval->setText(FormatNumber(ConnectionIntervalCaption, NewsInterval / 1000));
}

void TNewsFeeder::ApplyAgeOptionMarks()
{
    SetConnectionIntervalCaption();
    if (acKeepNews5d) {
        QAction* keep = KeepActionFor(NewsStorageDuration);
        (keep ? keep : acKeepNews5d)->setChecked(true);
    }
    if (!ticker || !acShowNews1d)
        return;
    acShowNewsOnce->setChecked(ticker->ShowNewsOnce);
    ShowActionFor(ticker->ShowNewsFor)->setChecked(true);
}

QAction* TNewsFeeder::KeepActionFor(int days) const
{
    switch (days) {
    case 0: return acKeepNewsAlw;
    case 1: return acKeepNews1d;
    case 7: return acKeepNews5d;
    case 30: return acKeepNews1m;
    case 180: return acKeepNews6m;
    default: return nullptr; // -1 and 5 have no entry of their own
    }
}

QAction* TNewsFeeder::ShowActionFor(int hours) const
{
    switch (hours) {
    case 0: return acShowAllNews;
    case 3: return acShowNews3h;
    case 6: return acShowNews6h;
    case 72: return acShowNews3d;
    default: return acShowNews1d; // 24, -1 and the rest
    }
}
