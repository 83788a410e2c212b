// Paste and drop intake: which road a text or a drop takes, where new notes
// and file nodes land, and what happens to input that is large, empty or
// fails to fetch.
#include "organiser/OrganiserFixture.h"

#include "ticker/RssViews.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

namespace {
class IntakeTest : public OrganiserFixture {
protected:
    void SetUp() override
    {
        CreateOrganiser();
        organiser->TreeLoaded = true;
    }

    void Paste(const QString& text)
    {
        QGuiApplication::clipboard()->setText(text);
        organiser->acPaste->trigger();
    }

    static std::unique_ptr<QMimeData> TextData(const QString& text)
    {
        auto data = std::make_unique<QMimeData>();
        data->setText(text);
        return data;
    }

    QString Kind(QTreeWidgetItem* node) { return Item(node) ? Item(node)->NewsType : QString(); }

    QStringList Captions(QTreeWidgetItem* parent)
    {
        QStringList captions;
        const int n = parent ? parent->childCount() : organiser->tvTree->topLevelItemCount();
        for (int i = 0; i < n; ++i)
            captions << (parent ? parent->child(i) : organiser->tvTree->topLevelItem(i))->text(0);
        return captions;
    }

    // The URL an intake fetched: its first download (a new feed's site-icon
    // attempts follow it); empty when nothing was downloaded.
    std::string Fetches()
    {
        return downloader.Calls().isEmpty() ? std::string() : downloader.Calls().first().url.toStdString();
    }

    void Select(QTreeWidgetItem* node)
    {
        organiser->tvTree->clearSelection();
        if (node)
            organiser->tvTree->setCurrentItem(node);
    }

    void Reset()
    {
        organiser->tvTree->clear();
        downloader.ClearCalls();
        dialogs.messages.clear();
    }

    // Sends a whole drag, enter to drop, to target; tells whether the enter was taken as a copy.
    static bool DragAndDrop(QWidget* target, const QMimeData* data)
    {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        const bool taken = enter.isAccepted() && enter.dropAction() == Qt::CopyAction;
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        QCoreApplication::processEvents(); // the intake runs once the drag is over
        return taken;
    }

    QTemporaryDir files;
};

const QString kFeedURL = QStringLiteral("https://host.test/feed.xml");

TEST_F(IntakeTest, PasteTakesTheRoadItsTextCalls)
{
    const QString folder = files.path();
    downloader.Serve(kFeedURL, SmallFeed("f", 1));
    downloader.Serve("HTTP://HOST.TEST/", SmallFeed("g", 1));
    downloader.Serve("file:///feeds/h.xml", SmallFeed("h", 1));
    struct {
        QString text;
        QString fetched; // the URL handed to the fetch, empty for none
        QString kind;    // of the one node the paste leaves in the tree
    } cases[] = {
        {kFeedURL, kFeedURL, "RSH"},
        {"HTTP://HOST.TEST/", "HTTP://HOST.TEST/", "RSH"},             // the test ignores case
        {"file:///feeds/h.xml", "", "NTS"},                            // a file URL: the file road, no such file
        {"   " + kFeedURL + "\r\n", kFeedURL, "RSH"},                  // p = 4, fetched trimmed
        {"\t\n" + kFeedURL + " \n\n", kFeedURL, "RSH"},                // line breaks around it
        {"        x" + kFeedURL, "", "NTS"},                           // p = 10: a note
        {"          " + kFeedURL, "", "NTS"},                          // ten blanks: a note
        {"https://host.test/a?u=http://other.test/", "", "NTS"},       // "http://" is at 24
        {kFeedURL + " is my feed", "", "NTS"},                         // more than one token
        {"see " + kFeedURL, "", "NTS"},                                // p = 5, but two tokens
        {"https://host.test/\x01x", "", "NTS"},                        // a control character
        {"mailto:someone@host.test", "", "NTS"},
        {"", "", "NTS"},                                               // an empty note
        {folder, "", "FIL"},                                           // an existing folder
        {" " + folder + "/\n", "", "FIL"},                             // the same, trimmed
        {QUrl::fromLocalFile(folder).toString(), "", "FIL"},           // as a file URL
        {"~/" + QFileInfo(folder).fileName(), "", "FIL"},              // from the home folder
        {folder + "/missing.txt", "", "NTS"},                          // no such file
        {"Music", "", "NTS"},                                          // a word, whatever the working folder holds
        {".", "", "NTS"},
        {folder + "\n" + folder, "", "NTS"},                           // two lines
    };
    // "~/" stands for the home folder: the files' parent folder here.
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", QFileInfo(folder).absolutePath().toUtf8());
    // "Music" and "." name folders of the working folder, and still are words.
    const QString oldCurrent = QDir::currentPath();
    QDir(folder).mkdir("Music");
    QDir::setCurrent(folder);
    for (const auto& c : cases) {
        Reset();
        Paste(c.text);
        const QString row = c.text.left(60);
        EXPECT_EQ(Fetches(), c.fetched.toStdString()) << row.toStdString();
        ASSERT_EQ(organiser->tvTree->topLevelItemCount(), 1) << row.toStdString();
        QTreeWidgetItem* node = organiser->tvTree->topLevelItem(0);
        EXPECT_EQ(Kind(node), c.kind) << row.toStdString();
        if (c.kind == "NTS")
            EXPECT_EQ(Item(node)->RawText(), c.text) << row.toStdString(); // the note keeps the text as pasted
        if (c.kind == "FIL")
            EXPECT_EQ(Item(node)->Link, folder);
        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
    }
    qputenv("HOME", oldHome);
    QDir::setCurrent(oldCurrent);
}

TEST_F(IntakeTest, DroppedTextTakesTheRoadItsTextCalls)
{
    downloader.Serve(kFeedURL, SmallFeed("f", 1));
    struct {
        QString text;
        QString fetched;
        QString kind;
    } cases[] = {
        {kFeedURL, kFeedURL, "RSH"},
        {"\r\n  " + kFeedURL + "\r\n", kFeedURL, "RSH"},
        {"HTTP://HOST.TEST/", "", "NTS"},            // exact case for drops
        {"see http://host.test/x for more", "", "NTS"}, // not one token: kept as a note, nothing fetched
        {"plain words", "", "NTS"},
        {"", "", "NTS"},
    };
    for (const auto& c : cases) {
        Reset();
        organiser->DropDataObject(TextData(c.text).get());
        const std::string row = c.text.toStdString();
        EXPECT_EQ(Fetches(), c.fetched.toStdString()) << row;
        ASSERT_EQ(organiser->tvTree->topLevelItemCount(), 1) << row;
        EXPECT_EQ(Kind(organiser->tvTree->topLevelItem(0)), c.kind) << row;
        EXPECT_TRUE(dialogs.messages.isEmpty()) << row;
    }
    // No data, or data without text: nothing is added, and the user is told.
    Reset();
    const int pool = data.NewsList.Count();
    organiser->DropDataObject(nullptr);
    QMimeData picture;
    picture.setData("image/png", QByteArray("\x89PNG", 4));
    organiser->DropDataObject(&picture);
    EXPECT_EQ(organiser->tvTree->topLevelItemCount(), 0);
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(data.NewsList.Count(), pool);
}

TEST_F(IntakeTest, AFailedFetchKeepsTheTextAsANote)
{
    downloader.Fail("http://gone.test/feed");
    const QString pasted = "  http://gone.test/feed\n";
    Paste(pasted);
    EXPECT_EQ(dialogs.messages, QStringList{"Error downloading \"http://gone.test/feed\""});
    ASSERT_EQ(organiser->tvTree->topLevelItemCount(), 1);
    EXPECT_EQ(Kind(organiser->tvTree->topLevelItem(0)), "NTS");
    EXPECT_EQ(Item(organiser->tvTree->topLevelItem(0))->RawText(), pasted);

    Reset();
    organiser->DropDataObject(TextData("http://gone.test/feed").get());
    ASSERT_EQ(organiser->tvTree->topLevelItemCount(), 1);
    EXPECT_EQ(Item(organiser->tvTree->topLevelItem(0))->RawText(), "http://gone.test/feed");
}

TEST_F(IntakeTest, ADocumentThatIsNoFeedLeavesNoNote)
{
    // Downloaded, well-formed, but no feed: the text was a URL, not a note.
    downloader.Serve("http://json.test/data", "{\"rows\":[1,2]}");
    Paste("http://json.test/data");
    EXPECT_EQ(dialogs.messages, QStringList{"\"http://json.test/data\" is not a feed Quorbel can read"});
    EXPECT_EQ(organiser->tvTree->topLevelItemCount(), 0);
}

TEST_F(IntakeTest, AFetchWaitingForAnotherOperationDecidesWhenItRuns)
{
    downloader.Fail("http://gone.test/feed");
    downloader.Serve(kFeedURL, SmallFeed("f", 1));
    {
        // Another operation holds tree nodes: neither fetch nor note yet.
        TBusyState::THold busy(*organiser->Busy);
        Paste("http://gone.test/feed");
        organiser->DropDataObject(TextData(kFeedURL).get());
        EXPECT_TRUE(downloader.Calls().isEmpty());
        EXPECT_EQ(organiser->tvTree->topLevelItemCount(), 0);
    }
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(downloader.CallCount("http://gone.test/feed"), 1);
    EXPECT_EQ(downloader.CallCount(kFeedURL), 1);
    // The failed one became a note, the other a feed; no stray note for it.
    EXPECT_EQ(organiser->tvTree->topLevelItemCount(), 2);
    QStringList kinds;
    for (int i = 0; i < organiser->tvTree->topLevelItemCount(); ++i)
        kinds << Kind(organiser->tvTree->topLevelItem(i));
    kinds.sort();
    EXPECT_EQ(kinds, (QStringList{"NTS", "RSH"}));
}

TEST_F(IntakeTest, NewNodesLandBesideTheSelectionButNeverAmongNewsItems)
{
    // D [x], F (feed) [i1, i2, k], N, E [G (feed) [j1]]
    struct Tree {
        QTreeWidgetItem *D, *x, *F, *i1, *k, *N, *E, *G, *j1;
    };
    auto build = [&] {
        Reset();
        Tree t{};
        t.D = AddNode(nullptr, "FLD", "D");
        t.x = AddNode(t.D, "NTS", "x");
        t.F = AddNode(nullptr, "RSH", "F");
        t.i1 = AddNode(t.F, "RSS", "i1");
        AddNode(t.F, "RSS", "i2");
        t.k = AddNode(t.F, "NTS", "k");
        t.N = AddNode(nullptr, "NTS", "N");
        t.E = AddNode(nullptr, "FLD", "E");
        t.G = AddNode(t.E, "RSH", "G");
        t.j1 = AddNode(t.G, "RSS", "j1");
        return t;
    };
    // Each row: the selected node, then the parent a note goes under (as its
    // last child) and the parent a file node goes under (as its first child).
    struct Row {
        const char* name;
        QTreeWidgetItem* Tree::*selected; // nullptr: nothing selected
        QTreeWidgetItem* Tree::*noteParent;
        QTreeWidgetItem* Tree::*fileParent;
    } rows[] = {
        {"nothing", nullptr, nullptr, nullptr},
        {"folder D", &Tree::D, nullptr, &Tree::D},
        {"note x in D", &Tree::x, &Tree::D, &Tree::x}, // a note may hold a file node
        {"feed F", &Tree::F, nullptr, nullptr},
        {"news item i1", &Tree::i1, nullptr, nullptr},
        {"note k under F", &Tree::k, nullptr, nullptr},
        {"top note N", &Tree::N, nullptr, &Tree::N},
        {"feed G in E", &Tree::G, &Tree::E, &Tree::E},
        {"news item j1", &Tree::j1, &Tree::E, &Tree::E},
    };
    for (const Row& r : rows) {
        Tree t = build();
        Select(r.selected ? t.*r.selected : nullptr);
        QTreeWidgetItem* note = organiser->AddNoteFromText("a note");
        QTreeWidgetItem* noteParent = r.noteParent ? t.*r.noteParent : nullptr;
        EXPECT_EQ(note->parent(), noteParent) << r.name;
        const int siblings = noteParent ? noteParent->childCount() : organiser->tvTree->topLevelItemCount();
        EXPECT_EQ(noteParent ? noteParent->indexOfChild(note) : organiser->tvTree->indexOfTopLevelItem(note),
                  siblings - 1)
            << r.name;

        t = build();
        Select(r.selected ? t.*r.selected : nullptr);
        QTreeWidgetItem* file = organiser->AddFileNode("/nowhere/f.txt");
        QTreeWidgetItem* fileParent = r.fileParent ? t.*r.fileParent : nullptr;
        EXPECT_EQ(file->parent(), fileParent) << r.name;
        EXPECT_EQ(fileParent ? fileParent->indexOfChild(file) : organiser->tvTree->indexOfTopLevelItem(file), 0)
            << r.name;
    }
}

TEST_F(IntakeTest, ANoteIsTitledByItsFirstLineAndKeepsTheWholeText)
{
    const QString text = "First <b>line</b> &amp; more\r\nsecond line\nthird";
    QTreeWidgetItem* node = organiser->AddNoteFromText(text);
    ASSERT_NE(node, nullptr);
    const TTreeItem* item = Item(node);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->NewsType, "NTS");
    EXPECT_EQ(item->RawTitle, "First <b>line</b> &amp; more");
    EXPECT_EQ(node->text(0).toStdString(), "First line & more");
    EXPECT_EQ(item->RawText(), text);
    EXPECT_TRUE(item->Link.isEmpty());
    EXPECT_TRUE(item->Description.isEmpty());
    EXPECT_TRUE(item->Options.isEmpty());
    EXPECT_DOUBLE_EQ(item->TimeStamp, DateOf(NowDateTime())); // the date alone
    EXPECT_EQ(item->IconIdx, imgNote);
    EXPECT_EQ(NodeImage(node), imgNote);
    EXPECT_EQ(NodeSelectedImage(node), imgNote);
    EXPECT_EQ(NodeDataValue(node), data.NewsList.Count() - 1);
    EXPECT_TRUE(organiser->tvTree->updatesEnabled());
}

TEST_F(IntakeTest, AFileNodeIsNamedByTheLastPartOfItsPath)
{
    QFile real(files.filePath("report.txt"));
    ASSERT_TRUE(real.open(QIODevice::WriteOnly));
    real.close();
    struct {
        QString path;
        QString caption;
    } cases[] = {
        {"/nowhere/report 1.txt", "report 1.txt"},
        {files.filePath("report.txt"), "report.txt"},
        {files.path() + "/", QDir(files.path()).dirName()},
        {"/", "/"},
        {"plain", "plain"},
    };
    for (const auto& c : cases) {
        QTreeWidgetItem* node = organiser->AddFileNode(c.path);
        const TTreeItem* item = Item(node);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(node->text(0), c.caption) << c.path.toStdString();
        EXPECT_EQ(item->Title, c.caption);
        EXPECT_EQ(item->Link, c.path);
        EXPECT_EQ(item->NewsType, "FIL");
        EXPECT_DOUBLE_EQ(item->TimeStamp, NowDateTime());
    }
    EXPECT_EQ(NodeImage(organiser->tvTree->topLevelItem(4)), imgMissingFile); // "/nowhere/report 1.txt"
    EXPECT_NE(NodeImage(organiser->tvTree->topLevelItem(3)), imgMissingFile); // the existing file
}

TEST_F(IntakeTest, DroppedFilesBecomeFirstChildrenInReverseOrder)
{
    QTreeWidgetItem* folder = AddNode(nullptr, "FLD", "Folder");
    AddNode(folder, "NTS", "old");
    Select(folder);
    organiser->DropFiles({"/d/a", "/d/b", "/d/c"});
    EXPECT_EQ(Captions(folder), (QStringList{"c", "b", "a", "old"}));
    EXPECT_TRUE(organiser->tvTree->updatesEnabled());
}

TEST_F(IntakeTest, TheWindowTakesFilesBeforeTextAndSaysWhenADropCarriesNeither)
{
    ASSERT_TRUE(organiser->acceptDrops());
    const QString a = files.filePath("a.txt"), b = files.filePath("b.txt");
    struct {
        const char* name;
        QList<QUrl> urls;
        QString text; // null: none
        QStringList captions;
        int messages;
    } cases[] = {
        {"files and text", {QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)}, "ignored", {"b.txt", "a.txt"}, 0},
        {"text", {}, "a dropped line", {"a dropped line"}, 0},
        {"web link and text", {QUrl("http://host.test/x y")}, "two words", {"two words"}, 0},
        // A link alone is its own text: fetched, and kept as a note when that fails.
        {"web link alone", {QUrl("http://host.test/x")}, QString(), {"http://host.test/x"}, 1},
        {"nothing usable", {}, QString(), {}, 1},
    };
    for (const auto& c : cases) {
        Reset();
        QMimeData mime;
        if (!c.urls.isEmpty())
            mime.setUrls(c.urls);
        if (!c.text.isNull())
            mime.setText(c.text);
        if (c.urls.isEmpty() && c.text.isNull())
            mime.setData("image/png", QByteArray("\x89PNG", 4));
        EXPECT_TRUE(DragAndDrop(organiser.get(), &mime)) << c.name;
        EXPECT_EQ(Captions(nullptr), c.captions) << c.name;
        EXPECT_EQ(dialogs.messages.size(), c.messages) << c.name;
        EXPECT_EQ(Fetches(), c.captions == QStringList{"http://host.test/x"} ? "http://host.test/x" : "")
            << c.name;
    }
}

TEST_F(IntakeTest, ADropOnTheTickerLandsOnTheTopLevel)
{
    QTreeWidgetItem* folder = AddNode(nullptr, "FLD", "Folder");
    AddNode(nullptr, "NTS", "last");
    TRSSView ticker;
    ticker.SetHost(organiser.get());
    ASSERT_TRUE(ticker.acceptDrops());

    Select(folder);
    EXPECT_TRUE(DragAndDrop(&ticker, TextData("ticker note").get()));
    EXPECT_EQ(Captions(nullptr), (QStringList{"Folder", "last", "ticker note"}));
    EXPECT_EQ(folder->childCount(), 0);

    Select(folder);
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile("/d/file.txt")});
    EXPECT_TRUE(DragAndDrop(&ticker, &dropped));
    EXPECT_EQ(Captions(nullptr), (QStringList{"file.txt", "Folder", "last", "ticker note"}));
    EXPECT_EQ(folder->childCount(), 0);

    // Without an organiser the ticker still takes the drop, and nothing happens.
    ticker.SetHost(nullptr);
    EXPECT_TRUE(DragAndDrop(&ticker, TextData("lost").get()));
    EXPECT_EQ(organiser->tvTree->topLevelItemCount(), 4);
}

TEST_F(IntakeTest, LargeAndEmptyInputIsTakenInWithoutDelay)
{
    QElapsedTimer timer;
    timer.start();

    // A megabyte of text on one line: one note, its whole text the title.
    const QString big(1 << 20, QChar('w'));
    Paste(big);
    ASSERT_EQ(organiser->tvTree->topLevelItemCount(), 1);
    EXPECT_EQ(Item(organiser->tvTree->topLevelItem(0))->RawText().size(), big.size());
    EXPECT_EQ(organiser->tvTree->topLevelItem(0)->text(0).size(), big.size());

    // A megabyte that starts like a URL but holds blanks: a note, no fetch.
    Reset();
    QString spaced = "http://host.test/ ";
    spaced += QString(1 << 20, QChar('x'));
    spaced += "\nsecond line";
    Paste(spaced);
    EXPECT_EQ(Fetches(), "");
    ASSERT_EQ(organiser->tvTree->topLevelItemCount(), 1);
    EXPECT_EQ(Item(organiser->tvTree->topLevelItem(0))->RawText(), spaced);

    // A thousand files at once: a thousand nodes, the last dropped first.
    Reset();
    QStringList many;
    for (int i = 0; i < 1000; ++i)
        many << QStringLiteral("/d/file%1").arg(i);
    organiser->DropFiles(many);
    ASSERT_EQ(organiser->tvTree->topLevelItemCount(), 1000);
    EXPECT_EQ(organiser->tvTree->topLevelItem(0)->text(0), "file999");
    EXPECT_EQ(organiser->tvTree->topLevelItem(999)->text(0), "file0");

    // Empty input: an empty clipboard is an empty note, no files add nothing.
    Reset();
    Paste(QString());
    organiser->DropFiles({});
    ASSERT_EQ(organiser->tvTree->topLevelItemCount(), 1);
    EXPECT_TRUE(Item(organiser->tvTree->topLevelItem(0))->RawText().isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_LT(timer.elapsed(), 20000);
}

TEST_F(IntakeTest, InputBeforeTheTreeIsBuiltWaitsForIt)
{
    organiser->Busy->SetTreeReady(false);
    const int before = data.NewsList.Count();
    Paste("a note too early");
    organiser->DropDataObject(TextData("a drop too early").get());
    organiser->DropFiles({"/d/early"});
    QCoreApplication::processEvents();
    EXPECT_EQ(organiser->tvTree->topLevelItemCount(), 0);
    EXPECT_EQ(data.NewsList.Count(), before);
    // Once built, the tree takes them in the order they came.
    organiser->Busy->SetTreeReady(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(Captions(nullptr), QStringList({"early", "a note too early", "a drop too early"}));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}
} // namespace
