#include "model/NewsXml.h"

#include "model/DateTime.h"
#include "model/ViewNodes.h"
#include "support/LockedFolder.h"
#include "support/FileBytes.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// One node of a tree to build: its depth (0 = top level) and fields.
struct TNodeRow {
    int depth;
    QString kind;
    QString title;
    QString link = {};
    QString description = {};
    QStringList options = {};
    QString text = {};
    int iconIdx = -1;
    QString iconUrl = {};
    TDateTime lastShown = 0;
};

// Fills list and view with rows in pre-order; returns the view nodes.
std::vector<QTreeWidgetItem*> Build(TTreeList& list, QTreeWidget& view, const std::vector<TNodeRow>& rows)
{
    std::vector<QTreeWidgetItem*> nodes;
    std::vector<QTreeWidgetItem*> parents;
    for (const TNodeRow& s : rows) {
        TTreeItem item;
        item.NewsType = s.kind;
        item.SetTitle(s.title);
        item.Link = s.link;
        item.SetDescription(s.description);
        item.Options = s.options;
        item.SetText(s.text);
        item.IconIdx = s.iconIdx;
        item.SetIconURL(s.iconUrl);
        item.LastShown = s.lastShown;
        item.TimeStamp = 45000.5;
        const int index = list.AddCopy(item);
        parents.resize(static_cast<size_t>(s.depth));
        QTreeWidgetItem* parent = parents.empty() ? nullptr : parents.back();
        QTreeWidgetItem* node = AddViewNode(&view, parent, item.Title, index);
        parents.push_back(node);
        nodes.push_back(node);
    }
    return nodes;
}

// The view as text: captions, children in parentheses.
QString Shape(const QTreeWidgetItem* node)
{
    QStringList parts;
    for (int i = 0; i < node->childCount(); ++i)
        parts << Shape(node->child(i));
    return parts.isEmpty() ? node->text(0) : node->text(0) + '(' + parts.join(' ') + ')';
}
QString Shape(const QTreeWidget& view)
{
    QStringList parts;
    for (int i = 0; i < view.topLevelItemCount(); ++i)
        parts << Shape(view.topLevelItem(i));
    return parts.join(' ');
}


// Depth of the deepest node below the top level, walked without recursion.
int Depth(const QTreeWidget& view)
{
    int depth = 0;
    for (const QTreeWidgetItem* n = view.topLevelItem(0); n; n = n->child(0))
        ++depth;
    return depth;
}

class NewsXmlTest : public ::testing::Test {
protected:
    QString File(const QString& name = QStringLiteral("news.xml")) const { return home.File(name); }

    // Reads file and places the result in readView; false when reading failed.
    bool ReadBack(const QString& file, QString* error = nullptr)
    {
        if (!ReadNewsXml(file, readList, error))
            return false;
        readList.BuildTreeView(&readView);
        return true;
    }
    bool ReadText(const QByteArray& xml, QString* error = nullptr)
    {
        const QString file = File(QStringLiteral("in.xml"));
        return WriteBytes(file, xml) && ReadBack(file, error);
    }
    const TTreeItem& ReadItem(const QTreeWidgetItem* node) const
    {
        return *readList.Items(static_cast<int>(NodeDataValue(node)));
    }

    TempProgramFolder home;
    TTreeList list;
    QTreeWidget view;
    TTreeList readList;
    QTreeWidget readView;
};

TDateTime Shown() { return ToDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)); }

TEST_F(NewsXmlTest, RoundTripKeepsFieldsAndNesting)
{
    // What is written and what comes back: feed titles lose their count
    // suffix, IconURL is kept for feeds and web links only.
    const struct {
        TNodeRow row;
        QString readTitle;
        bool iconUrlKept;
    } cases[] = {
        {{0, "FLD", "Folder", "", "", {}, "", 3}, "Folder", false},
        {{1, "RSH", "Feed (3 of 12)", "https://example.com/feed.xml", "Channel <b>bold</b>\nline two",
          {"NSD=0", "SDR=1", "SNF=12"}, "", 4, "https://example.com/favicon.ico"},
         "Feed", true},
        {{2, "RSS", QString::fromUtf8("Item \xC3\xA9n \xE2\x80\x93 \xE6\x97\xA5\xE6\x9C\xAC \"quoted\""),
          "https://example.com/a?x=1&y=2",
          "<p>First &amp; line</p>\r\n<p>Second\tline</p>\nThird\rFourth <![CDATA[ ]]> ]]>",
          {"SDR=1"}, "", 4, "", Shown()},
         "", false},
        {{2, "RSS", "Second item", "https://example.com/b", "", {}, "", 4}, "", false},
        {{1, "NTS", "Note (3)", "", QString::fromUtf8("Line one\nLine two \xC3\xBC"), {},
          QString::fromUtf8("Line one\nLine two \xC3\xBC"), 0},
         "", false},
        {{1, "WEB", "Site", "https://example.org/", "", {}, "", 5, "https://example.org/icon.ico"}, "", true},
        {{0, "FIL", "File", "/tmp/some file.txt", "", {}, "", 1, "ignored"}, "", false},
        {{0, "FLD", "Empty folder", "", "", {}, "", 3}, "", false}, // placed folders show the folder image
    };
    std::vector<TNodeRow> rows;
    for (const auto& c : cases)
        rows.push_back(c.row);
    Build(list, view, rows);

    ASSERT_TRUE(SaveToXml(&view, list, File(), false, 7));
    QString error;
    ASSERT_TRUE(ReadBack(File(), &error)) << error.toStdString();
    EXPECT_EQ(Shape(readView), "Folder(Feed(" + cases[2].row.title
                                   + " Second item) Note (3) Site) File Empty folder");

    // Pre-order over the read view matches the table row by row.
    int row = 0;
    for (QTreeWidgetItemIterator it(&readView); *it; ++it, ++row) {
        ASSERT_LT(row, static_cast<int>(std::size(cases)));
        const auto& c = cases[row];
        const TTreeItem& item = ReadItem(*it);
        SCOPED_TRACE(c.row.title.toStdString());
        EXPECT_EQ(item.NewsType, c.row.kind);
        EXPECT_EQ(item.Title, c.readTitle.isEmpty() ? c.row.title : c.readTitle);
        EXPECT_EQ(item.Link, c.row.link);
        EXPECT_EQ(item.Description, c.row.description);
        EXPECT_EQ(item.Options, c.row.options);
        EXPECT_EQ(item.Text(), c.row.text);
        EXPECT_EQ(item.IconIdx, c.row.iconIdx);
        EXPECT_EQ(item.IconURL(), c.iconUrlKept ? c.row.iconUrl : QString());
        EXPECT_DOUBLE_EQ(item.LastShown, c.row.lastShown);
        EXPECT_EQ(item.TimeStamp, c.row.kind == kNewsItem ? 45000.5 : 0); // items keep their date
    }
    EXPECT_EQ(row, static_cast<int>(std::size(cases)));

    // Newlines inside texts end their lines with CR LF too.
    const QByteArray bytes = ReadBytes(File());
    for (qsizetype i = bytes.indexOf('\n'); i >= 0; i = bytes.indexOf('\n', i + 1))
        ASSERT_EQ(bytes[i - 1], '\r') << "bare LF at byte " << i;
}

TEST_F(NewsXmlTest, WritesTheFieldsInOrderUnderTheirConditions)
{
    Build(list, view,
          {
              {0, "FLD", "News", "", "", {}, "", 3},
              {1, "RSH", "Feed(2)", "http://x/rss", " ", {"NSD=7"}, "", 2, "http://x/favicon.ico"},
              {2, "RSS", "Hidden item"},
              {0, "RSS", "Item", "http://x/1", "a < b", {}, "", -1, "", Shown()},
              {0, "NTS", "Note", " ", "plain", {}, "body", 0, "http://not/written"},
              {0, "WEB", "Bell", "http://w",
               QString::fromUtf8("a\x07" "b") + QChar(0xD800)
                   + QString::fromUtf8("c\xF0\x9F\x98\x80\xEF\xBF\xBF"),
               {}, "", 6},
          });
    ASSERT_TRUE(SaveToXml(&view, list, File(), false, 0));
    const QByteArray expected =
        "<?xml version=\"1.0\" encoding =\"UTF-8\"?>\r\n"
        "<Quorbel>\r\n"
        "  <node>\r\n"
        "    <Title>News</Title>\r\n"
        "    <NewsType>FLD</NewsType>\r\n"
        "    <TimeStamp>0</TimeStamp>\r\n"
        "    <IconIdx>3</IconIdx>\r\n"
        "    <node>\r\n"
        "      <Title>Feed</Title>\r\n"
        "      <NewsType>RSH</NewsType>\r\n"
        "      <Link>http://x/rss</Link>\r\n"
        "      <Options>NSD=7\r\n"
        "</Options>\r\n"
        "      <TimeStamp>0</TimeStamp>\r\n"
        "      <IconIdx>2</IconIdx>\r\n"
        "      <IconURL>http://x/favicon.ico</IconURL>\r\n"
        "    </node>\r\n"
        "  </node>\r\n"
        "  <node>\r\n"
        "    <Title>Item</Title>\r\n"
        "    <NewsType>RSS</NewsType>\r\n"
        "    <Link>http://x/1</Link>\r\n"
        "    <Description>a &lt; b</Description>\r\n"
        "    <TimeStamp>Wed, 15 Mar 2023 12:00:00</TimeStamp>\r\n"
        "    <LastShown>2024-05-06 07:08:09</LastShown>\r\n"
        "    <IconIdx>-1</IconIdx>\r\n"
        "  </node>\r\n"
        "  <node>\r\n"
        "    <Title>Note</Title>\r\n"
        "    <NewsType>NTS</NewsType>\r\n"
        "    <Description>plain</Description>\r\n"
        "    <TimeStamp>0</TimeStamp>\r\n"
        "    <Text>body</Text>\r\n"
        "    <IconIdx>0</IconIdx>\r\n"
        "  </node>\r\n"
        "  <node>\r\n"
        "    <Title>Bell</Title>\r\n"
        "    <NewsType>WEB</NewsType>\r\n"
        "    <Link>http://w</Link>\r\n"
        "    <Description>abc\xF0\x9F\x98\x80</Description>\r\n" // what XML cannot hold is dropped
        "    <TimeStamp>0</TimeStamp>\r\n"
        "    <IconIdx>6</IconIdx>\r\n"
        "  </node>\r\n"
        "</Quorbel>\r\n";
    EXPECT_EQ(ReadBytes(File()).toStdString(), expected.toStdString());
}

// A news item's date survives the trip to the second; other nodes are
// written with "0" and come back as never stamped.
TEST_F(NewsXmlTest, RoundTripKeepsItemDatesToTheSecond)
{
    const struct {
        QDate date;
        QTime time;
    } times[] = {
        {QDate(2026, 12, 9), QTime(10, 0, 0)},
        {QDate(2002, 5, 19), QTime(15, 21, 36, 789)}, // parts of a second go
        {QDate(2024, 2, 29), QTime(23, 59, 59, 999)},
        {QDate(2026, 3, 29), QTime(2, 30, 0)},        // an hour the clocks skip in Europe
        {QDate(2026, 10, 25), QTime(2, 30, 5)},       // an hour they pass twice
        {QDate(1899, 12, 29), QTime(6, 0, 1)},        // before day 0
        {QDate(9999, 12, 31), QTime(23, 59, 58)},
    };
    std::vector<TNodeRow> rows{{0, "RSH", "Feed", "http://x/rss", "", {"NSD=0"}}};
    for (size_t i = 0; i < std::size(times); ++i)
        rows.push_back({1, "RSS", QStringLiteral("Item %1").arg(i), QStringLiteral("http://x/%1").arg(i)});
    const std::vector<QTreeWidgetItem*> nodes = Build(list, view, rows);
    for (size_t i = 0; i < std::size(times); ++i)
        list.At(static_cast<int>(NodeDataValue(nodes[i + 1])))->TimeStamp = ToDateTime(times[i].date, times[i].time);

    ASSERT_TRUE(SaveToXml(&view, list, File(), false, 7));
    ASSERT_TRUE(ReadBack(File()));
    ASSERT_EQ(readList.Count(), static_cast<int>(rows.size()));
    EXPECT_EQ(readList.Items(0)->TimeStamp, 0); // the feed: fetched at once after a load
    for (size_t i = 0; i < std::size(times); ++i) {
        const QTime& t = times[i].time;
        EXPECT_EQ(readList.Items(static_cast<int>(i) + 1)->TimeStamp,
                  ToDateTime(times[i].date, QTime(t.hour(), t.minute(), t.second())))
            << i;
    }
}

TEST_F(NewsXmlTest, OnlyAFeedTitleLosesItsCountSuffix)
{
    const struct {
        const char* title;
        const char* bare; // TitleWithoutCount
    } cases[] = {
        {"Feed (3 of 12)", "Feed"},
        {"Feed(3)", "Feed"},
        {"Feed  (120)", "Feed"},
        {"Apple (AAPL) rises", "Apple (AAPL) rises"},
        {"(Beta) news", "(Beta) news"},
        {"Feed (3 of x)", "Feed (3 of x)"},
        {"Feed (3of 4)", "Feed (3of 4)"},
        {"Feed ()", "Feed ()"},
        {"Feed (-3)", "Feed (-3)"},
        {"Story (2) (5)", "Story (2)"},
        {"(3)", "(3)"}, // nothing would be left to read back
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TitleWithoutCount(c.title), c.bare) << c.title;

    // Written: only feeds are cut; every other kind keeps its title whole.
    Build(list, view,
          {{0, "RSH", "Feed (3 of 12)", "http://a"},
           {0, "FLD", "Notes (3)"},
           {0, "NTS", "Plan (2 of 4)"},
           {0, "RSH", "Apple (AAPL) rises", "http://b"},
           {0, "RSH", "(Beta) news", "http://c"}});
    ASSERT_TRUE(SaveToXml(&view, list, File(), false, 7));
    ASSERT_TRUE(ReadBack(File()));
    EXPECT_EQ(Shape(readView), "Feed Notes (3) Plan (2 of 4) Apple (AAPL) rises (Beta) news");
}

TEST_F(NewsXmlTest, FeedItemsAreWrittenOnlyWhenKeptForEver)
{
    // A feed F with two items, then a feed G: what is written, by F's
    // option and the default duration. Memory and view stay as they were.
    const struct {
        QStringList options;
        int defaultDuration;
        const char* shape;
    } cases[] = {
        {{"NSD=0"}, 7, "F(a b) G"}, {{"NSD=7"}, 0, "F G"}, {{}, 7, "F G"},
        {{}, 0, "F(a b) G"},        {{"NSD=-1"}, 0, "F G"}, {{"NSD=x"}, 0, "F(a b) G"},
    };
    for (const auto& c : cases) {
        TTreeList l;
        QTreeWidget v;
        Build(l, v,
              {{0, "RSH", "F", "http://f", "", c.options}, {1, "RSS", "a"}, {1, "RSS", "b"},
               {0, "RSH", "G", "http://g"}});
        ASSERT_TRUE(SaveToXml(&v, l, File(), false, c.defaultDuration));
        ASSERT_TRUE(ReadBack(File()));
        EXPECT_EQ(Shape(readView), c.shape) << c.options.join(',').toStdString();
        EXPECT_EQ(l.Items(0)->TimeStamp, 45000.5);
        EXPECT_EQ(Shape(v), "F(a b) G");
    }

    // What a file cannot show: a first child without an item, other kinds.
    TTreeItem rss, folder;
    rss.NewsType = kNewsItem;
    folder.NewsType = kFolder;
    const struct {
        const char* kind;
        const char* options;
        const TTreeItem* firstChild;
        bool descend;
    } decisions[] = {
        {"RSH", "NSD=0", nullptr, false}, {"RSH", "NSD=7", &folder, true}, {"FLD", "NSD=0", nullptr, false},
        {"FLD", "NSD=0", &rss, true},     {"FLD", "NSD=3", nullptr, true}, {"NTS", "", &rss, true},
    };
    for (const auto& d : decisions) {
        TTreeItem item(d.kind, "x", "", "", d.options, "0");
        EXPECT_EQ(DescendInto(item, d.firstChild, 7), d.descend) << d.kind << " " << d.options;
    }
}

TEST_F(NewsXmlTest, LeavesOutNodesWithoutCaptionOrItemAndChangesNoView)
{
    const auto nodes = Build(list, view,
                             {{0, "FLD", "A"}, {1, "FLD", "hidden"}, {2, "FLD", "under hidden"},
                              {1, "FLD", "B"}, {0, "FLD", "stray"}, {1, "FLD", "under stray"},
                              {0, "FLD", "C"}});
    nodes[1]->setText(0, QString());
    SetNodeDataValue(nodes[4], list.Count()); // stands for no item
    ASSERT_TRUE(SaveToXml(&view, list, File(), false, 7));
    ASSERT_TRUE(ReadBack(File()));
    EXPECT_EQ(Shape(readView), "A(B) C");
    EXPECT_EQ(Shape(view), "A((under hidden) B) stray(under stray) C");
}

TEST_F(NewsXmlTest, SelectionWritesOnlyTheSelectedBranch)
{
    const auto nodes = Build(list, view,
                             {{0, "FLD", "A"}, {1, "FLD", "B"}, {2, "FLD", "C"}, {3, "FLD", "D"},
                              {3, "FLD", "E"}, {4, "FLD", "E1"}, {2, "FLD", "F"}, {0, "FLD", "G"}});
    const QString target = File();

    // Nothing selected (a current node alone is not a selection): nothing written.
    view.setCurrentItem(nodes[2], 0, QItemSelectionModel::NoUpdate);
    view.clearSelection();
    QString error;
    EXPECT_FALSE(SaveToXml(&view, list, target, true, 7, &error));
    EXPECT_EQ(error, "No node selected");
    EXPECT_FALSE(QFileInfo::exists(target));

    nodes[2]->setSelected(true);
    ASSERT_TRUE(SaveToXml(&view, list, target, true, 7));
    ASSERT_TRUE(ReadBack(target));
    EXPECT_EQ(Shape(readView), "C(D E(E1))");

    // A branch given by its node, or the whole tree for none.
    ASSERT_TRUE(SaveToXml(&view, list, target, nodes[1], 7));
    ASSERT_TRUE(ReadBack(target));
    EXPECT_EQ(Shape(readView), "B(C(D E(E1)) F)");
    ASSERT_TRUE(SaveToXml(&view, list, target, static_cast<const QTreeWidgetItem*>(nullptr), 7));
    ASSERT_TRUE(ReadBack(target));
    EXPECT_EQ(Shape(readView), "A(B(C(D E(E1)) F)) G");

    // The current node wins when it is selected too.
    nodes[5]->setSelected(true);
    view.setCurrentItem(nodes[5], 0, QItemSelectionModel::NoUpdate);
    ASSERT_TRUE(SaveToXml(&view, list, target, true, 7));
    ASSERT_TRUE(ReadBack(target));
    EXPECT_EQ(Shape(readView), "E1");
}

TEST_F(NewsXmlTest, ReaderWalksTheElementTree)
{
    const struct {
        const char* name;
        QByteArray xml;
        const char* shape; // nullptr: the read fails
        const char* error = "";
    } cases[] = {
        {"root name in any case", "<QUORBEL><node><Title>A</Title></node></QUORBEL>", "A"},
        {"nesting and climbing",
         "<Quorbel><node><Title>A</Title><node><Title>B</Title><node><Title>C</Title></node></node></node>"
         "<node><Title>D</Title></node></Quorbel>",
         "A(B(C)) D"},
        {"blank-titled sibling: its nodes go under the node before",
         "<Quorbel><node><Title>A</Title><node><Title>B</Title></node>"
         "<node><Title> </Title><node><Title>X</Title></node><node><Title>Y</Title></node></node></node>"
         "<node><Title>D</Title></node></Quorbel>",
         "A(B(X Y)) D"},
        {"blank-titled first node: its nodes go to the top level",
         "<Quorbel><node><Title/><node><Title>X</Title></node></node><node><Title>Y</Title></node></Quorbel>",
         "X Y"},
        {"climbing: the anchor stops at the top level",
         "<Quorbel><node><Title/><node><Title>X</Title><node><Title>Z</Title></node></node></node>"
         "<node><Title/><node><Title>W</Title></node></node></Quorbel>",
         "X(Z W)"},
        {"climbing: the first step may leave no anchor",
         "<Quorbel><node><Title/><node><Title>X</Title></node></node>"
         "<node><Title/><node><Title>W</Title></node></node></Quorbel>",
         "X W"},
        {"a nested node is made whatever its title",
         "<Quorbel><node><Title>A</Title><node><NewsType>FLD</NewsType><node><Title>C</Title></node></node>"
         "</node></Quorbel>",
         "A((C))"},
        {"siblings of any name are walked",
         "<Quorbel><node><Title>A</Title><node><Title>B</Title></node><item><Title>I</Title></item></node>"
         "<other/><extra><Title>E</Title></extra><node><Title>F</Title></node></Quorbel>",
         "A(B I) E F"},
        {"only node elements are descended into",
         "<Quorbel><node><Title>A</Title><child><Title>C</Title></child></node></Quorbel>", "A"},
        {"entities, character references, CDATA and comments",
         "<?xml version=\"1.0\"?><!-- c --><Quorbel><!-- c --><node><Title>Tom &amp; Jerry &#228;</Title>"
         "<Description><![CDATA[<b>x</b>]]></Description></node></Quorbel>",
         "Tom & Jerry \xC3\xA4"},
        {"rss root", "<rss><node><Title>A</Title></node></rss>", nullptr, "root"},
        {"root without elements", "<Quorbel>text</Quorbel>", nullptr, "holds no elements"},
        {"no node made", "<Quorbel><node><Title> </Title></node><x/></Quorbel>", nullptr, "no node"},
        {"not well-formed", "<Quorbel><node><Title>A</Title></Quorbel>", nullptr, "line"},
        {"empty file", "", nullptr, ""},
        {"invalid UTF-8", "<Quorbel><node><Title>A\xff\xfe</Title></node></Quorbel>", nullptr, ""},
        {"field element holding an element",
         "<Quorbel><node><Title>A</Title><Link>x<b>y</b></Link></node></Quorbel>", nullptr,
         "field element holds elements"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        readView.clear();
        QString error;
        const bool ok = ReadText(c.xml, &error);
        if (!c.shape) {
            EXPECT_FALSE(ok);
            EXPECT_EQ(readList.Count(), 0);
            EXPECT_FALSE(error.isEmpty());
            EXPECT_TRUE(error.contains(QLatin1String(c.error))) << error.toStdString();
            continue;
        }
        ASSERT_TRUE(ok) << error.toStdString();
        EXPECT_EQ(Shape(readView), QString::fromUtf8(c.shape));
        EXPECT_EQ(readView.topLevelItemCount() > 0 ? NodeDataValue(readView.topLevelItem(0)) : -1, 0);
    }
}

TEST_F(NewsXmlTest, ReaderTakesFieldValuesAsTheyAre)
{
    const struct {
        const char* fields;
        int iconIdx;
        TDateTime lastShown;
        TDateTime timeStamp; // -1: "now", any positive value
        QStringList options;
    } cases[] = {
        {"<IconIdx>abc</IconIdx><TimeStamp>0</TimeStamp>", -1, 0, 0, {}},
        {"<IconIdx> 7 </IconIdx><LastShown>2024-05-06 07:08:09</LastShown><TimeStamp>0</TimeStamp>", 7,
         Shown(), 0, {}},
        {"<LastShown>garbage</LastShown><TimeStamp>Sun, 19 May 2002 15:21:36</TimeStamp>", -1, 0,
         ToDateTime(QDate(2002, 5, 19), QTime(15, 21, 36)), {}},
        {"<LastShown></LastShown>", -1, 0, -1, {}},
        {"<Options>NSD=0\r\nSDR=1\r\n</Options><TimeStamp>0</TimeStamp>", -1, 0, 0, {"NSD=0", "SDR=1"}},
        {"<Options>A=1&#13;\nB=2</Options><TimeStamp>0</TimeStamp>", -1, 0, 0, {"A=1", "B=2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fields);
        ASSERT_TRUE(ReadText(QByteArray("<Quorbel><node><Title>A</Title><NewsType>RSS</NewsType>") + c.fields
                             + "</node></Quorbel>"));
        const TTreeItem& item = *readList.Items(0);
        EXPECT_EQ(item.IconIdx, c.iconIdx);
        EXPECT_DOUBLE_EQ(item.LastShown, c.lastShown);
        if (c.timeStamp < 0)
            EXPECT_GT(item.TimeStamp, 40000);
        else
            EXPECT_DOUBLE_EQ(item.TimeStamp, c.timeStamp);
        EXPECT_EQ(item.Options, c.options);
    }
}

TEST_F(NewsXmlTest, LongSiblingListsAndDeepNestingNeedNoRecursion)
{
    // 100,000 siblings, with progress reported now and then, not per node.
    {
        QByteArray xml = "<Quorbel>\n";
        for (int i = 0; i < 100000; ++i)
            xml += "<node><Title>n" + QByteArray::number(i) + "</Title><NewsType>RSS</NewsType></node>\n";
        xml += "</Quorbel>\n";
        ASSERT_TRUE(WriteBytes(File(), xml));
        int reports = 0;
        ASSERT_TRUE(ReadNewsXml(File(), readList, nullptr, [&](const QString& title) {
            ++reports;
            EXPECT_TRUE(title.startsWith('n'));
        }));
        ASSERT_EQ(readList.Count(), 100000);
        int chain = 0;
        for (int i = 0; i >= 0; i = readList.Items(i)->NextSibling, ++chain)
            ASSERT_EQ(readList.Items(i)->FirstChild, -1);
        EXPECT_EQ(chain, 100000);
        EXPECT_EQ(readList.Items(99999)->Title, "n99999");
        EXPECT_GE(reports, 1);
        EXPECT_LT(reports, 1000);
    }
    // 3,000 levels: written from a view, read back, placed in a view.
    {
        TTreeList deep;
        QTreeWidget deepView;
        std::vector<TNodeRow> rows;
        for (int i = 0; i < 3000; ++i)
            rows.push_back({i, "FLD", "level " + QString::number(i)});
        Build(deep, deepView, rows);
        ASSERT_TRUE(SaveToXml(&deepView, deep, File(), false, 7));
        ASSERT_TRUE(ReadBack(File()));
        ASSERT_EQ(readList.Count(), 3000);
        EXPECT_EQ(Depth(readView), 3000);
        const QTreeWidgetItem* n = readView.topLevelItem(0);
        while (n->childCount())
            n = n->child(0);
        EXPECT_EQ(n->text(0), "level 2999");
    }
}

TEST_F(NewsXmlTest, FailedSavesLeaveTheOldFile)
{
    Build(list, view, {{0, "FLD", "A"}, {1, "RSH", "B", "http://b"}});
    const QString folder = File("out");
    const QString target = folder + "/news.xml";
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(WriteBytes(target, "old content"));
    QString error;

    EXPECT_FALSE(SaveToXml(&view, list, File("missing/news.xml"), false, 7, &error));
    EXPECT_FALSE(error.isEmpty());
    {
        TLockedFolder lock(folder);
        ASSERT_TRUE(lock.Locked()) << "cannot lock " << folder.toStdString();
        error.clear();
        EXPECT_FALSE(SaveToXml(&view, list, target, false, 7, &error));
        EXPECT_FALSE(error.isEmpty());
    }
    EXPECT_EQ(ReadBytes(target), "old content");

    // A write that fails half-way, here at the file size limit.
    for (int i = 0; i < 2000; ++i)
        list.Items(1)->Description += QStringLiteral("some words to fill the file ");
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous;
    limited.rlim_cur = 16 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool saved = SaveToXml(&view, list, target, false, 7, &error);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadBytes(target), "old content");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"news.xml"});

    // And a good save replaces it.
    ASSERT_TRUE(SaveToXml(&view, list, target, false, 7));
    ASSERT_TRUE(ReadBack(target));
    EXPECT_EQ(Shape(readView), "A(B)");
}

} // namespace
