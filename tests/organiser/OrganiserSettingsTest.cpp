#include "organiser/OrganiserFixture.h"

#include "organiser/NewsBackup.h"
#include "organiser/NewsStore.h"
#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"

#include <QFile>
#include <QTabWidget>
#include <QTimer>
#include <optional>

namespace {
using OrganiserSettingsTest = OrganiserFixture;

TEST_F(OrganiserSettingsTest, FirstStartDefaultsAndNothingWritten)
{
    CreateOrganiser();
    EXPECT_EQ(organiser->geometry(), QRect(249, 132, 536, 508));
    EXPECT_EQ(organiser->PageControl1->currentIndex(), 5); // the Tree tab, where a new user adds feeds
    EXPECT_EQ(organiser->NewsInterval, 300000);
    EXPECT_EQ(organiser->NewsStorageDuration, 5);
    EXPECT_FALSE(organiser->TreeLoaded);
    EXPECT_EQ(organiser->UpdatePosition.Get(), nullptr);
    EXPECT_EQ(organiser->Timer1->interval(), 4000);
    EXPECT_EQ(organiser->HintTimer->interval(), 2000);
    EXPECT_EQ(organiser->windowTitle(), "Quorbel        Stay Tivaleo");
    EXPECT_FALSE(organiser->isVisible());
    EXPECT_FALSE(QFile::exists(SettingsFileName()));
}

TEST_F(OrganiserSettingsTest, TabsInOrderWithTheirViews)
{
    CreateOrganiser();
    const char* captions[] = {"Time", "WWW", "Video", "Audio", "Feeds", "Tree"};
    QTreeWidget* views[] = {organiser->tvTime, organiser->tvWeb, organiser->tvVideo,
                            organiser->tvAudio, organiser->tvTheme, organiser->tvTree};
    ASSERT_EQ(organiser->PageControl1->count(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(organiser->PageControl1->tabText(i), captions[i]);
        EXPECT_FALSE(organiser->PageControl1->tabIcon(i).isNull());
        organiser->PageControl1->setCurrentIndex(i);
        EXPECT_EQ(organiser->ActiveTreeView(), views[i]) << i;
    }
}

TEST_F(OrganiserSettingsTest, StoredValuesAreApplied)
{
    TIniFile ini(SettingsFileName());
    ini.WriteInteger("NewsFeeder", "Left", 10);
    ini.WriteInteger("NewsFeeder", "Top", 20);
    ini.WriteInteger("NewsFeeder", "Width", 600);
    ini.WriteInteger("NewsFeeder", "Height", 400);
    ini.WriteInteger("NewsFeeder", "NewsInterval", 60000);
    ini.WriteString("NewsFeeder", "NewsStorageDuration", "not a number");
    ini.WriteInteger("NewsFeeder", "PageIndex", 5);
    ini.WriteString("RssViews", "Other", "kept");
    CreateOrganiser();
    EXPECT_EQ(organiser->geometry(), QRect(10, 20, 600, 400));
    EXPECT_EQ(organiser->NewsInterval, 60000);
    EXPECT_EQ(organiser->NewsStorageDuration, 5);
    EXPECT_EQ(organiser->PageControl1->currentIndex(), 5);
}

TEST_F(OrganiserSettingsTest, TabChangeAndResizeWriteAtOnce)
{
    CreateOrganiser();
    organiser->PageControl1->setCurrentIndex(1);
    TIniFile after(SettingsFileName());
    EXPECT_EQ(after.ReadInteger("NewsFeeder", "PageIndex", -1), 1);

    organiser->show();
    organiser->resize(700, 450);
    TIniFile resized(SettingsFileName());
    EXPECT_EQ(resized.ReadInteger("NewsFeeder", "Width", -1), 700);
    EXPECT_EQ(resized.ReadInteger("NewsFeeder", "Height", -1), 450);
    EXPECT_EQ(organiser->PageControl1->size(), QSize(organiser->Panel1->width() - 9, organiser->Panel1->height() - 9));
    EXPECT_EQ(resized.ReadSection("NewsFeeder"),
              (QStringList{"Language", "Left", "Top", "Width", "Height", "NewsInterval", "NewsStorageDuration",
                           "PageIndex"}));
}

TEST_F(OrganiserSettingsTest, FailedStoreIsReportedAndSettingsStillWritten)
{
    CreateOrganiser();
    organiser->NewsStorePath = home.File("no/such/folder/News.qbx");
    organiser->SaveNewsWithBackup();
    organiser->WaitForStore();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0], "Error storing File :\"" + organiser->NewsStorePath + "\"");
    EXPECT_TRUE(QFile::exists(SettingsFileName()));
}

TEST_F(OrganiserSettingsTest, CloseStoresAndOnlyHides)
{
    CreateOrganiser();
    AddNode(nullptr, "FLD", "kept folder");
    organiser->show();
    EXPECT_FALSE(organiser->close()); // the close is turned into a hide
    organiser->WaitForStore();
    EXPECT_FALSE(organiser->isVisible());
    TTreeList stored;
    ASSERT_TRUE(stored.LoadContainer(data.NewsFile));
    ASSERT_EQ(stored.Count(), 1);
    EXPECT_EQ(stored.Items(0)->Title, "kept folder");
}

TEST_F(OrganiserSettingsTest, DailyBackupRule)
{
    CreateOrganiser();
    AddNode(nullptr, "FLD", "now");
    struct {
        const char* name;
        std::optional<QDateTime> backupTime; // none: no News.bak
        bool replaced;
    } cases[] = {
        {"no back-up: made from the news file", std::nullopt, true},
        {"today", QDateTime(QDate(2026, 12, 9), QTime(1, 0)), false},
        {"yesterday", QDateTime(QDate(2026, 12, 8), QTime(0, 0, 1)), false},
        {"day before yesterday", QDateTime(QDate(2026, 12, 7), QTime(23, 59)), true},
        {"last year", QDateTime(QDate(2025, 12, 9), QTime(12, 0)), true},
    };
    const QString bak = home.File("News.bak");
    // Each case's news file stands for one read whole at start-up.
    organiser->Store->TrustNewsFile(data.NewsFile);
    for (auto& c : cases) {
        QFile::remove(bak);
        QFile qbx(data.NewsFile);
        ASSERT_TRUE(qbx.open(QIODevice::WriteOnly | QIODevice::Truncate));
        qbx.write("previous store");
        qbx.close();
        if (c.backupTime) {
            QFile f(bak);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("old");
            f.close();
            ASSERT_TRUE(f.open(QIODevice::Append));
            ASSERT_TRUE(f.setFileTime(*c.backupTime, QFileDevice::FileModificationTime));
            f.close();
        }
        organiser->SaveNewsWithBackup();
        organiser->WaitForStore();
        QFile result(bak);
        ASSERT_TRUE(result.open(QIODevice::ReadOnly)) << c.name;
        EXPECT_EQ(result.readAll(), c.replaced ? QByteArray("previous store") : QByteArray("old")) << c.name;
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(NewsBackupTest, FailedCopyLeavesTheTargetAlone)
{
    TempProgramFolder home;
    QFile target(home.File("News.bak"));
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write("old");
    target.close();
    EXPECT_FALSE(CopyFileSafely(home.File("missing.qbx"), home.File("News.bak")));
    ASSERT_TRUE(target.open(QIODevice::ReadOnly));
    EXPECT_EQ(target.readAll(), "old");
    EXPECT_FALSE(CopyFileSafely(home.File("News.bak"), home.File("no/folder/x.bak")));
}

TEST_F(OrganiserSettingsTest, MarkShownByTitleMarksTheFirstMatchOnly)
{
    CreateOrganiser();
    QTreeWidgetItem* feed = AddNode(nullptr, "RSH", "Feed");
    QTreeWidgetItem* first = AddNode(feed, "RSS", "Same Title");
    QTreeWidgetItem* second = AddNode(nullptr, "RSS", "same title");
    organiser->MarkShownByTitle("SAME title");
    EXPECT_DOUBLE_EQ(Item(first)->LastShown, NowDateTime());
    EXPECT_EQ(Item(second)->LastShown, 0.0);
    organiser->MarkShownByTitle("nothing like it");
}
} // namespace
