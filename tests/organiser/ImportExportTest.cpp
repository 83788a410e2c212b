// Load, Merge, Save As and Save Selection As from the organiser: what reaches
// the tree and the derived views, and that a file that cannot be read changes
// nothing at all.
#include "organiser/OrganiserFixture.h"

#include "model/NewsFiles.h"
#include "organiser/InterfaceTexts.h"

#include <QFile>
#include <QFileInfo>
#include <QTreeWidgetItemIterator>

namespace {

// "Caption" per node in pre-order, children indented by two blanks.
QStringList Shape(QTreeWidget* view)
{
    QStringList r;
    for (QTreeWidgetItemIterator it(view); *it; ++it) {
        int depth = 0;
        for (QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent())
            ++depth;
        r << QString(depth * 2, ' ') + (*it)->text(0);
    }
    return r;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray NewsXml(const QString& nodes)
{
    return (QStringLiteral("<?xml version=\"1.0\" encoding =\"UTF-8\"?>\r\n<Quorbel>") + nodes
            + QStringLiteral("</Quorbel>\r\n"))
        .toUtf8();
}

QString Node(const QString& title, const QString& kind = QStringLiteral("FLD"), const QString& inner = QString())
{
    return QStringLiteral("<node><Title>%1</Title><NewsType>%2</NewsType><TimeStamp>0</TimeStamp>"
                          "<IconIdx>3</IconIdx>%3</node>")
        .arg(title, kind, inner);
}

class ImportExportTest : public OrganiserFixture {
protected:
    void SetUp() override
    {
        CreateOrganiser();
        organiser->TreeLoaded = true; // start-up has run: updates go on after a load
        news = AddNode(nullptr, kFolder, "News");
        feed = AddNode(news, kFeed, "Feed (2 of 2)", "http://feed.test/rss");
        AddNode(feed, kNewsItem, "First", "http://feed.test/1", NowDateTime());
        AddNode(feed, kNewsItem, "Second", "http://feed.test/2", NowDateTime());
        AddNode(nullptr, kFolder, "Other");
        BuildCategoryViews(organiser->Views(), organiser->NewsStorageDuration);
    }

    QTreeWidgetItem* news = nullptr;
    QTreeWidgetItem* feed = nullptr;
};

TEST_F(ImportExportTest, AFileThatCannotBeLoadedChangesNothing)
{
    WriteFile(home.File("broken.xml"), "<Quorbel><node><Title>x</Title>");
    WriteFile(home.File("rss.xml.rss"), "<rss><channel/></rss>");
    WriteFile(home.File("wrongroot.xml"), NewsXml("").replace("Quorbel", "rss"));
    WriteFile(home.File("empty.xml"), NewsXml(""));
    WriteFile(home.File("damaged.qbx"), QByteArray("\x78\xda not a zlib stream", 20));
    WriteFile(home.File("nobody.opml"), "<opml version=\"2.0\"><head/></opml>");
    WriteFile(home.File("notes.txt"), "plain text");
    const QStringList names{"missing.xml", "broken.xml", "wrongroot.xml", "empty.xml", "damaged.qbx",
                            "nobody.opml", "notes.txt", "rss.xml.rss"};
    const QStringList shape = Shape(organiser->tvTree);
    const int listCount = data.NewsList.Count();
    const int webCount = organiser->tvWeb->topLevelItemCount();
    ASSERT_GT(webCount, 0);
    for (const QString& name : names) {
        dialogs.messages.clear();
        const QString path = home.File(name);
        for (bool merge : {false, true}) {
            dialogs.files.push_back(path);
            dialogs.answers = {true}; // yes, replace the tree
            if (merge)
                organiser->acMerge->trigger();
            else
                organiser->acLoad->trigger();
            EXPECT_EQ(dialogs.messages.value(merge ? 1 : 0), FormatText(OrganiserTexts.SErrNotPossibleFileLoad, path))
                << name.toStdString();
            EXPECT_EQ(Shape(organiser->tvTree), shape) << name.toStdString();
            EXPECT_EQ(data.NewsList.Count(), listCount) << name.toStdString();
            EXPECT_EQ(organiser->tvWeb->topLevelItemCount(), webCount) << name.toStdString();
        }
    }
    EXPECT_FALSE(QFileInfo::exists(home.File("News.qbx"))); // nothing was stored
    EXPECT_TRUE(organiser->Timer1->isActive());              // the updates go on
}

TEST_F(ImportExportTest, SaveAndLoadEachFormatGiveTheTreeBack)
{
    // Each format keeps what it is made for: XML and containers the whole
    // tree (NSD 0 keeps the items in XML), OPML the folders and feeds.
    TTreeItem* feedItem = Item(feed);
    feedItem->SetOption(kOptStorageDays, "0");
    const QStringList whole = Shape(organiser->tvTree);
    dialogs.files.push_back(home.File("start.qbx"));
    organiser->acSaveAs->trigger();
    const struct {
        const char* name;
        QStringList expected;
    } rows[] = {
        {"export.XML", {"News", "  Feed", "    First", "    Second", "Other"}},
        {"export.QBX", whole},
        {"export.opml", {"News", "  Feed"}},
    };
    for (const auto& row : rows) {
        dialogs.files.push_back(home.File("start.qbx"));
        dialogs.answers = {true};
        organiser->acLoad->trigger();
        Settle();
        ASSERT_EQ(Shape(organiser->tvTree), whole);
        const QString path = home.File(row.name);
        dialogs.files.push_back(path);
        organiser->acSaveAs->trigger();
        ASSERT_TRUE(QFileInfo::exists(path)) << row.name << dialogs.messages.join('|').toStdString();
        for (int round = 0; round < 2; ++round) { // loading twice gives the same tree
            dialogs.files.push_back(path);
            dialogs.answers = {true};
            organiser->acLoad->trigger();
            EXPECT_EQ(Shape(organiser->tvTree), row.expected) << row.name;
        }
        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('|').toStdString();
        // The derived views are built anew from the loaded tree.
        EXPECT_EQ(organiser->tvWeb->topLevelItemCount() > 0, row.expected.size() > 3) << row.name;
    }
}

TEST_F(ImportExportTest, SaveSelectionWritesTheBranchInEveryFormat)
{
    organiser->tvTree->setCurrentItem(feed);
    for (const QString name : {"branch.qbx", "branch.xml"}) {
        dialogs.files.push_back(home.File(name));
        organiser->acSaveSelection->trigger();
        TTreeList read;
        ASSERT_TRUE(ReadNewsFile(home.File(name), read)) << name.toStdString();
        // The container keeps the title as it is; XML drops the count.
        EXPECT_EQ(read.Items(0)->Title, name.endsWith("qbx") ? "Feed (2 of 2)" : "Feed") << name.toStdString();
        EXPECT_EQ(read.Items(0)->NextSibling, -1) << name.toStdString(); // nothing beside the branch
    }
    // A name of no format, and a target folder that does not exist, are reported.
    dialogs.files.push_back(home.File("branch.txt"));
    organiser->acSaveAs->trigger();
    dialogs.files.push_back(home.File("nowhere/branch.xml"));
    organiser->acSaveAs->trigger();
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(dialogs.messages[0], FormatText(OrganiserTexts.SNoFileFormat, home.File("branch.txt")));
    EXPECT_TRUE(dialogs.messages[1].startsWith(FormatText(OrganiserTexts.SErrStoringFile, home.File("nowhere/branch.xml"))));
    EXPECT_FALSE(QFileInfo::exists(home.File("branch.txt")));
    // The live tree is as it was: counts on the feed, time stamps untouched.
    EXPECT_EQ(feed->text(0), "Feed (2 of 2)");
}

TEST_F(ImportExportTest, MergeJoinsOnlyTheFirstTopLevelNodeByTitle)
{
    // The file's first folder has the title of the tree's second: its
    // children go there; its other top-level nodes come after the last.
    const QString path = home.File("merge.xml");
    WriteFile(path, NewsXml(Node("other", "FLD", Node("Inside")) + Node("Third")));
    dialogs.files.push_back(path);
    organiser->acMerge->trigger();
    EXPECT_EQ(Shape(organiser->tvTree),
              QStringList({"News", "  Feed (2 of 2)", "    First", "    Second", "Other", "  Inside", "Third"}));
    EXPECT_GT(organiser->tvWeb->topLevelItemCount(), 0); // rebuilt, not left empty

    // 'A' with the children 'A' and 'b' into a tree 'A': the child 'A' is
    // taken to be the tree's 'A' itself and 'b', beside it, goes to the top level.
    organiser->tvTree->clear();
    AddNode(nullptr, kFolder, "A");
    WriteFile(path, NewsXml(Node("A", "FLD", Node("A") + Node("b"))));
    dialogs.files.push_back(path);
    organiser->acMerge->trigger();
    EXPECT_EQ(Shape(organiser->tvTree), QStringList({"A", "b"}));

    // Climbing two levels out of a branch places the next node beside its top.
    WriteFile(path, NewsXml(Node("X", "FLD", Node("Y", "FLD", Node("Z"))) + Node("W")));
    dialogs.files.push_back(path);
    organiser->acMerge->trigger();
    Settle();
    EXPECT_EQ(Shape(organiser->tvTree), QStringList({"A", "b", "X", "  Y", "    Z", "W"}));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(ImportExportTest, LoadWaitsForTheOperationHoldingTheNodes)
{
    const QString path = home.File("later.xml");
    WriteFile(path, NewsXml(Node("Replaced")));
    {
        TBusyState::THold busy(*organiser->Busy);
        dialogs.files.push_back(path);
        dialogs.answers = {true};
        organiser->acLoad->trigger();
        QCoreApplication::processEvents();
        EXPECT_EQ(organiser->tvTree->topLevelItem(0)->text(0), "News");
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(Shape(organiser->tvTree), QStringList({"Replaced"}));
}

TEST_F(ImportExportTest, LoadAsksBeforeReplacingATreeThatHoldsAnything)
{
    const QString path = home.File("subscriptions.opml");
    WriteFile(path, "<opml version=\"2.0\"><body><outline text=\"Imported\" xmlUrl=\"http://i.test/rss\"/></body></opml>");
    AddNode(nullptr, kNote, "Shopping list");
    const QStringList before = Shape(organiser->tvTree);
    dialogs.files.push_back(path);
    organiser->acLoad->trigger(); // answered No
    ASSERT_EQ(dialogs.questions.size(), 1);
    EXPECT_EQ(dialogs.questions[0], FormatTexts(OrganiserTexts.SLoadReplaces, {"1", "2", "1", path}));
    EXPECT_EQ(Shape(organiser->tvTree), before);
    EXPECT_TRUE(organiser->Timer1->isActive());

    dialogs.files.push_back(path);
    dialogs.answers = {true};
    organiser->acLoad->trigger();
    EXPECT_EQ(Shape(organiser->tvTree), QStringList({"Imported"}));
    // An empty tree is replaced without a question.
    organiser->tvTree->clear();
    dialogs.files.push_back(path);
    organiser->acLoad->trigger();
    EXPECT_EQ(dialogs.questions.size(), 2);
    EXPECT_EQ(Shape(organiser->tvTree), QStringList({"Imported"}));
}

TEST_F(ImportExportTest, MergeJoinsFeedsOnlyWhenTitleAndLinkAgree)
{
    // Three subscriptions of one publisher share a title: each stays its own
    // feed; the one whose link matches the tree's feed joins it.
    organiser->tvTree->clear();
    QTreeWidgetItem* paper = AddNode(nullptr, kFeed, "City Evening News", "http://city.test/local");
    AddNode(paper, kNewsItem, "Known", "http://city.test/1");
    const auto feedNode = [](const QString& link, const QString& item) {
        return QStringLiteral("<node><Title>City Evening News</Title><NewsType>RSH</NewsType><Link>%1</Link>"
                              "<TimeStamp>0</TimeStamp>%2</node>")
            .arg(link, Node(item, "RSS"));
    };
    const QString path = home.File("three.xml");
    WriteFile(path, NewsXml(feedNode("http://city.test/local", "Local item") + feedNode("http://city.test/sport", "Sport item")
                            + feedNode("http://city.test/arts", "Arts item")));
    dialogs.files.push_back(path);
    organiser->acMerge->trigger();
    EXPECT_EQ(Shape(organiser->tvTree),
              QStringList({"City Evening News", "  Known", "  Local item", "City Evening News", "  Sport item",
                           "City Evening News", "  Arts item"}));
}

} // namespace
