// News age options: keep, show, show once, interval, show description, the
// check marks a click and the settings set, and where the menus carry them.
#include "organiser/OrganiserFixture.h"

#include "organiser/InterfaceTexts.h"
#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"
#include "ticker/RssViews.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace {
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
        EXPECT_EQ(TNewsFeeder::KeepNewsDays(c.tag), c.days) << c.tag;
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
        QAction* TNewsFeeder::*checked;
    } cases[] = {
        {0, &TNewsFeeder::acKeepNewsAlw}, {1, &TNewsFeeder::acKeepNews1d},  {7, &TNewsFeeder::acKeepNews5d},
        {30, &TNewsFeeder::acKeepNews1m}, {180, &TNewsFeeder::acKeepNews6m}, {5, &TNewsFeeder::acKeepNews5d},
        {-1, &TNewsFeeder::acKeepNews5d},
    };
    for (const auto& c : cases) {
        TIniFile(SettingsFileName()).WriteInteger("NewsFeeder", "NewsStorageDuration", c.stored);
        CreateOrganiser();
        EXPECT_EQ(organiser->NewsStorageDuration, c.stored);
        EXPECT_TRUE((organiser.get()->*c.checked)->isChecked()) << c.stored;
        organiser.reset();
    }
}

TEST_F(AgeOptionsTest, StartupMarksFollowTheTickerSettings)
{
    const struct {
        int showNewsFor;
        bool once;
        QAction* TNewsFeeder::*checked;
    } cases[] = {
        {0, true, &TNewsFeeder::acShowAllNews}, {3, false, &TNewsFeeder::acShowNews3h},
        {6, true, &TNewsFeeder::acShowNews6h},  {24, false, &TNewsFeeder::acShowNews1d},
        {72, true, &TNewsFeeder::acShowNews3d}, {-1, false, &TNewsFeeder::acShowNews1d},
        {5, true, &TNewsFeeder::acShowNews1d},
    };
    for (const auto& c : cases) {
        TIniFile ini(SettingsFileName());
        ini.WriteInteger("RssViews", "ShowNewsFor", c.showNewsFor);
        ini.WriteInteger("RssViews", "ShowNewsOnce", c.once ? 1 : 0);
        ini.WriteInteger("NewsFeeder", "NewsInterval", 90000);
        CreateWithTicker();
        EXPECT_TRUE((organiser.get()->*c.checked)->isChecked()) << c.showNewsFor;
        EXPECT_EQ(organiser->acShowNewsOnce->isChecked(), c.once) << c.showNewsFor;
        EXPECT_EQ(organiser->acConnectionInterval->text(), "Connect to internet for all 90 s");
        organiser.reset();
        ticker.reset();
    }
}

TEST_F(AgeOptionsTest, PopupStatePerNodeKind)
{
    CreateOrganiser();
    organiser->acKeepNews1m->setChecked(true); // a mark that values without an entry leave alone
    const struct {
        const char* kind;
        const char* title;
        const char* options;
        bool shown;
        const char* caption;
        bool description;
        QAction* TNewsFeeder::*keep;
        QAction* TNewsFeeder::*show;
    } cases[] = {
        {"RSH", "News (3 of 40)", "", true, "Options \"News \"", false, &TNewsFeeder::acKeepNews1m,
         &TNewsFeeder::acShowNews1d},
        {"RSH", "Feed", "NSD=0\r\nSNF=0\r\nSDR=1", true, "Options \"Feed\"", true, &TNewsFeeder::acKeepNewsAlw,
         &TNewsFeeder::acShowAllNews},
        {"RSH", "Feed", "NSD=1\r\nSNF=3", true, "Options \"Feed\"", false, &TNewsFeeder::acKeepNews1d,
         &TNewsFeeder::acShowNews3h},
        {"RSH", "Feed", "NSD=7\r\nSNF=6", true, "Options \"Feed\"", false, &TNewsFeeder::acKeepNews5d,
         &TNewsFeeder::acShowNews6h},
        {"RSH", "Feed", "NSD=-1\r\nSNF=72", true, "Options \"Feed\"", false, &TNewsFeeder::acKeepNews5d,
         &TNewsFeeder::acShowNews3d},
        {"RSH", "Feed", "NSD=180\r\nSNF=-1", true, "Options \"Feed\"", false, &TNewsFeeder::acKeepNews6m,
         &TNewsFeeder::acShowNews1d},
        {"RSH", "Feed", "NSD=30\r\nSNF=12", true, "Options \"Feed\"", false, &TNewsFeeder::acKeepNews1m,
         &TNewsFeeder::acShowNews1d},
        {"RSS", "Item", "SNF=3", false, "Options \"Feed\"", false, &TNewsFeeder::acKeepNews1m,
         &TNewsFeeder::acShowNews1d},
        {"FLD", "Folder", "", false, "Options \"Feed\"", false, &TNewsFeeder::acKeepNews1m,
         &TNewsFeeder::acShowNews1d},
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
        EXPECT_EQ(organiser->acShowDescription->isChecked(), c.description) << name;
        EXPECT_TRUE((organiser.get()->*c.keep)->isChecked()) << name;
        EXPECT_TRUE((organiser.get()->*c.show)->isChecked()) << name;
    }
}

TEST_F(AgeOptionsTest, FeedDefaultsComeFromTheGlobalValues)
{
    TIniFile ini(SettingsFileName());
    ini.WriteInteger("RssViews", "ShowNewsFor", 6);
    ini.WriteInteger("RssViews", "ShowDescription", 1);
    ini.WriteInteger("NewsFeeder", "NewsStorageDuration", 180);
    CreateWithTicker();
    organiser->acKeepNews1d->setChecked(true);
    organiser->acShowNews3d->setChecked(true);
    QTreeWidgetItem* feed = AddNode(nullptr, "RSH", "Feed");
    organiser->tvTree->setCurrentItem(feed);
    organiser->ViewClicked(organiser->tvTree);
    EXPECT_TRUE(organiser->acKeepNews6m->isChecked());
    EXPECT_TRUE(organiser->acShowNews6h->isChecked());
    EXPECT_TRUE(organiser->acShowDescription->isChecked()); // the ticker's own setting
}

TEST_F(AgeOptionsTest, KeepAndShowForASelectedFeedSetItsOptionAndFetchIt)
{
    CreateOrganiser();
    downloader.Serve("http://feed.test/rss", SmallFeed("feed", 2));
    const struct {
        QAction* TNewsFeeder::*action;
        const char* option;
        const char* value;
        QAction* TNewsFeeder::*markStays;
    } cases[] = {
        {&TNewsFeeder::acKeepNewsNever, "NSD", "-1", &TNewsFeeder::acKeepNews5d},
        {&TNewsFeeder::acKeepNews6m, "NSD", "180", &TNewsFeeder::acKeepNews5d},
        {&TNewsFeeder::acShowNews6h, "SNF", "6", &TNewsFeeder::acShowNews1d},
        {&TNewsFeeder::acShowNewsNever, "SNF", "-1", &TNewsFeeder::acShowNews1d},
    };
    QTreeWidgetItem* feed = SelectedFeed("feed", "http://feed.test/rss");
    for (const auto& c : cases) {
        downloader.ClearCalls();
        organiser->tvTree->setCurrentItem(feed);
        (organiser.get()->*c.action)->trigger();
        const std::string name = (organiser.get()->*c.action)->objectName().toStdString();
        EXPECT_EQ(Item(feed)->GetOption(c.option), QString(c.value)) << name;
        EXPECT_EQ(downloader.Urls(), QStringList{"http://feed.test/rss"}) << name;
        EXPECT_TRUE((organiser.get()->*c.markStays)->isChecked()) << name;
        EXPECT_EQ(organiser->NewsStorageDuration, 5) << name;
        feed = organiser->tvTree->topLevelItem(0);
    }
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

TEST_F(AgeOptionsTest, FeedOfTheFeedsTabIsFetchedForItsTreeNode)
{
    CreateOrganiser();
    downloader.Serve("http://feed.test/rss", SmallFeed("feed", 1));
    QTreeWidgetItem* feed = SelectedFeed("feed", "http://feed.test/rss");
    // The same item in the Feeds view.
    QTreeWidgetItem* mirror = AddViewNode(organiser->tvTheme, nullptr, "feed", NodeDataValue(feed));
    organiser->PageControl1->setCurrentIndex(4);
    organiser->tvTheme->setCurrentItem(mirror);
    organiser->acKeepNews1d->trigger();
    EXPECT_EQ(Item(feed)->GetOption("NSD"), "1");
    EXPECT_EQ(downloader.Urls(), QStringList{"http://feed.test/rss"});
    // The merge went into tvTree's node: its items are there, not under the mirror.
    EXPECT_EQ(organiser->tvTree->topLevelItemCount(), 1);
    EXPECT_EQ(organiser->tvTree->topLevelItem(0)->childCount(), 1);
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
    // The language entry first (hidden without languages), a separator, then the options.
    ASSERT_EQ(options->actions().size(), 5);
    EXPECT_EQ(options->actions().at(0), organiser->acLanguage);
    EXPECT_TRUE(options->actions().at(1)->isSeparator());
    EXPECT_EQ(options->actions().mid(2), (QList<QAction*>{organiser->mnOptions1->menuAction(),
                                                          organiser->acConnectionInterval, organiser->acShowNewsOnce}));
    EXPECT_EQ(organiser->mnOptions1->actions(),
              (QList<QAction*>{organiser->acKeepNews, organiser->acShowNews, organiser->acShowDescription}));
    EXPECT_EQ(organiser->mnKeepNewsfor->actions().size(), 6);
    EXPECT_EQ(organiser->mnShowNewsbefore->actions().size(), 5);
    EXPECT_FALSE(organiser->mnShowNewsbefore->actions().contains(organiser->acShowAllNews));

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
    EXPECT_EQ(show->title(), "Show News before ...");
    EXPECT_EQ(show->actions().size(), 6);
    EXPECT_EQ(keep->title(), "Keep News for ...");
    EXPECT_EQ(keep->defaultAction(), organiser->acKeepNews5d);
    EXPECT_EQ(entries.at(2), organiser->acShowDescription);
    EXPECT_FALSE(organiser->mnOptions->menuAction()->isVisible()); // until a feed is clicked
}
} // namespace
