// The ticker's popup menus, their shortcuts, the tray handler and the menu
// commands: the interval, the description toggle and closing.
#include "TickerFixture.h"

#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "ticker/DescriptionWindow.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <optional>

// What QtTest's keyClick uses to hand a key press to the shortcut map.
bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                  const QString& text, bool autorep, ushort count);

namespace {
// Answers the input box from a script (none: cancelled) and records what it offered.
struct ScriptedInput final : IDialogs {
    ScriptedInput() { SetDialogs(this); }
    ~ScriptedInput() override { SetDialogs(nullptr); }
    void ShowMessage(const QString& text) override { asked << text; }
    bool AskYesNo(const QString&) override { return false; }
    bool AskOkCancel(const QString&) override { return false; }
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override
    {
        asked << caption + " / " + prompt + " / " + value;
        value = answer.value_or(value);
        return answer.has_value();
    }
    QString GetOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString GetSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    void ShowNote(const QString&, const QString&) override {}
    std::optional<QString> answer;
    QStringList asked;
};

QString ReadSettings()
{
    QFile f(SettingsFileName());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// A menu as one line: entries by object name, separators as |name, submenus
// as name{...}; "!" marks a separator first, last or doubled, "{}" an empty submenu.
QString Describe(const QMenu* menu)
{
    QStringList parts;
    const QList<QAction*> entries = menu->actions();
    for (int i = 0; i < entries.size(); ++i) {
        const QAction* a = entries[i];
        if (a->isSeparator())
            parts << ((i == 0 || i == entries.size() - 1 || entries[i - 1]->isSeparator()) ? "!" : "|")
                         + a->objectName();
        else
            parts << (a->menu() ? a->menu()->objectName() + "{" + Describe(a->menu()) + "}" : a->objectName());
    }
    return parts.join(' ');
}

class TickerMenusTest : public TickerFixture {
protected:
    // A ticker whose organiser offers the actions named, and no others.
    void CreateWith(const QStringList& names)
    {
        view.reset();
        qDeleteAll(host.Actions);
        host.Actions.clear();
        for (const QString& name : names) {
            host.Actions.insert(name, new QAction(name));
            host.Actions[name]->setObjectName(name);
        }
        CreateTicker();
    }
    void TearDown() override
    {
        view.reset();
        qDeleteAll(host.Actions);
    }
};

TEST_F(TickerMenusTest, PopupHoldsTheEntriesThatExistInOrder)
{
    const QStringList before = {"acShowNewsNever", "acShowNews3h", "acShowNews6h", "acShowNews1d", "acShowNews3d", "acShowAllNews"};
    const QStringList keep = {"acKeepNewsNever", "acKeepNews1d", "acKeepNews5d", "acKeepNews1m", "acKeepNews6m", "acKeepNewsAlw"};
    const QString head = "mnShowNews OpenRSSLink1 |N6 mnShowDescription ";
    const QString tail = " |N3 PrevRss1 NextRss1 Pause1 |N2 CloseAll1";
    const QString options = "Options1{ShowNewsbefore1{" + before.join(' ') + "} KeepNewsfor1{" + keep.join(' ') + "}}";
    struct {
        QStringList shared;
        QString expected;
    } cases[] = {
        {before + keep + QStringList{"acShowNewsOnce", "acConnectionInterval", "acLoad", "acSaveAs", "acOpenLink", "acPaste"},
         head + "acShowNewsOnce Interval1 acConnectionInterval |N7 " + options
             + " |N1 FileImportExport1{acLoad acSaveAs} |N5 acOpenLink acPaste" + tail},
        {before + keep + QStringList{"acShowNewsOnce", "acOpenLink", "acPaste"},
         head + "acShowNewsOnce Interval1 |N7 " + options + " |N1 acOpenLink acPaste" + tail},
        {{"acShowNews3h", "acPaste", "acSaveAs"},
         head + "Interval1 |N7 Options1{ShowNewsbefore1{acShowNews3h}} |N1 FileImportExport1{acSaveAs} |N5 acPaste" + tail},
        {{}, head + "Interval1 |N7 PrevRss1 NextRss1 Pause1 |N2 CloseAll1"},
    };
    for (const auto& c : cases) {
        CreateWith(c.shared);
        EXPECT_EQ(Describe(view->PopupMenu1), c.expected);
        EXPECT_EQ(Describe(view->pmIcon), "ShowAllNews1 |N4 Exit1");
        QList<QAction*> all;
        for (const QMenu* menu : view->findChildren<QMenu*>())
            all << (menu == view->pmIcon ? QList<QAction*>() : menu->actions());
        for (QAction* action : host.Actions) // the organiser's own objects, each once
            EXPECT_EQ(all.count(action), 1) << action->objectName().toStdString();
    }
    EXPECT_EQ(view->Options1, nullptr);

    // Without an organiser the strip's own entries are all there.
    view = std::make_unique<TRSSView>();
    EXPECT_EQ(Describe(view->PopupMenu1), cases[3].expected);
    CreateWith({"acLoad"});
    EXPECT_EQ(view->FileImportExport1->title(), "File Import && Export"); // shown with one ampersand
}

TEST_F(TickerMenusTest, IntervalCommand)
{
    struct {
        int start;                     // RSSInterval before
        std::optional<QString> answer; // none: cancelled
        int expected;
        const char* shown; // the seconds offered and then in the caption
        bool written;
    } cases[] = {
        {4000, "7", 7000, "4 7", true},           {4000, "0", 0, "4 0", true},
        {4000, " 12 ", 12000, "4 12", true},      {4000, "2147483", 2147483000, "4 2147483", true},
        {4000, "2147484", 4000, "4 4", false},    {4000, "99999999999", 4000, "4 4", false},
        {4000, "-5", 4000, "4 4", false},         {4000, "abc", 4000, "4 4", false},
        {4000, "", 4000, "4 4", false},           {4000, "4", 4000, "4 4", false},
        {7999, std::nullopt, 7999, "7 7", false}, {-5000, "abc", -5000, "0 0", false},
        {-5000, "0", 0, "0 0", true},
    };
    for (const auto& c : cases) {
        const std::string what = std::to_string(c.start) + " <- " + c.answer.value_or("(cancel)").toStdString();
        QFile::remove(SettingsFileName());
        CreateTicker();
        view->RSSInterval = c.start;
        view->SIntervalCaption = "Every %d s"; // the command's template, not the one of creation
        Play({"a", "b", "c"});
        view->Paused = false;
        view->Timer1->stop();
        ScriptedInput dialogs;
        dialogs.answer = c.answer;
        view->IntervalCommand();

        const QStringList shown = QString(c.shown).split(' ');
        QStringList asked{"News Interval / Please Enter Interval [sec] / " + shown[0]};
        // What is no whole number in range is refused with the range.
        if (c.answer && !c.written && *c.answer != QString::number(c.start / 1000))
            asked << "The interval must be between 0 and 2147483 seconds.";
        EXPECT_EQ(dialogs.asked, asked) << what;
        EXPECT_EQ(view->RSSInterval, c.expected) << what;
        EXPECT_EQ(view->Interval1->text(), "Every " + shown[1] + " s") << what;
        EXPECT_EQ(Shown(), "b") << what;
        EXPECT_TRUE(view->Timer1->isActive()) << what;
        EXPECT_EQ(ReadSettings().contains(QString("RSSInterval=%1\r\n").arg(c.expected)), c.written) << what;
    }

    // Paused, the cycle stays stopped on the headline shown; with nothing
    // queued it stays stopped too.
    ScriptedInput cancelled;
    view->Paused = true;
    view->IntervalCommand();
    EXPECT_FALSE(view->Timer1->isActive());
    EXPECT_EQ(Shown(), "b");
    view->Paused = false;
    Play({});
    view->IntervalCommand();
    EXPECT_FALSE(view->Timer1->isActive());

    // At creation the caption comes from the settings, a negative interval as 0.
    QFile::remove(SettingsFileName());
    CreateTicker();
    EXPECT_EQ(view->Interval1->text(), "Show News for 4 s");
    view->RSSInterval = -5000;
    view->SaveTickerSettings();
    CreateTicker();
    EXPECT_EQ(view->Interval1->text(), "Show News for 0 s");
}

TEST_F(TickerMenusTest, DescriptionToggle)
{
    auto item = Item("Headline", "http://example.org/a", "What happened");
    EXPECT_TRUE(view->mnShowDescription->isChecked());
    for (bool on : {false, true, false, true}) {
        view->ShowItem(*item); // as the last item change left it
        QFile::remove(SettingsFileName());
        view->mnShowDescription->trigger();
        EXPECT_EQ(view->ShowDescription, on);
        EXPECT_EQ(view->mnShowDescription->isChecked(), on);
        EXPECT_TRUE(ReadSettings().contains(QString("ShowDescription=%1\r\n").arg(on ? 1 : 0))) << on;
        Tick(); // the fading ticks keep a window just switched on
        Tick();
        EXPECT_EQ(view->DescriptionWindow->isVisible(), on);
    }
}

TEST_F(TickerMenusTest, PauseMarkFollowsPausedAtEveryTick)
{
    // The scheduler and start-up change Paused too: the real tick brings the mark along.
    for (bool paused : {true, false}) {
        view->Paused = paused;
        view->Pause1->setChecked(!paused);
        view->Timer1->start();
        QEventLoop loop;
        QObject::connect(view->Timer1, &QTimer::timeout, &loop, &QEventLoop::quit);
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        loop.exec();
        EXPECT_EQ(view->Pause1->isChecked(), paused);
    }
    view->Pause1->trigger();
    EXPECT_TRUE(view->Paused && view->Pause1->isChecked() && !view->Timer1->isActive());
}

TEST_F(TickerMenusTest, CommandsReachTheOrganiser)
{
    view->mnShowNews->trigger();
    view->ShowAllNews1->trigger(); // the tray's entry only shows
    EXPECT_EQ(host.ShowAllNewsRequests, 1);
    view->CloseAll1->trigger();
    view->Exit1->trigger();
    EXPECT_EQ(host.EndRequests, 2);
    EXPECT_TRUE(view->isVisible()) << "ending is the organiser's";

    const bool toggles[] = {false, true, false}; // left clicks toggle; other clicks do nothing
    for (bool showing : toggles) {
        view->TrayActivated(QSystemTrayIcon::Trigger);
        for (auto other : {QSystemTrayIcon::Context, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::MiddleClick})
            view->TrayActivated(other);
        EXPECT_EQ(host.Showing, showing);
    }
    if (view->TrayIcon) {
        EXPECT_EQ(view->TrayIcon->toolTip(), "Vom News");
        EXPECT_EQ(view->TrayIcon->contextMenu(), view->pmIcon);
    }
    EXPECT_EQ(view->TrayIcon != nullptr, QSystemTrayIcon::isSystemTrayAvailable());

    // With the organiser gone its entries cannot be chosen, and closing closes the strip.
    view->SetHost(nullptr);
    emit view->PopupMenu1->aboutToShow();
    EXPECT_FALSE(view->mnShowNews->isEnabled() || view->ShowAllNews1->isEnabled());
    view->CloseAll1->trigger();
    EXPECT_FALSE(view->isVisible());
}

TEST_F(TickerMenusTest, RightClickOrMenuKeyOpensThePopup)
{
    for (QWidget* part : {static_cast<QWidget*>(view->lbRss), static_cast<QWidget*>(view->Image1),
                          static_cast<QWidget*>(view.get())}) {
        for (auto reason : {QContextMenuEvent::Mouse, QContextMenuEvent::Keyboard}) {
            view->DragAnchor = QPoint(3, 4); // as the right press left it
            QContextMenuEvent event(reason, QPoint(2, 2), part->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(part, &event);
            EXPECT_TRUE(view->PopupMenu1->isVisible()) << part->objectName().toStdString();
            EXPECT_EQ(view->DragAnchor, QPoint(-1, -1)) << "the release goes to the menu: no drag is left";
            view->PopupMenu1->hide();
        }
    }
}

TEST_F(TickerMenusTest, ShortcutsWorkOnTheStripEachOnce)
{
    CreateWith({"acPaste", "acConnectionInterval"});
    host.Actions["acPaste"]->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    host.Actions["acConnectionInterval"]->setShortcut(QKeySequence(Qt::Key_Up)); // must not take the strip's key
    CreateTicker();
    QStringList triggered;
    for (QAction* action : host.Actions)
        QObject::connect(action, &QAction::triggered, [&triggered, action] { triggered << action->objectName(); });
    Play({"a", "b", "c"});
    view->activateWindow();
    QElapsedTimer wait;
    wait.start();
    while (QApplication::activeWindow() != view.get() && wait.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);

    struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* shown;
    } keys[] = {{Qt::Key_Down, {}, "b"}, {Qt::Key_Down, {}, "c"}, {Qt::Key_Up, {}, "b"},
                {Qt::Key_Return, {}, "b"}, {Qt::Key_Insert, Qt::ShiftModifier, "b"}};
    for (const auto& k : keys) {
        view->CurrentItem.Link = "http://example.org/" + Shown();
        EXPECT_TRUE(qt_sendShortcutOverrideEvent(view.get(), 0, k.key, k.modifiers, {}, false, 1)) << k.key;
        EXPECT_EQ(Shown(), k.shown) << k.key;
    }
    EXPECT_EQ(host.Opened, QStringList{"http://example.org/b"});
    EXPECT_EQ(triggered, QStringList{"acPaste"});
}
} // namespace
