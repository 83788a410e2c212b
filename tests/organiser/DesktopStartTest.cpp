// A new user's first minutes: the first run, and the URLs and files of a
// command line, this start's own or handed over by a later start.
#include "app/ProgramSetup.h"
#include "app/SingleInstance.h"
#include "organiser/InterfaceTexts.h"
#include "organiser/OrganiserFixture.h"
#include "ticker/RssViews.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QUrl>

namespace {
class DesktopStartTest : public OrganiserFixture {
protected:
    void CreateWithTicker() { OrganiserFixture::CreateWithTicker(false); }
    // The captions and links of tvTree's top-level nodes.
    QStringList TopLevel() const
    {
        QStringList shape;
        for (int i = 0; i < organiser->tvTree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* node = organiser->tvTree->topLevelItem(i);
            const TTreeItem* item = data.NodeItem(node);
            shape << node->text(0) + (item && !item->Link.isEmpty() ? " " + item->Link : QString());
        }
        return shape;
    }
    static void WriteFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
};

TEST_F(DesktopStartTest, AnEmptyTreeOpensTheOrganiserOnTheTreeTabAndSaysHowToBegin)
{
    CreateWithTicker();
    ASSERT_EQ(organiser->PageControl1->currentWidget(), organiser->tbTree); // no page stored: the Tree tab
    organiser->PageControl1->setCurrentIndex(3);
    organiser->Timer1Timer(); // the first tick builds an empty tree
    EXPECT_TRUE(organiser->isVisible());
    EXPECT_EQ(organiser->PageControl1->currentWidget(), organiser->tbTree);
    EXPECT_EQ(ticker->lbRss->accessibleName(), OrganiserTexts.SNoNewsYet);
    EXPECT_TRUE(ticker->lbRss->text().startsWith(OrganiserTexts.SNoNewsYet.left(12)));
    EXPECT_EQ(ticker->width(), ticker->lbRss->width() + 16 + 11 + 12); // the whole line shows
    EXPECT_FALSE(ticker->Paused);
}

TEST_F(DesktopStartTest, ATreeWithNodesStartsAsBefore)
{
    CreateWithTicker();
    TTreeItem folder(kFolder, "Kept", "", "", "", "0");
    data.NewsList.AddCopy(folder);
    organiser->Timer1Timer();
    EXPECT_FALSE(organiser->isVisible());
    EXPECT_NE(ticker->lbRss->text(), OrganiserTexts.SNoNewsYet);
}

TEST_F(DesktopStartTest, CommandLineURLsAndFiles)
{
    CreateOrganiser();
    organiser->TreeLoaded = true;
    const QString opml = home.File("other reader.opml");
    WriteFile(opml, "<opml version=\"2.0\"><body><outline text=\"Imported\" xmlUrl=\"http://i.test/rss\"/>"
                    "</body></opml>");
    const QString feedFile = home.File("saved.rss");
    WriteFile(feedFile, SmallFeed("file", 1));
    downloader.Serve(QUrl::fromLocalFile(feedFile).toString(), SmallFeed("file", 1));
    downloader.Serve("http://a.test/rss", SmallFeed("a", 2));
    downloader.Serve("https://b.test/rss", SmallFeed("b", 1));

    organiser->OpenStartArguments({"feed://a.test/rss", "feed:https://b.test/rss", opml, feedFile,
                                   "no such thing", home.File("missing.rss")});
    QCoreApplication::processEvents();
    EXPECT_EQ(downloader.CallCount("http://a.test/rss"), 1);
    EXPECT_EQ(downloader.CallCount("https://b.test/rss"), 1);
    EXPECT_EQ(downloader.CallCount(QUrl::fromLocalFile(feedFile).toString()), 1);
    const QStringList tree = TopLevel();
    for (const QString& expected : {QString("a(2) http://a.test/rss"), QString("b(1) https://b.test/rss"),
                                    QString("Imported http://i.test/rss"),
                                    "file(1) " + QUrl::fromLocalFile(feedFile).toString()})
        EXPECT_TRUE(tree.contains(expected)) << expected.toStdString() << " in " << tree.join(" | ").toStdString();
    // What is neither a URL nor a file is reported, with the warning icon.
    EXPECT_EQ(dialogs.errors, QStringList({FormatText(OrganiserTexts.SUnknownArgument, "no such thing"),
                                           FormatText(OrganiserTexts.SUnknownArgument, home.File("missing.rss"))}));
}

TEST_F(DesktopStartTest, ASecondStartHandsItsURLToTheFirstCopy)
{
    // This test is the first copy on the folder; the real program is the second start.
    CreateOrganiser();
    organiser->TreeLoaded = true;
    downloader.Serve("http://news.test/feed.rss", SmallFeed("handed", 3));
    TSingleInstance instance(home.Path());
    ASSERT_EQ(instance.Start({kShowCommand, {}}), TInstanceStart::First);
    instance.SetHandler([this](const TInstanceMessage& message) { TakeAnotherStart(organiser.get(), message); });

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUORBEL_HOME", home.Path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    second.start(QUORBEL_PROGRAM, {"feed://news.test/feed.rss"});
    const QDeadlineTimer deadline(10000);
    while (second.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        second.waitForFinished(20);
    }
    ASSERT_EQ(second.state(), QProcess::NotRunning);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().constData();
    while (organiser->tvTree->topLevelItemCount() == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(TopLevel(), QStringList({"handed(3) http://news.test/feed.rss"}));
    EXPECT_TRUE(organiser->isVisible());
}
} // namespace
