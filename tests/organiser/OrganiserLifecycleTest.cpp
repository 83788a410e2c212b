// What the organiser stores and when, how the program ends, and the window's
// own details.
#include "organiser/OrganiserFixture.h"

#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"
#include "ticker/RssViews.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QMenuBar>
#include <QTimer>
#include <stdexcept>

namespace {
using OrganiserLifecycleTest = OrganiserFixture;

QByteArray ReadFile(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

TEST_F(OrganiserLifecycleTest, StoresOnlyTheWholeTree)
{
    CreateOrganiser();
    AddNode(nullptr, "FLD", "folder");
    struct {
        const char* name;
        bool complete;
        int placing;
        bool stored;
    } cases[] = {
        {"before the first build has completed", false, 0, false},
        {"while nodes are being placed", true, 1, false},
        {"the whole tree", true, 0, true},
    };
    for (auto& c : cases) {
        QFile::remove(data.NewsFile);
        QFile::remove(SettingsFileName());
        organiser->Busy->SetTreeReady(c.complete);
        organiser->PlacingNodes = c.placing;
        organiser->SaveNewsWithBackup();
        organiser->WaitForStore();
        EXPECT_EQ(QFile::exists(data.NewsFile), c.stored) << c.name;
        EXPECT_TRUE(QFile::exists(SettingsFileName())) << c.name; // the settings always
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(OrganiserLifecycleTest, DamagedNewsFileIsKeptOnceBeforeTheFirstStore)
{
    // Two good records, then garbage: the start-up load keeps what it could read.
    TTreeList good;
    for (const char* title : {"first", "second"}) {
        TTreeItem folder("FLD", title, "", "", "", "0");
        folder.FirstChild = -1;
        folder.NextSibling = good.Count() == 0 ? 1 : -1;
        good.AddCopy(folder);
    }
    ASSERT_TRUE(good.SaveContainer(data.NewsFile));
    QByteArray damaged = ReadFile(data.NewsFile);
    damaged.chop(6);
    WriteFile(data.NewsFile, damaged);

    EXPECT_FALSE(data.NewsFileDamaged); // a missing file at the fixture's start is not damage
    {
        TNewsData reloaded(home.Path());
        EXPECT_TRUE(reloaded.NewsFileDamaged);
        EXPECT_EQ(reloaded.NewsList.Count(), 1); // what could be read
        data.NewsFileDamaged = reloaded.NewsFileDamaged;
    }
    NewsData = &data;
    CreateOrganiser();
    AddNode(nullptr, "FLD", "after the repair");
    organiser->SaveNewsWithBackup();
    organiser->WaitForStore();
    EXPECT_EQ(ReadFile(data.NewsFile + ".damaged"), damaged);
    TTreeList stored;
    EXPECT_TRUE(stored.LoadContainer(data.NewsFile)); // replaced by a readable file

    // Once only: the next store leaves the kept copy alone.
    WriteFile(data.NewsFile + ".damaged", "kept");
    organiser->SaveNewsWithBackup();
    organiser->WaitForStore();
    EXPECT_EQ(ReadFile(data.NewsFile + ".damaged"), "kept");
}

TEST_F(OrganiserLifecycleTest, NewsIntervalFromTheSettings)
{
    struct {
        const char* stored;
        int expected;
        bool ticksAfterStartUp;
    } cases[] = {
        {"0", 0, false},
        {"60000", 60000, true},
        {"-5", 300000, true},
        // Under a second the scheduler would fetch all the time.
        {"0x10", 300000, true},
        {"1", 300000, true},
        {"999", 300000, true},
        {"1000", 1000, true},
        {"2147483000", 2147483000, true},
        {"2147483001", 300000, true},
    };
    for (auto& c : cases) {
        TIniFile(SettingsFileName()).WriteString("NewsFeeder", "NewsInterval", c.stored);
        CreateOrganiser();
        EXPECT_EQ(organiser->NewsInterval, c.expected) << c.stored;
        online.SetConnected(false); // start-up switches to the interval at once
        organiser->Timer1Timer();
        EXPECT_EQ(organiser->Timer1->isActive(), c.ticksAfterStartUp) << c.stored;
        online.SetConnected(true);
    }
}

TEST_F(OrganiserLifecycleTest, FailedStartUpTickStillReleasesTheTicker)
{
    class ThrowingConnectivity final : public IConnectivity {
    public:
        explicit ThrowingConnectivity(FakeConnectivity& f) : fallback(f) { SetConnectivity(this); }
        ~ThrowingConnectivity() override { SetConnectivity(&fallback); }
        bool IsConnected() override { throw std::runtime_error("no network stack"); }
        FakeConnectivity& fallback;
    };
    TRSSView ticker([this](TRSSView* view) {
        organiser = std::make_unique<TNewsFeeder>(view);
        return organiser.get();
    });
    organiser->Timer1->stop();
    ASSERT_TRUE(ticker.Paused);
    {
        ThrowingConnectivity failing(online);
        organiser->Timer1Timer();
    }
    EXPECT_TRUE(organiser->TreeLoaded);
    EXPECT_FALSE(ticker.Paused);
    organiser.reset();
}

TEST_F(OrganiserLifecycleTest, ClosingTheTickerEndsTheProgramOnce)
{
    TRSSView ticker([this](TRSSView* view) {
        organiser = std::make_unique<TNewsFeeder>(view);
        return organiser.get();
    });
    organiser->Busy->SetTreeReady(true);
    int ends = 0;
    QObject::connect(organiser.get(), &TNewsFeeder::programEndRequested, [&] { ++ends; });
    ticker.show();
    EXPECT_FALSE(ticker.close()); // the organiser's close road decides
    ticker.close();
    QCoreApplication::processEvents();
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(QFile::exists(data.NewsFile));
    organiser.reset();
}

TEST_F(OrganiserLifecycleTest, WindowDetails)
{
    CreateOrganiser();
    // File > "Close Window" is the close action itself.
    QMenu* file = organiser->MainMenu1->actions().at(0)->menu();
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->actions().contains(organiser->acClose));
    EXPECT_EQ(organiser->acClose->text(), "Close Window");
    EXPECT_EQ(organiser->acClose->toolTip(), "Close ");
    // The hint timer runs for the whole life of the window.
    EXPECT_TRUE(organiser->HintTimer->isActive());
    organiser->HintTimer->setInterval(1);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 20)
        QCoreApplication::processEvents();
    EXPECT_TRUE(organiser->HintTimer->isActive());
    // The views stand on the button-face colour.
    organiser->resize(400, 300);
    organiser->PageControl1->setCurrentIndex(5);
    organiser->show();
    const QImage image = organiser->tvTree->viewport()->grab().toImage();
    const QColor buttonFace = organiser->palette().color(QPalette::Button);
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() - 3), buttonFace);
}
} // namespace

namespace {
TEST_F(OrganiserLifecycleTest, FileNodesGetTheirIconsBackAfterTheImageListIsRebuilt)
{
    CreateOrganiser();
    QTreeWidgetItem* file = AddNode(nullptr, "FIL", "settings", home.Path());
    data.AssignNodeIcon(file, home.Path());
    const int before = Item(file)->IconIdx;
    ASSERT_GE(before, data.PredefinedIconCount); // the shell's icon for the folder
    data.ReloadIcons(); // as registering a new site icon does
    EXPECT_LT(NodeImage(file), data.imIcons.Count());
    EXPECT_GE(NodeImage(file), data.PredefinedIconCount);
    EXPECT_EQ(NodeImage(file), Item(file)->IconIdx);
    EXPECT_FALSE(data.imIcons.Icon(NodeImage(file)).isNull());
}
} // namespace
