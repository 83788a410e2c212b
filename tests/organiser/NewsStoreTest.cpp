// The tree is stored off the window thread: in order, coalesced, byte for
// byte what a store on the window thread writes, and waited for at the end.
#include "organiser/NewsStore.h"
#include "organiser/OrganiserFixture.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <future>

namespace {
class NewsStoreTest : public OrganiserFixture {
protected:
    NewsStoreTest() { CreateOrganiser(); }

    // The next write waits until Release().
    void HoldWrites()
    {
        release = std::promise<void>();
        std::shared_future<void> go = release.get_future().share();
        organiser->Store->SetBeforeWrite([go] { go.wait(); });
    }
    void Release()
    {
        release.set_value();
        organiser->Store->SetBeforeWrite(nullptr);
    }

    std::promise<void> release;
};
} // namespace

TEST_F(NewsStoreTest, StoresCoalesceAndWriteWhatTheWindowThreadWould)
{
    for (int i = 0; i < 50; ++i)
        AddNode(nullptr, kFolder, QStringLiteral("Folder %1").arg(i));
    HoldWrites();
    organiser->SaveNewsWithBackup(); // taken by the worker, which now waits
    QElapsedTimer wait;
    wait.start();
    while (organiser->Store->IsIdle() && wait.elapsed() < 5000)
        QThread::msleep(1);
    // Three more while it waits: they become one store of the last snapshot.
    for (int i = 0; i < 3; ++i) {
        AddNode(nullptr, kFeed, QStringLiteral("Feed %1").arg(i), QStringLiteral("http://f%1.test/").arg(i));
        organiser->SaveNewsWithBackup();
    }
    EXPECT_FALSE(QFile::exists(data.NewsFile)); // the window thread did not write
    Release();
    organiser->WaitForStore();
    EXPECT_EQ(organiser->Store->StoresWritten(), 2);
    ASSERT_TRUE(data.SaveNewsFile(organiser->tvTree, home.File("direct.qbx")));
    EXPECT_EQ(ReadBytes(data.NewsFile), ReadBytes(home.File("direct.qbx")));
    // The first store had nothing to back up; the second copied the first.
    EXPECT_TRUE(QFile::exists(home.File("News.bak")));
    EXPECT_NE(ReadBytes(home.File("News.bak")), ReadBytes(data.NewsFile));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(NewsStoreTest, FailuresAreReportedFromTheEventLoop)
{
    organiser->NewsStorePath = home.File("no/such/folder/News.qbx");
    organiser->SaveNewsWithBackup();
    QElapsedTimer wait;
    wait.start();
    while (dialogs.messages.isEmpty() && wait.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(dialogs.messages, QStringList({"Error storing File :\"" + organiser->NewsStorePath + "\""}));
}

TEST_F(NewsStoreTest, ProgramEndWaitsForTheStoreInProgress)
{
    AddNode(nullptr, kFolder, "kept");
    HoldWrites();
    organiser->SaveNewsWithBackup();
    bool storedAtEnd = false;
    QObject::connect(organiser.get(), &TNewsFeeder::programEndRequested,
                     [&] { storedAtEnd = QFile::exists(data.NewsFile); });
    std::thread releaser([this] {
        QThread::msleep(100);
        Release();
    });
    organiser->EndProgram();
    QCoreApplication::processEvents();
    releaser.join();
    EXPECT_TRUE(storedAtEnd);
}

TEST_F(NewsStoreTest, ARunOfFailuresIsReportedOnceNamingTheStepThatFailed)
{
    AddNode(nullptr, kFolder, "kept");
    const QString news = organiser->NewsStorePath, xml = organiser->NewsXmlPath;
    const QString goneNews = home.File("gone/News.qbx"), goneXml = home.File("gone/News.xml");
    const QString folderNews = home.File("folder.qbx"); // can be neither copied nor replaced
    ASSERT_TRUE(QDir().mkpath(folderNews));
    const QString noBackup = "The back-up copy \"" + home.File("gone/News.bak") + "\" of the news file could not be made.";
    auto noStore = [](const QString& path) { return "Error storing File :\"" + path + "\""; };
    const struct {
        QString news, xml;
        QStringList shown;
    } steps[] = {
        {news, xml, {}},
        {news, goneXml, {noBackup}},
        {news, goneXml, {}},     // the same run: quiet
        {goneNews, goneXml, {}}, // the store fails too: still the same run
        {news, xml, {}},         // a good store ends the run
        {goneNews, xml, {noStore(goneNews)}},
        {news, xml, {}},
        {folderNews, goneXml, {noBackup + "\n" + noStore(folderNews)}}, // both steps, one box
    };
    for (const auto& step : steps) {
        dialogs.messages.clear();
        if (step.news == folderNews)
            organiser->Store->TrustNewsFile(folderNews); // as if read whole at start
        organiser->NewsStorePath = step.news;
        organiser->NewsXmlPath = step.xml;
        organiser->SaveNewsWithBackup();
        organiser->WaitForStore();
        EXPECT_EQ(dialogs.messages, step.shown) << (&step - steps);
    }
}

TEST_F(NewsStoreTest, ProgramEndShowsNoBoxWhenTheLastStoreFails)
{
    organiser->NewsStorePath = home.File("gone/News.qbx");
    bool ended = false;
    QObject::connect(organiser.get(), &TNewsFeeder::programEndRequested, [&] { ended = true; });
    testing::internal::CaptureStderr();
    organiser->EndProgram();
    QCoreApplication::processEvents();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(ended);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_NE(err.find("quorbel: Error storing File :\"" + organiser->NewsStorePath.toStdString()), std::string::npos);
}
