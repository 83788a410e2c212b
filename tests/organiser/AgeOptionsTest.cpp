// News age options: keep, show, show once, interval, show description, the
// check marks a click and the settings set, and where the menus carry them.
#include "organiser/OrganiserFixture.h"

#include "organiser/AgeOptionGroups.h"
#include "organiser/InterfaceTexts.h"
#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"
#include "ticker/RssViews.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>

namespace {
// What a group's check mark shows: the entry's name, or the extra entry's caption.
QString Shown(QActionGroup* group)
{
    QAction* checked = group->checkedAction();
    if (!checked)
        return "<none>";
    return checked->data().isValid() ? checked->objectName() : "extra:" + checked->text();
}

class AgeOptionsTest : public OrganiserFixture {
protected:
    // A feed with items, selected on the Tree tab of a showing organiser.
    QTreeWidgetItem* SelectedFeed(const QString& title, const QString& link, int items = 0)
    {
        QTreeWidgetItem* feed = AddNode(nullptr, "RSH", title, link);
        for (int i = 1; i <= items; ++i)
            AddNode(feed, "RSS", QStringLiteral("item %1").arg(i), link + QString::number(i));
        organiser->PageControl1->setCurrentIndex(5);
        organiser->tvTree->setCurrentItem(feed);
        organiser->show();
        return feed;
    }

    QAction* Checked(QAction* member) { return member->actionGroup()->checkedAction(); }

    // An entry of 'Options "X"' by the name of its global twin, without "ac".
    QAction* Feed(const QString& name) { return organiser->findChild<QAction*>("acFeed" + name); }

    int StoredInt(const QString& section, const QString& key)
    {
        return TIniFile(SettingsFileName()).ReadInteger(section, key, -12345);
    }
};

TEST(TextBeforeParenTest, CutsAtTheFirstParen)
{
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"Feed (12)", "Feed "}, {"Feed(3 of 40)", "Feed"}, {"No count", "No count"},
        {"(lead) x", ""},       {"a(b)(c)", "a"},          {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextBeforeParen(c.text), QString(c.expected)) << c.text;
}

TEST(KeepNewsDaysTest, TagToDays)
{
    const struct {
        int tag, days;
    } cases[] = {{5, -1}, {0, 1}, {1, 5}, {2, 30}, {3, 180}, {4, 0}, {6, 5}, {-1, 5}};
    for (const auto& c : cases)
        EXPECT_EQ(KeepNewsDays(c.tag), c.days) << c.tag;
}

// Which entry a value in force checks: the entry standing for exactly that
// value, else the extra entry naming the value.
TEST(AgeOptionGroupsTest, ValueToEntry)
{
    QObject owner;
    QActionGroup* keep = NewAgeOptionGroup(&owner, TAgeOption::Keep, "KeepNews", "ac");
    QActionGroup* show = NewAgeOptionGroup(&owner, TAgeOption::Show, "ShowNews", "ac");
    const struct {
        TAgeOption kind;
        int value;
        const char* shown;
    } cases[] = {
        {TAgeOption::Keep, -1, "acKeepNewsNever"}, {TAgeOption::Keep, 1, "acKeepNews1d"},
        {TAgeOption::Keep, 5, "acKeepNews5d"},     {TAgeOption::Keep, 30, "acKeepNews1m"},
        {TAgeOption::Keep, 180, "acKeepNews6m"},   {TAgeOption::Keep, 0, "acKeepNewsAlw"},
        {TAgeOption::Keep, 7, "extra:7 days"},     {TAgeOption::Keep, 12, "extra:12 days"},
        {TAgeOption::Keep, 365, "extra:365 days"}, {TAgeOption::Keep, 1, "acKeepNews1d"}, // the extra goes again
        {TAgeOption::Show, -1, "acShowNewsNever"}, {TAgeOption::Show, 3, "acShowNews3h"},
        {TAgeOption::Show, 6, "acShowNews6h"},     {TAgeOption::Show, 24, "acShowNews1d"},
        {TAgeOption::Show, 72, "acShowNews3d"},    {TAgeOption::Show, 0, "acShowAllNews"},
        {TAgeOption::Show, 12, "extra:< 12 h"},    {TAgeOption::Show, 48, "extra:< 48 h"},
        {TAgeOption::Show, 6, "acShowNews6h"},
    };
    for (const auto& c : cases) {
        QActionGroup* group = c.kind == TAgeOption::Keep ? keep : show;
        MarkAgeOption(group, c.kind, c.value);
        EXPECT_EQ(Shown(group), c.shown) << c.value;
        // The extra entry is there exactly while it carries the mark.
        QAction* extra = ExtraAgeOptionEntry(group);
        EXPECT_EQ(extra->isVisible(), extra->isChecked()) << c.value;
        EXPECT_EQ(group->checkedAction() == extra, QString(c.shown).startsWith("extra:")) << c.value;
    }
    EXPECT_EQ(keep->actions().size(), 7);
    EXPECT_EQ(ExtraAgeOptionEntry(keep)->objectName(), "acKeepNewsOther");
    EXPECT_EQ(ExtraAgeOptionEntry(show)->objectName(), "acShowNewsOther");
}

TEST_F(AgeOptionsTest, GlobalKeepStoresTheDefaultAndMovesTheMark)
{
    CreateOrganiser();
    EXPECT_EQ(Checked(organiser->acKeepNews5d), organiser->acKeepNews5d);
    const struct {
        QAction* TNewsFeeder::*action;
        int stored;
    } cases[] = {
        {&TNewsFeeder::acKeepNewsNever, -1}, {&TNewsFeeder::acKeepNews1d, 1}, {&TNewsFeeder::acKeepNews1m, 30},
        {&TNewsFeeder::acKeepNews6m, 180},   {&TNewsFeeder::acKeepNewsAlw, 0}, {&TNewsFeeder::acKeepNews5d, 5},
    };
    for (const auto& c : cases) {
        QAction* action = organiser.get()->*c.action;
        action->trigger(); // the organiser is hidden: the global value
        EXPECT_EQ(organiser->NewsStorageDuration, c.stored) << action->objectName().toStdString();
        EXPECT_EQ(StoredInt("NewsFeeder", "NewsStorageDuration"), c.stored);
        EXPECT_TRUE(action->isChecked());
    }
    // A plain sender is not a command.
    organiser->KeepNewsExecute(organiser.get());
    EXPECT_EQ(organiser->NewsStorageDuration, 5);
}

TEST_F(AgeOptionsTest, KeepAfterRestartChecksTheEntryOfTheStoredValue)
{
    const struct {
        int stored;
        const char* shown;
    } cases[] = {
        {0, "acKeepNewsAlw"}, {1, "acKeepNews1d"},   {7, "extra:7 days"}, {30, "acKeepNews1m"},
        {180, "acKeepNews6m"}, {5, "acKeepNews5d"}, {-1, "acKeepNewsNever"}, {12, "extra:12 days"},
    };
    for (const auto& c : cases) {
        TIniFile(SettingsFileName()).WriteInteger("NewsFeeder", "NewsStorageDuration", c.stored);
        CreateOrganiser();
        EXPECT_EQ(organiser->NewsStorageDuration, c.stored);
        EXPECT_EQ(Shown(organiser->KeepNewsGroup), c.shown) << c.stored;
        organiser.reset();
    }
}

TEST_F(AgeOptionsTest, StartupMarksFollowTheTickerSettings)
{
    const struct {
        int showNewsFor;
        bool once;
        const char* shown;
    } cases[] = {
        {0, true, "acShowAllNews"},   {3, false, "acShowNews3h"},     {6, true, "acShowNews6h"},
        {24, false, "acShowNews1d"},  {72, true, "acShowNews3d"},     {-1, false, "acShowNewsNever"},
        {5, true, "extra:< 5 h"},
    };
    for (const auto& c : cases) {
        TIniFile ini(SettingsFileName());
        ini.WriteInteger("RssViews", "ShowNewsFor", c.showNewsFor);
        ini.WriteInteger("RssViews", "ShowNewsOnce", c.once ? 1 : 0);
        ini.WriteInteger("NewsFeeder", "NewsInterval", 90000);
        CreateWithTicker();
        EXPECT_EQ(Shown(organiser->ShowNewsGroup), c.shown) << c.showNewsFor;
        // The ticker's menu holds the same entries: the same mark.
        ASSERT_NE(ticker->ShowNewsbefore1, nullptr);
        EXPECT_EQ(ticker->ShowNewsbefore1->actions(), organiser->ShowNewsGroup->actions());
        EXPECT_EQ(organiser->acShowNewsOnce->isChecked(), c.once) << c.showNewsFor;
        EXPECT_EQ(organiser->acConnectionInterval->text(), "Connect to internet for all 90 s");
        organiser.reset();
        ticker.reset();
    }
}

TEST_F(AgeOptionsTest, PopupStatePerNodeKind)
{
    CreateOrganiser();
    const struct {
        const char* kind;
        const char* title;
        const char* options;
        bool shown;
        const char* caption;
        bool description;
        const char* keep; // the feed entries' marks; "" for a node that names no feed
        const char* show;
    } cases[] = {
        {"RSH", "News (3 of 40)", "", true, "Options \"News \"", false, "acFeedKeepNews5d", "acFeedShowNews1d"},
        {"RSH", "Feed", "NSD=0\r\nSNF=0\r\nSDR=1", true, "Options \"Feed\"", true, "acFeedKeepNewsAlw",
         "acFeedShowAllNews"},
        {"RSH", "Feed", "NSD=1\r\nSNF=3", true, "Options \"Feed\"", false, "acFeedKeepNews1d", "acFeedShowNews3h"},
        {"RSH", "Feed", "NSD=7\r\nSNF=6", true, "Options \"Feed\"", false, "extra:7 days", "acFeedShowNews6h"},
        {"RSH", "Feed", "NSD=-1\r\nSNF=72", true, "Options \"Feed\"", false, "acFeedKeepNewsNever",
         "acFeedShowNews3d"},
        {"RSH", "Feed", "NSD=180\r\nSNF=-1", true, "Options \"Feed\"", false, "acFeedKeepNews6m",
         "acFeedShowNewsNever"},
        {"RSH", "Feed", "NSD=30\r\nSNF=12", true, "Options \"Feed\"", false, "acFeedKeepNews1m", "extra:< 12 h"},
        {"RSH", "Feed", "NSD=5\r\nSNF=24", true, "Options \"Feed\"", false, "acFeedKeepNews5d", "acFeedShowNews1d"},
        {"RSS", "Item", "SNF=3", false, "Options \"Feed\"", false, "", ""},
        {"FLD", "Folder", "", false, "Options \"Feed\"", false, "", ""},
    };
    for (const auto& c : cases) {
        QTreeWidgetItem* node = AddNode(nullptr, c.kind, c.title);
        Item(node)->Options = QString(c.options).split("\r\n", Qt::SkipEmptyParts);
        organiser->tvTree->setCurrentItem(node); // as the keyboard or a command selects: no click
        const std::string name = std::string(c.kind) + " " + c.options;
        EXPECT_EQ(organiser->mnOptions->menuAction()->isVisible(), c.shown) << name;
        EXPECT_EQ(organiser->mnOptions->title(), QString(c.caption)) << name;
        EXPECT_EQ(organiser->mnOptions1->title(), QString(c.caption)) << name;
        // The main menu's entry is there for a feed only, never left stale.
        EXPECT_EQ(organiser->mnOptions1->menuAction()->isVisible(), c.shown) << name;
        EXPECT_EQ(organiser->OptionsFeed(), c.shown ? node : nullptr) << name;
        if (c.shown) {
            EXPECT_EQ(organiser->acShowDescription->isChecked(), c.description) << name;
            EXPECT_EQ(Shown(organiser->FeedKeepNewsGroup), c.keep) << name;
            EXPECT_EQ(Shown(organiser->FeedShowNewsGroup), c.show) << name;
        }
        // The global marks show the global values throughout.
        EXPECT_EQ(Shown(organiser->KeepNewsGroup), "acKeepNews5d") << name;
        EXPECT_EQ(Shown(organiser->ShowNewsGroup), "acShowNews1d") << name;
    }
}

TEST_F(AgeOptionsTest, FeedDefaultsComeFromTheGlobalValues)
{
    TIniFile ini(SettingsFileName());
    ini.WriteInteger("RssViews", "ShowNewsFor", 6);
    ini.WriteInteger("RssViews", "ShowDescription", 1);
    ini.WriteInteger("NewsFeeder", "NewsStorageDuration", 180);
    CreateWithTicker();
    QTreeWidgetItem* feed = AddNode(nullptr, "RSH", "Feed");
    organiser->tvTree->setCurrentItem(feed);
    organiser->ViewClicked(organiser->tvTree);
    EXPECT_EQ(Shown(organiser->FeedKeepNewsGroup), "acFeedKeepNews6m");
    EXPECT_EQ(Shown(organiser->FeedShowNewsGroup), "acFeedShowNews6h");
    EXPECT_TRUE(organiser->acShowDescription->isChecked()); // the ticker's own setting
    // A new global value is the feed's new default: its marks follow.
    organiser->acKeepNews1m->trigger();
    organiser->acShowNews3h->trigger();
    EXPECT_EQ(Shown(organiser->FeedKeepNewsGroup), "acFeedKeepNews1m");
    EXPECT_EQ(Shown(organiser->FeedShowNewsGroup), "acFeedShowNews3h");
    EXPECT_TRUE(Item(feed)->Options.isEmpty());
}

TEST_F(AgeOptionsTest, KeepAndShowForASelectedFeedSetItsOptionAndFetchIt)
{
    CreateOrganiser();
    downloader.Serve("http://feed.test/rss", SmallFeed("feed", 2));
    const struct {
        const char* entry;
        const char* option;
        const char* value;
    } cases[] = {
        {"KeepNewsNever", "NSD", "-1"}, {"KeepNews6m", "NSD", "180"},
        {"ShowNews6h", "SNF", "6"},     {"ShowNewsNever", "SNF", "-1"},
    };
    QTreeWidgetItem* feed = SelectedFeed("feed", "http://feed.test/rss");
    for (const auto& c : cases) {
        downloader.ClearCalls();
        organiser->tvTree->setCurrentItem(feed);
        QAction* entry = Feed(c.entry);
        ASSERT_NE(entry, nullptr) << c.entry;
        entry->trigger();
        EXPECT_EQ(Item(feed)->GetOption(c.option), QString(c.value)) << c.entry;
        EXPECT_EQ(downloader.Urls(), QStringList{"http://feed.test/rss"}) << c.entry;
        EXPECT_TRUE(entry->isChecked()) << c.entry; // the mark shows the feed's new value
        // The global values and their marks stay.
        EXPECT_EQ(organiser->NewsStorageDuration, 5) << c.entry;
        EXPECT_TRUE(organiser->acKeepNews5d->isChecked()) << c.entry;
        EXPECT_TRUE(organiser->acShowNews1d->isChecked()) << c.entry;
        feed = organiser->tvTree->topLevelItem(0);
    }
    // A sender that is no feed entry is not a command.
    organiser->FeedKeepNewsExecute(organiser->acKeepNews1d);
    EXPECT_EQ(Item(feed)->GetOption("NSD"), "180");
}

TEST_F(AgeOptionsTest, GlobalEntriesChangeTheGlobalValueWhileAFeedIsSelected)
{
    CreateWithTicker();
    QTreeWidgetItem* feed = SelectedFeed("feed", "http://feed.test/rss");
    organiser->acKeepNews1m->trigger();
    organiser->acShowNews6h->trigger();
    EXPECT_EQ(organiser->NewsStorageDuration, 30);
    EXPECT_EQ(ticker->ShowNewsFor, 6);
    EXPECT_TRUE(Item(feed)->Options.isEmpty());
    EXPECT_TRUE(downloader.Urls().isEmpty());
    // The ticker's Options offer the very same entries, marks included.
    ASSERT_NE(ticker->KeepNewsfor1, nullptr);
    EXPECT_EQ(ticker->KeepNewsfor1->actions(), organiser->mnKeepNewsfor->actions());
    EXPECT_EQ(ticker->ShowNewsbefore1->actions(), organiser->mnShowNewsbefore->actions());
    EXPECT_EQ(Shown(organiser->KeepNewsGroup), "acKeepNews1m");
}

TEST_F(AgeOptionsTest, KeepWithANewsItemSelectedChangesTheDefault)
{
    CreateOrganiser();
    QTreeWidgetItem* feed = SelectedFeed("feed", "http://feed.test/rss", 1);
    organiser->tvTree->setCurrentItem(feed->child(0));
    organiser->acKeepNews1m->trigger();
    EXPECT_EQ(organiser->NewsStorageDuration, 30);
    EXPECT_TRUE(organiser->acKeepNews1m->isChecked());
    EXPECT_TRUE(Item(feed->child(0))->GetOption("NSD").isEmpty());
    EXPECT_TRUE(downloader.Urls().isEmpty());
}

TEST_F(AgeOptionsTest, FeedEntriesActOnTheNamedFeedWhileAnotherTabIsShown)
{
    CreateOrganiser();
    downloader.Serve("http://feed.test/rss", SmallFeed("feed", 1));
    QTreeWidgetItem* other = AddNode(nullptr, "RSH", "other", "http://other.test/rss");
    QTreeWidgetItem* feed = SelectedFeed("feed", "http://feed.test/rss");
    ASSERT_EQ(organiser->mnOptions->title(), "Options \"feed\"");
    // The Feeds tab shows another feed selected; the entry still names "feed".
    QTreeWidgetItem* mirror = AddViewNode(organiser->tvTheme, nullptr, "other", NodeDataValue(other));
    organiser->PageControl1->setCurrentIndex(4);
    organiser->tvTheme->setCurrentItem(mirror);
    organiser->ViewClicked(organiser->tvTheme);
    EXPECT_EQ(organiser->mnOptions1->title(), "Options \"feed\"");
    Feed("KeepNews1d")->trigger();
    EXPECT_EQ(Item(feed)->GetOption("NSD"), "1");
    EXPECT_TRUE(Item(other)->GetOption("NSD").isEmpty());
    EXPECT_EQ(downloader.Urls(), QStringList{"http://feed.test/rss"});
    // The merge went into tvTree's node.
    EXPECT_EQ(organiser->tvTree->topLevelItemCount(), 2);
    EXPECT_EQ(Item(organiser->OptionsFeed()), Item(feed));
    EXPECT_EQ(organiser->OptionsFeed()->childCount(), 1);
    // The description entry marks the named feed too.
    organiser->acShowDescription->trigger();
    EXPECT_EQ(Item(organiser->OptionsFeed())->GetOption("SDR"), "1");
    EXPECT_TRUE(Item(other)->GetOption("SDR").isEmpty());
    // Once the feed is gone, the entries do nothing, even before a selection
    // has prepared the menus again.
    downloader.ClearCalls();
    {
        const QSignalBlocker quiet(organiser->tvTree);
        delete organiser->OptionsFeed();
    }
    EXPECT_EQ(organiser->OptionsFeed(), nullptr);
    Feed("KeepNews6m")->trigger();
    EXPECT_TRUE(downloader.Urls().isEmpty());
    EXPECT_EQ(organiser->NewsStorageDuration, 5);
}

TEST_F(AgeOptionsTest, GlobalShowSetsTheTickerFilter)
{
    CreateWithTicker();
    organiser->TreeLoaded = true;
    organiser->Timer1->setInterval(60000);
    const struct {
        QAction* TNewsFeeder::*action;
        int hours;
    } cases[] = {
        {&TNewsFeeder::acShowNewsNever, -1}, {&TNewsFeeder::acShowNews3h, 3}, {&TNewsFeeder::acShowNews6h, 6},
        {&TNewsFeeder::acShowNews3d, 72},    {&TNewsFeeder::acShowAllNews, 0}, {&TNewsFeeder::acShowNews1d, 24},
    };
    for (const auto& c : cases) {
        QAction* action = organiser.get()->*c.action;
        action->trigger();
        EXPECT_EQ(ticker->ShowNewsFor, c.hours) << action->objectName().toStdString();
        EXPECT_EQ(StoredInt("RssViews", "ShowNewsFor"), c.hours);
        EXPECT_TRUE(action->isChecked());
        EXPECT_TRUE(organiser->Timer1->isActive()); // restarted after the rebuild
    }
}

TEST_F(AgeOptionsTest, GlobalShowRebuildsTheQueueWithTheNewLimit)
{
    CreateWithTicker();
    QTreeWidgetItem* feed = AddNode(nullptr, "RSH", "feed");
    AddNode(feed, "RSS", "old", "http://x/1", MinutesAgo(5 * 60));
    Item(feed->child(0))->LastShown = MinutesAgo(60);
    organiser->acShowNews3h->trigger();
    EXPECT_EQ(ticker->PlayList.Count(), 0);
    organiser->acShowNews6h->trigger();
    EXPECT_EQ(ticker->PlayList.Count(), 1);
}

TEST_F(AgeOptionsTest, ShowOnceTogglesAndRestartsThePausedTicker)
{
    CreateWithTicker();
    ASSERT_TRUE(ticker->Paused);
    const bool expected[] = {false, true, false};
    for (bool once : expected) {
        ticker->Timer1->stop();
        organiser->acShowNewsOnce->trigger();
        EXPECT_EQ(ticker->ShowNewsOnce, once);
        EXPECT_EQ(organiser->acShowNewsOnce->isChecked(), once);
        EXPECT_EQ(StoredInt("RssViews", "ShowNewsOnce"), once ? 1 : 0);
        EXPECT_TRUE(ticker->Timer1->isActive());
    }
}

TEST_F(AgeOptionsTest, IntervalEntries)
{
    CreateWithTicker();
    organiser->TreeLoaded = true;
    const struct {
        const char* input; // nullptr: cancelled
        int interval;
        bool refused;
        bool ticking;
    } cases[] = {
        {"60", 60000, false, true},     {"90", 90000, false, true},    {"abc", 90000, true, true},
        {nullptr, 90000, false, true},  {"-5", 90000, true, true},     {"2147484", 90000, true, true},
        {"2147483", 2147483000, false, true}, {"0", 0, false, false},
    };
    for (const auto& c : cases) {
        dialogs.messages.clear();
        dialogs.questions.clear();
        if (c.input)
            dialogs.inputs.push_back(c.input);
        organiser->acConnectionInterval->trigger();
        EXPECT_EQ(dialogs.questions, QStringList{"Please Enter Interval[sec]"});
        EXPECT_EQ(organiser->NewsInterval, c.interval) << (c.input ? c.input : "cancel");
        EXPECT_EQ(dialogs.messages.size(), c.refused ? 1 : 0) << (c.input ? c.input : "cancel");
        EXPECT_EQ(organiser->acConnectionInterval->text(),
                  QStringLiteral("Connect to internet for all %1 s").arg(c.interval / 1000));
        EXPECT_EQ(organiser->Timer1->isActive(), c.ticking) << (c.input ? c.input : "cancel");
        if (c.ticking)
            EXPECT_EQ(organiser->Timer1->interval(), c.interval);
        EXPECT_EQ(StoredInt("NewsFeeder", "NewsInterval"), c.interval);
        EXPECT_TRUE(ticker->AutoShow);
    }
}

TEST_F(AgeOptionsTest, IntervalAsksWithTheOldSecondsAndCancelChangesNothing)
{
    CreateOrganiser();
    organiser->acConnectionInterval->trigger(); // no answer scripted: cancelled
    EXPECT_EQ(organiser->NewsInterval, 300000);
    EXPECT_EQ(organiser->acConnectionInterval->text(), "Connect to internet for all 300 s");
    EXPECT_EQ(StoredInt("NewsFeeder", "NewsInterval"), -12345);
}

TEST_F(AgeOptionsTest, ShowDescriptionMarksAFeedAndItsItems)
{
    CreateOrganiser();
    QTreeWidgetItem* feed = SelectedFeed("feed", "http://feed.test/rss", 3);
    organiser->ViewClicked(organiser->tvTree);
    ASSERT_FALSE(organiser->acShowDescription->isChecked());
    const char* expected[] = {"1", "0"};
    for (const char* value : expected) {
        organiser->acShowDescription->trigger();
        EXPECT_EQ(Item(feed)->GetOption("SDR"), value);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Item(feed->child(i))->GetOption("SDR"), value) << i;
    }
    // An item alone.
    organiser->tvTree->setCurrentItem(feed->child(1));
    organiser->acShowDescription->trigger();
    EXPECT_EQ(Item(feed->child(1))->GetOption("SDR"), "1");
    EXPECT_EQ(Item(feed)->GetOption("SDR"), "0");
    // Nothing selected: nothing at all, the mark included.
    organiser->tvTree->clearSelection();
    organiser->tvTree->setCurrentItem(nullptr);
    const bool before = organiser->acShowDescription->isChecked();
    organiser->acShowDescription->trigger();
    EXPECT_EQ(organiser->acShowDescription->isChecked(), before);
}

TEST_F(AgeOptionsTest, MenusCarryTheOptions)
{
    CreateOrganiser();
    // Main menu: Options after Edit.
    const QList<QAction*> bar = organiser->MainMenu1->actions();
    ASSERT_GE(bar.size(), 3);
    EXPECT_EQ(bar.at(1)->text(), "Edit");
    QMenu* options = bar.at(2)->menu();
    ASSERT_NE(options, nullptr);
    // The language entry first (hidden without languages), a separator, the
    // global values, a separator, then the clicked feed's own.
    EXPECT_EQ(options->actions().size(), 8);
    EXPECT_EQ(options->actions().at(0), organiser->acLanguage);
    EXPECT_TRUE(options->actions().at(1)->isSeparator());
    EXPECT_EQ(options->actions().mid(2, 4), (QList<QAction*>{organiser->acKeepNews, organiser->acShowNews,
                                                             organiser->acConnectionInterval,
                                                             organiser->acShowNewsOnce}));
    EXPECT_TRUE(options->actions().at(6)->isSeparator());
    EXPECT_EQ(options->actions().at(7), organiser->mnOptions1->menuAction());
    EXPECT_EQ(organiser->mnKeepNewsfor->actions(), organiser->KeepNewsGroup->actions());
    EXPECT_EQ(organiser->mnShowNewsbefore->actions(), organiser->ShowNewsGroup->actions());
    EXPECT_EQ(organiser->mnShowNewsbefore->actions().size(), 7); // six and the extra one
    EXPECT_FALSE(organiser->acShowNewsOther->isVisible());
    EXPECT_EQ(organiser->mnOptions1->actions(),
              (QList<QAction*>{organiser->mnFeedKeepNews->menuAction(), organiser->mnFeedShowNews->menuAction(),
                               organiser->acShowDescription}));
    EXPECT_FALSE(organiser->mnOptions1->menuAction()->isVisible()); // until a feed is clicked
    // The feed entries read as their global twins, in every language.
    organiser->acKeepNews1m->setText("1 Monat");
    EXPECT_EQ(Feed("KeepNews1m")->text(), "1 Monat");

    // Popup: the options entry after About, between the delete entries and
    // Open Link, with separators around the pair.
    const QList<QAction*> popup = organiser->mnMain->actions();
    const int at = popup.indexOf(organiser->mnOptions->menuAction());
    ASSERT_GT(at, 1);
    EXPECT_EQ(popup.at(at - 1), organiser->acAbout);
    EXPECT_TRUE(popup.at(at - 2)->isSeparator());
    EXPECT_TRUE(popup.at(at + 1)->isSeparator());
    EXPECT_EQ(popup.at(at + 2), organiser->acOpenLink);
    const QList<QAction*> entries = organiser->mnOptions->actions();
    ASSERT_EQ(entries.size(), 3);
    QMenu* show = entries.at(0)->menu();
    QMenu* keep = entries.at(1)->menu();
    ASSERT_TRUE(show && keep);
    EXPECT_EQ(show, organiser->mnFeedShowNews);
    EXPECT_EQ(show->title(), "Show News before ...");
    EXPECT_EQ(show->actions(), organiser->FeedShowNewsGroup->actions());
    EXPECT_EQ(keep, organiser->mnFeedKeepNews);
    EXPECT_EQ(keep->title(), "Keep News for ...");
    EXPECT_EQ(keep->defaultAction(), Feed("KeepNews5d"));
    EXPECT_EQ(entries.at(2), organiser->acShowDescription);
    EXPECT_FALSE(organiser->mnOptions->menuAction()->isVisible()); // until a feed is clicked
}
} // namespace
