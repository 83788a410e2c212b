// Opening items: the double-click of the views and the reload, links and
// files handed to the desktop (a fake of it), media to their player, the file
// node's menu and properties window, and the ticker's double-click.
#include "organiser/InterfaceTexts.h"
#include "organiser/OrganiserFixture.h"
#include "support/FakeShell.h"
#include "ticker/TickerFixture.h"
#include "widgets/FilePropertiesDialog.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

namespace {

class OpenItemsTest : public OrganiserFixture {
protected:
    void SetUp() override { CreateOrganiser(); }

    // A node of kind in tvTree, selected there, double-clicked.
    QTreeWidgetItem* DoubleClick(const QString& kind, const QString& title, const QString& link)
    {
        QTreeWidgetItem* node = AddNode(nullptr, kind, title, link);
        Item(node)->IconIdx = -1;
        organiser->tvTree->setCurrentItem(node);
        organiser->tvTreeDblClick(organiser->tvTree);
        return node;
    }
    QString FileWith(const QString& name, const QByteArray& bytes)
    {
        const QString path = files.filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return path;
    }
    static QString ExecuteQuestion(const QString& target, const QString& command)
    {
        QString q = OrganiserTexts.SExecute;
        q.replace(q.indexOf("%s"), 2, target);
        q.replace(q.indexOf("%s", q.indexOf(target) + target.size()), 2, command);
        return q;
    }

    FakeShell shell;
    QTemporaryDir files;
};

TEST(OpenTargetExtension, AfterTheLastDotCutBeforeAQuery)
{
    const std::pair<const char*, const char*> cases[] = {
        {"http://pod.example/ep.mp3?id=7", "mp3"},
        {"http://pod.example/x.?x", "?x"},
        {"http://pod.example/a.b.ogg", "ogg"},
        {"http://news.example/page", "example/page"},
        {"/music/Song.MP3", "MP3"},
        {"noextension", ""},
        {"ends.", ""},
    };
    for (const auto& [target, extension] : cases)
        EXPECT_EQ(TNewsFeeder::OpenTargetExtension(target), QString(extension)) << target;
}

// The desktop's default player read from desktop files in the test's XDG folders.
TEST(FindOpenCommand, DefaultApplicationOfTheExtensionsTypeCleaned)
{
    const QString apps = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/applications";
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    ASSERT_TRUE(QDir().mkpath(apps));
    ASSERT_TRUE(QDir().mkpath(config));
    const QString list = config + "/mimeapps.list";
    ASSERT_FALSE(QFile::exists(list));
    const std::pair<QString, QByteArray> written[] = {
        {apps + "/qbopen-a.desktop", "[Desktop Entry]\nExec=\"/usr/bin/qbplayer\" \"%f\"\n"},
        {apps + "/qbopen-v.desktop", "[Desktop Entry]\nExec=\"/opt/Q B/v\" --fs %U\n"},
        {list, "[Default Applications]\naudio/mpeg=qbopen-a.desktop\nvideo/mp4=qbopen-v.desktop\n"},
    };
    for (const auto& [path, text] : written) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    const std::pair<const char*, const char*> cases[] = {
        {"mp3", "/usr/bin/qbplayer"},
        {"MP3", "/usr/bin/qbplayer"},
        {"mp4", "/opt/Q B/v\" --fs"}, // arguments stay, with the path's closing quote
        {"mov", ""},                  // a type without default application
        {"zzqqunknown", ""},          // no type at all
        {"com/page", ""},
        {"", ""},
    };
    for (const auto& [extension, command] : cases)
        EXPECT_EQ(TNewsFeeder::FindOpenCommand(extension), QString(command)) << extension;
    for (const auto& entry : written)
        QFile::remove(entry.first);
}

struct LinkCase {
    const char* kind;
    const char* title;
    const char* link;
    const char* opened;  // what reaches the desktop, empty for nothing
    const char* refused; // the text named by the refusal, empty for none
};

TEST_F(OpenItemsTest, LinksOfItemsAndWebNodesOnlyAsWebOrMailLinks)
{
    const LinkCase cases[] = {
        {"RSS", "t", "https://news.example/a", "https://news.example/a", ""},
        {"RSS", "t", "  ftp://ftp.example/f.txt ", "ftp://ftp.example/f.txt", ""},
        {"RSS", "t", "file:///etc/passwd", "", "file:///etc/passwd"},
        {"RSS", "t", "/usr/bin/xterm", "", "/usr/bin/xterm"},
        {"RSS", "http://title.example/", "", "", ""}, // no title in place of a blank link
        {"WEB", "https://web.example/", " ", "https://web.example/", ""},
        {"WEB", "t", "smb://server/share", "", "smb://server/share"},
        {"WEB", "t", "mailto:desk@news.example", "mailto:desk@news.example", ""},
        {"WEB", "xterm -e sh", "", "", "xterm -e sh"},
    };
    for (const LinkCase& c : cases) {
        shell.opened.clear();
        dialogs.messages.clear();
        QTreeWidgetItem* node = DoubleClick(c.kind, c.title, c.link);
        const std::string label = QString("%1 %2").arg(c.kind, c.link).toStdString();
        EXPECT_EQ(shell.opened, QString(c.opened).isEmpty() ? QStringList() : QStringList{c.opened}) << label;
        if (QString(c.refused).isEmpty()) {
            EXPECT_TRUE(dialogs.messages.isEmpty()) << label;
        } else {
            ASSERT_EQ(dialogs.messages.size(), 1) << label;
            EXPECT_TRUE(dialogs.messages[0].contains(c.refused)) << label << dialogs.messages[0].toStdString();
        }
        // Opened or refused, the node no longer waits for a site icon; a
        // news item without link stays as it was.
        EXPECT_EQ(Item(node)->IconIdx, QString(c.link).trimmed().isEmpty() && QString(c.kind) == "RSS" ? -1 : -2) << label;
    }
    EXPECT_TRUE(shell.started.empty());
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(OpenItemsTest, TickerTargetsFollowTheSameRule)
{
    organiser->OpenTarget("https://news.example/ticker");
    organiser->OpenTarget("smb://server/x");
    organiser->OpenTarget("   ");
    EXPECT_EQ(shell.opened, QStringList{"https://news.example/ticker"});
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains("smb://server/x"));
}

TEST_F(OpenItemsTest, MediaGoToTheirPlayerAsOneArgumentAfterAQuestion)
{
    shell.commands["mp3"] = "\"/opt/Test Player/play\" --enqueue";
    shell.commands["html"] = "/usr/bin/browser";
    const QString episode = "http://pod.example/ep 1.mp3?id=7";

    dialogs.answers = {false}; // Cancel
    DoubleClick("RSS", "ep", episode);
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(dialogs.questions[0], ExecuteQuestion(episode, "/opt/Test Player/play\" --enqueue"));
    EXPECT_TRUE(shell.started.empty());
    EXPECT_TRUE(shell.opened.isEmpty());

    dialogs.answers = {true}; // OK
    DoubleClick("RSS", "ep", episode);
    ASSERT_EQ(shell.started.size(), 1u);
    EXPECT_EQ(shell.started[0], (QStringList{"/opt/Test Player/play", "--enqueue", episode}));
    EXPECT_TRUE(shell.lookedUp.contains("file.mp3"));

    // A page opens in the browser without a question, whatever its extension has.
    DoubleClick("WEB", "page", "http://news.example/index.html");
    // A film without player goes to the desktop, no question either.
    DoubleClick("RSS", "film", "http://pod.example/film.mov");
    EXPECT_EQ(shell.opened, (QStringList{"http://news.example/index.html", "http://pod.example/film.mov"}));
    EXPECT_EQ(dialogs.questions.size(), 2);
    EXPECT_EQ(shell.started.size(), 1u);
}

TEST_F(OpenItemsTest, FileNodesOpenByTypeNeverRunAndVanishedOnesAreReported)
{
    shell.commands["mp3"] = "/usr/bin/qbplayer";
    const QString script = FileWith("run.sh", "#!/bin/sh\necho hi\n");
    QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
    DoubleClick("FIL", "run.sh", script);
    EXPECT_EQ(shell.opened, QStringList{QUrl::fromLocalFile(script).toString()});

    const QString song = FileWith("song.mp3", "ID3");
    dialogs.answers = {true};
    DoubleClick("FIL", "song", song);
    ASSERT_EQ(shell.started.size(), 1u);
    EXPECT_EQ(shell.started[0], (QStringList{"/usr/bin/qbplayer", song}));

    const QString gone = files.filePath("gone.txt");
    DoubleClick("FIL", "gone", gone);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(gone));

    // A path that would read as an option is never handed to a player.
    FileWith("-x.mp3", "ID3");
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(files.path());
    dialogs.answers = {true};
    DoubleClick("FIL", "dash", "-x.mp3");
    QDir::setCurrent(cwd);
    EXPECT_EQ(shell.started.size(), 1u);
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.messages[1].contains("-x.mp3"));
    EXPECT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(shell.opened.size(), 1);
}

TEST_F(OpenItemsTest, DerivedViewNodesStandForTheTreeNodeOfTheSameItem)
{
    QTreeWidgetItem* feed = AddNode(nullptr, "RSH", "Feed", "http://feed.test/rss");
    QTreeWidgetItem* themeFeed = AddViewNode(organiser->tvTheme, nullptr, "Feed", NodeDataValue(feed));
    QTreeWidgetItem* orphan = AddViewNode(organiser->tvTheme, nullptr, "Orphan", 9999);
    QTreeWidgetItem* group = AddViewNode(organiser->tvTime, nullptr, "Today", -1);
    EXPECT_EQ(organiser->TreeNodeOf(feed), feed);
    EXPECT_EQ(organiser->TreeNodeOf(themeFeed), feed);
    EXPECT_EQ(organiser->TreeNodeOf(orphan), nullptr);
    EXPECT_EQ(organiser->TreeNodeOf(group), nullptr);
    EXPECT_EQ(organiser->TreeNodeOf(nullptr), nullptr);
}

TEST_F(OpenItemsTest, FeedsOfEveryViewAndTheReloadFetchIntoTheTree)
{
    QTreeWidgetItem* folder = AddNode(nullptr, "FLD", "Folder");
    QTreeWidgetItem* feed = AddNode(folder, "RSH", "Feed", "http://feed.test/rss");
    QTreeWidgetItem* themeFeed = AddViewNode(organiser->tvTheme, nullptr, "Feed", NodeDataValue(feed));
    downloader.Serve("http://feed.test/rss", SmallFeed("feed", 2));

    organiser->tvTheme->setCurrentItem(themeFeed);
    organiser->tvTreeDblClick(organiser->tvTheme);
    EXPECT_EQ(downloader.Urls(), QStringList{"http://feed.test/rss"});
    EXPECT_EQ(feed->childCount(), 2);
    EXPECT_TRUE(feed->isExpanded());
    EXPECT_EQ(organiser->tvTree->topLevelItemCount(), 1); // no second feed

    // The reload runs the same on the active tab, once the command has returned.
    organiser->PageControl1->setCurrentIndex(4);
    organiser->PostReload();
    EXPECT_EQ(downloader.Calls().size(), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(downloader.Calls().size(), 2);
    EXPECT_EQ(feed->childCount(), 2);

    // A folder opens nothing; neither does a double-click without selection.
    organiser->tvTree->setCurrentItem(folder);
    organiser->tvTreeDblClick(organiser->tvTree);
    organiser->tvTreeDblClick(nullptr);
    EXPECT_EQ(downloader.Calls().size(), 2);
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(OpenItemsTest, OpenLinkFetchesTheSelectedTreeNode)
{
    ASSERT_NE(organiser->acOpenLink, nullptr);
    EXPECT_EQ(organiser->acOpenLink->text(), "Open Link ..");
    QTreeWidgetItem* feed = AddNode(nullptr, "RSH", "Feed", "http://feed.test/rss");
    downloader.Serve("http://feed.test/rss", SmallFeed("feed", 3));
    organiser->acOpenLink->trigger(); // nothing selected: nothing
    EXPECT_TRUE(downloader.Calls().isEmpty());
    organiser->tvTree->setCurrentItem(feed);
    organiser->acOpenLink->trigger();
    EXPECT_EQ(downloader.Urls(), QStringList{"http://feed.test/rss"});
    EXPECT_EQ(feed->childCount(), 3);
}

TEST_F(OpenItemsTest, FileMenuOpensCopiesAndShowsProperties)
{
    ASSERT_NE(organiser->acContext, nullptr);
    EXPECT_EQ(organiser->acContext->text(), "File Context Menu");
    const QString path = FileWith("notes.txt", "hello");
    QTreeWidgetItem* node = AddNode(nullptr, "FIL", "notes", path);
    organiser->PageControl1->setCurrentIndex(5);
    organiser->tvTree->setCurrentItem(node);
    organiser->acContext->trigger();
    auto* menu = organiser->findChild<QMenu*>("mnFileContext");
    ASSERT_NE(menu, nullptr);
    QStringList entries;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            entries << a->text();
    EXPECT_EQ(entries, (QStringList{"Open", "Open Containing Folder", "Copy Path", "Properties"}));

    menu->findChild<QAction*>("acFileOpen")->trigger();
    menu->findChild<QAction*>("acFileOpenFolder")->trigger();
    EXPECT_EQ(shell.opened, (QStringList{QUrl::fromLocalFile(path).toString(), QUrl::fromLocalFile(files.path()).toString()}));
    menu->findChild<QAction*>("acFileCopyPath")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), path);
    menu->findChild<QAction*>("acFileProperties")->trigger();
    auto* dialog = organiser->findChild<TFilePropertiesDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->lbPath->text(), QDir::toNativeSeparators(path));
    EXPECT_EQ(dialog->lbSize->text(), "5 bytes");
    EXPECT_TRUE(dialog->lbKind->text().contains("text/plain"));
    EXPECT_TRUE(dialog->lbPermissions->text().startsWith("rw"));
    EXPECT_TRUE(shell.started.empty());
}

TEST_F(OpenItemsTest, FileMenuAndPropertiesOfAVanishedPathOnlyReport)
{
    const QString gone = files.filePath("gone.txt");
    QTreeWidgetItem* node = AddNode(nullptr, "FIL", "gone", gone);
    organiser->PageControl1->setCurrentIndex(5);
    organiser->tvTree->setCurrentItem(node);
    organiser->acContext->trigger();
    organiser->ShowFileProperties(gone);
    EXPECT_EQ(organiser->findChild<QMenu*>("mnFileContext"), nullptr);
    EXPECT_EQ(organiser->findChild<TFilePropertiesDialog*>(), nullptr);
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.messages[0].contains(gone));
    // Other kinds have no file menu.
    organiser->tvTree->setCurrentItem(AddNode(nullptr, "WEB", "w", "http://w.example/"));
    organiser->acContext->trigger();
    EXPECT_EQ(organiser->findChild<QMenu*>("mnFileContext"), nullptr);
    EXPECT_EQ(dialogs.messages.size(), 2);
}

TEST(FilePropertiesText, PermissionsAndSizes)
{
    using P = QFileDevice;
    EXPECT_EQ(TFilePropertiesDialog::PermissionText(P::ReadOwner | P::WriteOwner | P::ExeOwner | P::ReadGroup
                                                    | P::ExeGroup | P::ReadOther),
              "rwxr-xr--");
    EXPECT_EQ(TFilePropertiesDialog::PermissionText({}), "---------");
    EXPECT_EQ(TFilePropertiesDialog::PermissionText(P::WriteOther), "-------w-");
    EXPECT_EQ(TFilePropertiesDialog::SizeText(0), "0 bytes");
    EXPECT_EQ(TFilePropertiesDialog::SizeText(1), "1 byte");
    EXPECT_EQ(TFilePropertiesDialog::SizeText(1023), "1,023 bytes");
    EXPECT_EQ(TFilePropertiesDialog::SizeText(2048), "2,048 bytes (2.00 KiB)");
}

class TickerOpenLink : public TickerFixture {};

TEST_F(TickerOpenLink, DoubleClickOnTheStripOpensTheCurrentLinkThroughTheOrganiser)
{
    auto item = Item("Headline", "https://news.example/headline");
    view->ShowItem(*item);
    for (QLabel* target : {view->lbRss, view->Image1, view->imSpeaker, view->imVideo, view->imClose}) {
        view->DragAnchor = QPoint(4, 4);
        view->SetOpacity(40);
        QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
        if (target == view->imClose)
            continue;
        EXPECT_EQ(view->DragAnchor, QPoint(-1, -1));
        EXPECT_EQ(view->Opacity(), 255);
    }
    EXPECT_EQ(host.Opened, QStringList(4, "https://news.example/headline")); // not the close glyph
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // The strip's menu entry does the same.
    view->DragAnchor = QPoint(4, 4);
    view->OpenRSSLink1->trigger();
    EXPECT_EQ(host.Opened.size(), 5);
    EXPECT_EQ(view->DragAnchor, QPoint(-1, -1));
    EXPECT_TRUE(view->PopupMenu1->actions().contains(view->OpenRSSLink1));
}

} // namespace
