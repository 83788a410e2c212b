#include "model/Container.h"

#include "app/NewsGlobals.h"
#include "model/ContainerPayload.h"
#include "model/ViewNodes.h"
#include "platform/Errors.h"
#include "support/FakeConnectivity.h"
#include "support/LockedFolder.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QBuffer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <limits>
#include <linux/fs.h>
#include <memory>
#include <random>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The view as text: captions, children in parentheses.
QString Shape(QTreeWidgetItem* node)
{
    QString s = node->text(0);
    QStringList parts;
    for (int i = 0; i < node->childCount(); ++i)
        parts << Shape(node->child(i));
    return parts.isEmpty() ? s : s + '(' + parts.join(' ') + ')';
}
QString Shape(QTreeWidget& view)
{
    QStringList parts;
    for (int i = 0; i < view.topLevelItemCount(); ++i)
        parts << Shape(view.topLevelItem(i));
    return parts.join(' ');
}

TTreeItem& Add(TTreeList& list, const QString& kind, const QString& title, qint32 first = -1,
               qint32 next = -1)
{
    TTreeItem node;
    node.NewsType = kind;
    node.SetTitle(title);
    node.FirstChild = first;
    node.NextSibling = next;
    return *list.Items(list.AddCopy(node));
}

QStringList FolderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

class ContainerTest : public ::testing::Test {
protected:
    void SetUp() override { data = std::make_unique<TNewsData>(home.Path()); }
    QString File(const QString& name = QStringLiteral("test.qbx")) const { return home.File(name); }

    TempProgramFolder home;
    FakeConnectivity offline{false};
    std::unique_ptr<TNewsData> data;
};

TEST_F(ContainerTest, RoundTripKeepsTheStoredFieldsOnly)
{
    const struct {
        const char* kind;
        QString title, text, description, link;
        QStringList options;
        double timeStamp, lastShown;
        int iconIdx;
    } cases[] = {
        {"FLD", "Folder", "", "", "", {}, 0, 0, 3},
        {"RSH", QString::fromUtf8("Caf\xC3\xA9 (12)"), "", "<p>a &amp; b</p>", "http://e.com/rss",
         {"NSD=7", "SDR=1", "SNF=24"}, 46000.5, 0, 12},
        {"RSS", QString::fromUtf8("\xE2\x82\xAC \xF0\x9F\x98\x80"), "", "plain", "http://e.com/?b=1&c=2",
         {"SDR=0"}, 45123.999988425923, 45124.25, -1},
        {"NTS", "Note", "line one", "line one", "", {"", "X=", "odd line"}, -3.75, 1e-9, 0},
        {"FIL", "/tmp/a b", "", "", "/tmp/a b", {}, 1e300, -1e300, 1},
    };
    TTreeList list;
    for (const auto& c : cases) {
        TTreeItem& n = Add(list, c.kind, c.title, 5, -7);
        n.SetText(c.text);
        n.SetDescription(c.description);
        n.Link = c.link;
        n.Options = c.options;
        n.TimeStamp = c.timeStamp;
        n.LastShown = c.lastShown;
        n.IconIdx = c.iconIdx;
    }
    // Raw forms, the icon URL and the scratch index are not stored.
    TTreeItem& raw = Add(list, "RSS", "<b>Bold</b> &quot;news&quot;");
    raw.SetText("<p>rich &amp; text</p>");
    raw.SetDescription("<i>desc</i>");
    raw.SetIconURL("http://example.com/favicon.ico");
    raw.NewIndex = 42;
    // Plain forms holding markup characters are read as stored, not converted again.
    Add(list, "RSS", "Inflation &lt; 2% &amp; falling").SetText("a &lt;b&gt; c");
    ASSERT_TRUE(list.SaveContainer(File()));

    TTreeList loaded;
    ASSERT_TRUE(loaded.LoadContainer(File()));
    ASSERT_EQ(loaded.Count(), list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        EXPECT_EQ(StoredFields(*loaded.Items(i)), StoredFields(*list.Items(i))) << i;
        EXPECT_EQ(loaded.Items(i)->PlainDescription(), list.Items(i)->PlainDescription()) << i;
    }
    const TTreeItem& plain = *loaded.Items(list.Count() - 1);
    EXPECT_EQ(plain.Title, "Inflation < 2% & falling");
    EXPECT_EQ(plain.RawTitle, plain.Title);
    EXPECT_EQ(plain.Text(), "a <b> c");
    EXPECT_EQ(plain.RawText(), plain.Text());
    const TTreeItem& r = *loaded.Items(list.Count() - 2);
    EXPECT_EQ(r.RawTitle, "Bold \"news\""); // the plain title comes back as the raw one
    EXPECT_EQ(r.RawText(), "rich & text");
    EXPECT_EQ(r.Description, "<i>desc</i>");
    EXPECT_TRUE(r.IconURL().isEmpty());
    EXPECT_EQ(r.NewIndex, 0);
}

TEST_F(ContainerTest, WriterFollowsTheByteLayout)
{
    TTreeList one;
    TTreeItem& n = Add(one, "RSS", QString::fromUtf8("T\xC3\xA4tle"), 4, -1);
    n.SetText("x");
    n.SetDescription("<b>d</b>");
    n.Link = "http://l/";
    n.Options = QStringList{"SDR=1", "NSD=2"};
    n.TimeStamp = 45000.25;
    n.LastShown = -2.5;
    n.IconIdx = 0x01020304;
    TPayload record;
    record.Str("Vom 1.0");
    AppendRecord(record, {"TTreeItem", 45000.25, -2.5, 0x01020304, "RSS", "T\xC3\xA4tle", "x",
                          "<b>d</b>", "http://l/", QByteArray("SDR=1\r\nNSD=2\r\n"), 4, -1});
    TTreeList empty;
    const struct {
        const char* name;
        const TTreeList& list;
        QByteArray payload;
    } cases[] = {
        {"empty list: the header alone", empty, QByteArray("\x07\x00\x00\x00Vom 1.0", 11)},
        {"one record", one, record.bytes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.list.SaveContainer(File()));
        const QByteArray file = ReadBytesFromFile(File());
        ASSERT_GE(file.size(), 2);
        EXPECT_EQ(file.left(2).toHex(), "78da"); // zlib wrapper, maximum compression
        const auto payload = ZlibInflate(file);
        ASSERT_TRUE(payload.has_value());
        EXPECT_EQ(payload->toHex(' '), c.payload.toHex(' '));
        TTreeList loaded;
        EXPECT_TRUE(loaded.LoadContainer(File()));
        EXPECT_EQ(loaded.Count(), c.list.Count());
    }
}

// What a reader makes of files built from the layout by hand: the result and
// the nodes kept, each as "title[option lines]".
TEST_F(ContainerTest, ReaderTable)
{
    const TRecordBytes folder{"TTreeItem", 1.5, 0, 3, "FLD", "Folder", "", "", "", QByteArray(), 1, -1};
    const TRecordBytes news{"TNewsItem", 2.5, 3.5, 2, "rss", "Item", "", "<b>d</b>", "http://x/",
                            QByteArray("SDR=1\r\nNSD=3\r\n"), -1, -1};
    auto v0 = [](TRecordBytes r) { r.options.reset(); return r; };
    auto titled = [&](const QByteArray& title) { TRecordBytes r = folder; r.title = title; return r; };
    auto named = [&](const QByteArray& name) { TRecordBytes r = folder; r.className = name; return r; };
    // A folder record, then one whose title has the given length field.
    auto titleLength = [&](qint32 length, bool withBytes) {
        TPayload p;
        p.Str("Vom 1.0");
        AppendRecord(p, folder);
        p.Str("TTreeItem").Dbl(0).Dbl(0).Int(-1).Str("RSS").Int(length);
        if (withBytes)
            p.Raw(QByteArray(length, 'y')).Str("").Str("").Str("").Str("").Int(-1).Int(-1);
        return ZlibCompress(p.bytes);
    };
    const QString y65536 = QString(65536, 'y') + "[]";
    const QString yMax = QString(kMaxContainerString, 'y') + "[]";
    const struct {
        const char* name;
        QByteArray file;
        bool ok;
        QStringList nodes;
    } cases[] = {
        {"version 1", ContainerFile({folder, news}), true, {"Folder[]", "Item[SDR=1|NSD=3]"}},
        {"version 1, any case", ContainerFile({folder, news}, "vOM 1.0"), true,
         {"Folder[]", "Item[SDR=1|NSD=3]"}},
        {"version 0 has no Options", ContainerFile({v0(folder), v0(news)}, "1.0"), true,
         {"Folder[]", "Item[]"}},
        {"unknown header reads like 0", ContainerFile({v0(folder), v0(news)}, "Vom 2.0"), true,
         {"Folder[]", "Item[]"}},
        {"class names in any case", ContainerFile({named("ttreeitem"), named("TNEWSITEM")}), true,
         {"Folder[]", "Folder[]"}},
        {"unknown class stops", ContainerFile({folder, named("TOther"), folder}), false, {"Folder[]"}},
        {"bytes after the stream", ContainerFile({folder}) + "junk", false, {"Folder[]"}},
        {"empty payload", ZlibCompress(""), false, {}},
        {"empty file", QByteArray(""), false, {}},
        {"header length -5", ZlibCompress(TPayload().Int(-5).Raw("Vom 1.0").bytes), false, {}},
        {"UTF-8", ContainerFile({titled("Caf\xC3\xA9")}), true, {QString::fromUtf8("Caf\xC3\xA9[]")}},
        {"Windows-1252", ContainerFile({titled("Caf\xE9 \x80 \x93")}), true,
         {QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9C[]")}},
        {"cut UTF-8 sequence", ContainerFile({titled("\xC3")}), true, {QString::fromUtf8("\xC3\x83[]")}},
        {"UTF-8 surrogate", ContainerFile({titled("\xED\xA0\x80")}), true,
         {QString::fromUtf8("\xC3\xAD\xC2\xA0\xE2\x82\xAC[]")}},
        {"length 0", titleLength(0, true), true, {"Folder[]", "[]"}},
        {"length 65536", titleLength(65536, true), true, {"Folder[]", y65536}},
        {"length 16 MiB", titleLength(kMaxContainerString, true), true, {"Folder[]", yMax}},
        {"length 16 MiB + 1", titleLength(kMaxContainerString + 1, false), false, {"Folder[]"}},
        {"length -1", titleLength(-1, false), false, {"Folder[]"}},
        {"length 2^31-1", titleLength(std::numeric_limits<qint32>::max(), false), false, {"Folder[]"}},
        {"length -2^31", titleLength(std::numeric_limits<qint32>::min(), false), false, {"Folder[]"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteBytesToFile(File(), c.file));
        TTreeList list;
        EXPECT_EQ(list.LoadContainer(File()), c.ok);
        QStringList nodes;
        for (int i = 0; i < list.Count(); ++i)
            nodes << list.Items(i)->Title + '[' + list.Items(i)->Options.join('|') + ']';
        EXPECT_TRUE(nodes == c.nodes) << nodes.join(' ').left(200).toStdString();
    }

    // Every field of a hand-built record lands where it belongs.
    ASSERT_TRUE(WriteBytesToFile(File(), ContainerFile({folder, news})));
    TTreeList list;
    ASSERT_TRUE(list.LoadContainer(File()));
    EXPECT_EQ(StoredFields(*list.Items(0)), "1.5|0|3|FLD|Folder|||||1|-1");
    EXPECT_EQ(StoredFields(*list.Items(1)), "2.5|3.5|2|rss|Item||<b>d</b>|http://x/|SDR=1\\nNSD=3|-1|-1");
    EXPECT_EQ(list.Items(1)->PlainDescription(), "d");

    // A missing file, or a folder, leaves the list alone.
    EXPECT_FALSE(list.LoadContainer(File("nothing-here.qbx")));
    EXPECT_FALSE(list.LoadContainer(home.Path()));
    EXPECT_EQ(list.Count(), 2);
}

TEST_F(ContainerTest, RepeatedKindsAndOptionsAreSharedButNeverMixed)
{
    // Kinds and option lists repeat from record to record and are read once;
    // a different value in between must still be read as it stands.
    // Descriptions keep their UTF-8 bytes or are decoded like any other string.
    auto record = [](const QByteArray& kind, std::optional<QByteArray> options, const QByteArray& description) {
        return TRecordBytes{"TTreeItem", 0, 0, -1, kind, "T", "", description, "", options, -1, -1};
    };
    ASSERT_TRUE(WriteBytesToFile(File(), ContainerFile({
        record("RSS", QByteArray("SDR=0\r\n"), "Caf\xC3\xA9"),
        record("RSS", QByteArray("SDR=0\r\n"), "plain"),
        record("FLD", QByteArray(), "caf\xE9 \x80"),
        record("rss", QByteArray("SDR=1\r\nNSD=3\r\n"), "\xC3"),
        record("RSS", QByteArray("SDR=0\r\n"), ""),
        record("RSS", QByteArray("SDR=0"), "x"),
    })));
    TTreeList list;
    ASSERT_TRUE(list.LoadContainer(File()));
    QStringList read;
    for (int i = 0; i < list.Count(); ++i) {
        const TTreeItem* n = list.Items(i);
        read << n->NewsType + '[' + n->Options.join('|') + "]" + QString(n->Description);
    }
    EXPECT_EQ(read, (QStringList{QString::fromUtf8("RSS[SDR=0]Caf\xC3\xA9"), "RSS[SDR=0]plain",
                                 QString::fromUtf8("FLD[]caf\xC3\xA9 \xE2\x82\xAC"),
                                 QString::fromUtf8("rss[SDR=1|NSD=3]\xC3\x83"), "RSS[SDR=0]", "RSS[SDR=0]x"}));
    EXPECT_EQ(list.Items(0)->Description.Utf8(), QByteArray("Caf\xC3\xA9"));
    // Changing one item's options leaves the others that shared them alone.
    list.Items(0)->SetOption(QStringLiteral("SDR"), QStringLiteral("1"));
    EXPECT_EQ(list.Items(1)->Options, QStringList{QStringLiteral("SDR=0")});
    // Stored again, the description bytes are written as read.
    ASSERT_TRUE(list.SaveContainer(File("again.qbx")));
    TTreeList again;
    ASSERT_TRUE(again.LoadContainer(File("again.qbx")));
    EXPECT_EQ(again.Items(2)->Description.Utf8(), QByteArray("caf\xC3\xA9 \xE2\x82\xAC"));
}

TEST_F(ContainerTest, ReadingAheadGivesTheSameRecordsAndErrors)
{
    // A payload of many inflated chunks, whole and damaged in several ways,
    // read with the inflating done in line and on a second thread.
    std::mt19937 random(7);
    TPayload p;
    p.Str("Vom 1.0");
    for (int i = 0; i < 3000; ++i) {
        QByteArray title(300, Qt::Uninitialized);
        for (char& c : title)
            c = static_cast<char>('a' + random() % 26);
        AppendRecord(p, TRecordBytes{"TTreeItem", 0, 0, -1, "RSS", title, "", "", "", QByteArray(), -1, -1});
    }
    const QByteArray whole = ZlibCompress(p.bytes);
    ASSERT_GT(p.bytes.size(), 3 * 256 * 1024); // several chunks
    QByteArray flipped = whole;
    flipped[whole.size() / 2] = static_cast<char>(flipped[whole.size() / 2] ^ 0x55);
    const struct {
        const char* name;
        QByteArray file;
    } cases[] = {
        {"whole", whole},
        {"cut in the middle", whole.left(whole.size() / 2)},
        {"cut before the trailer", whole.left(whole.size() - 2)},
        {"a damaged byte", flipped},
        {"bytes after the stream", whole + "junk"},
        {"not zlib", QByteArray(4096, 'x')},
    };
    auto readAll = [](const QByteArray& file, bool ahead) {
        QBuffer buffer;
        buffer.setData(file);
        buffer.open(QIODevice::ReadOnly);
        QStringList out;
        try {
            TContainerReader reader(buffer, ahead);
            reader.ReadString();
            for (;;) {
                TTreeItem node;
                if (ReadRecord(node, reader) != TRecordResult::Read) {
                    out << (reader.TrailingData() ? "trailing" : "end");
                    break;
                }
                out << node.Title.left(8);
            }
        } catch (const EQuorbelError&) {
            out << "error";
        }
        return out;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList direct = readAll(c.file, false);
        EXPECT_EQ(readAll(c.file, true), direct);
        if (c.file == whole)
            EXPECT_EQ(direct.size(), 3001);
    }
    EXPECT_EQ(readAll(whole, true).last(), "end");
    EXPECT_EQ(readAll(whole + "junk", true).last(), "trailing");
    EXPECT_EQ(readAll(whole.left(whole.size() / 2), true).last(), "error");

    // A reader dropped early stops its thread.
    QBuffer buffer;
    buffer.setData(whole);
    buffer.open(QIODevice::ReadOnly);
    { TContainerReader early(buffer, true); early.ReadString(); }
}

TEST_F(ContainerTest, LongStringsRoundTripAndOverlongOnesAreCut)
{
    const QChar euro(0x20AC); // three UTF-8 bytes
    // The last one passes the reader's limit inside a character.
    const qsizetype sizes[] = {65535, 1024 * 1024, kMaxContainerString - 1};
    for (qsizetype size : sizes) {
        SCOPED_TRACE(size);
        TTreeList list;
        TTreeItem& n = Add(list, "WEB", "long");
        n.Link = QString(size, 'x') + (size == kMaxContainerString - 1 ? QString(euro) : QString());
        n.SetDescription(QString(size / 3, euro));
        Add(list, "WEB", "after");
        ASSERT_TRUE(list.SaveContainer(File()));
        TTreeList loaded;
        ASSERT_TRUE(loaded.LoadContainer(File()));
        ASSERT_EQ(loaded.Count(), 2);
        EXPECT_TRUE(loaded.Items(0)->Link == QString(size, 'x'));
        EXPECT_TRUE(loaded.Items(0)->Description == n.Description);
        EXPECT_EQ(loaded.Items(1)->Title, "after");
    }

    const struct {
        QString text;
        qsizetype max;
        QByteArray expected;
    } cuts[] = {
        {"abc", 3, "abc"},         {"abcd", 3, "abc"},
        {"a" + QString(euro), 3, "a"}, {"a" + QString(euro), 4, "a\xE2\x82\xAC"},
        {QString(2, euro), 5, "\xE2\x82\xAC"}, {QString::fromUtf8("\xF0\x9F\x98\x80"), 3, ""},
    };
    for (const auto& c : cuts)
        EXPECT_EQ(LimitedUtf8(c.text, c.max), c.expected) << c.text.toStdString() << " " << c.max;
}

TEST_F(ContainerTest, LoadingAppendsToAFilledList)
{
    TTreeList saved;
    Add(saved, "FLD", "F", 1, -1);
    Add(saved, "RSS", "child");
    ASSERT_TRUE(saved.SaveContainer(File()));

    TTreeList& list = data->NewsList;
    Add(list, "NTS", "old first");
    Add(list, "NTS", "old second");
    ASSERT_TRUE(list.LoadContainer(File()));
    QStringList titles;
    for (int i = 0; i < list.Count(); ++i)
        titles << list.Items(i)->Title;
    EXPECT_EQ(titles, QStringList({"old first", "old second", "F", "child"}));
    EXPECT_EQ(list.Items(2)->FirstChild, 1); // links still count from the file's first record

    // The view starts from the list's first node, whose links lead nowhere.
    QTreeWidget view;
    list.BuildTreeView(&view);
    EXPECT_EQ(Shape(view), "old first");
}

// A folder with two children, saved through the data module, and reloaded.
TEST_F(ContainerTest, SaveNewsFileWritesTreeOrder)
{
    TTreeList& pool = data->NewsList;
    Add(pool, "RSS", "second child"); // 0
    Add(pool, "NTS", "deleted");      // 1, in no view node
    Add(pool, "RSS", "first child");  // 2
    Add(pool, "FLD", "folder");       // 3
    QTreeWidget view;
    QTreeWidgetItem* folder = AddViewNode(&view, nullptr, "folder", 3);
    AddViewNode(&view, folder, "first child", 2);
    AddViewNode(&view, folder, "second child", 0);

    ASSERT_TRUE(data->SaveNewsFile(&view, File()));
    EXPECT_EQ(pool.Count(), 4); // the pool and the view stay as they were
    EXPECT_EQ(pool.Items(0)->Title, "second child");
    EXPECT_EQ(NodeDataValue(folder->child(1)), 0);

    TTreeList loaded;
    ASSERT_TRUE(loaded.LoadContainer(File()));
    QStringList records;
    for (int i = 0; i < loaded.Count(); ++i)
        records << QStringLiteral("%1 %2,%3").arg(loaded.Items(i)->Title)
                       .arg(loaded.Items(i)->FirstChild).arg(loaded.Items(i)->NextSibling);
    EXPECT_EQ(records, QStringList({"folder 1,-1", "first child -1,2", "second child -1,-1"}));

    pool.Clear();
    ASSERT_TRUE(pool.LoadContainer(File()));
    QTreeWidget rebuilt;
    pool.BuildTreeView(&rebuilt);
    EXPECT_EQ(Shape(rebuilt), "folder(first child second child)");
    EXPECT_EQ(NodeDataValue(rebuilt.topLevelItem(0)->child(1)), 2);
}

TEST_F(ContainerTest, ReorderByTreeFollowsTheView)
{
    TTreeList list;
    for (const char* kindTitle : {"RSS a1", "RSH A", "FLD top", "WEB w", "NTS gone"})
        Add(list, QString(kindTitle).left(3), QString(kindTitle).mid(4));
    QTreeWidget view;
    QTreeWidgetItem* top = AddViewNode(&view, nullptr, "top", 2);
    QTreeWidgetItem* feed = AddViewNode(&view, top, "A", 1);
    AddViewNode(&view, feed, "a1", 0);
    AddViewNode(&view, top, "w", 3);
    AddViewNode(&view, nullptr, "w again", 3);                         // one item shown twice
    QTreeWidgetItem* group = AddViewNode(&view, nullptr, "group", -1); // stands for no item
    AddViewNode(&view, group, "a1", 0);

    list.ReorderByTree(&view);
    EXPECT_TRUE(view.updatesEnabled());
    QStringList records;
    for (int i = 0; i < list.Count(); ++i)
        records << QStringLiteral("%1 %2 %3,%4").arg(list.Items(i)->NewsType, list.Items(i)->Title)
                       .arg(list.Items(i)->FirstChild).arg(list.Items(i)->NextSibling);
    EXPECT_EQ(records, QStringList({"FLD top 1,4", "RSH A 2,3", "RSS a1 -1,-1", "WEB w -1,-1",
                                    "WEB w -1,5", "FLD group 6,-1", "RSS a1 -1,-1"}));

    QTreeWidget empty;
    list.ReorderByTree(&empty);
    EXPECT_EQ(list.Count(), 0);
}

// Views built from links (first child, next sibling) per record.
TEST_F(ContainerTest, BuildTreeViewFollowsLinksAndEndsBadBranches)
{
    const struct {
        const char* name;
        std::vector<std::pair<qint32, qint32>> links;
        const char* shape;
    } cases[] = {
        {"file order", {{1, 4}, {2, 3}, {-1, -1}, {-1, -1}, {-1, -1}}, "N0(N1(N2) N3) N4"},
        {"empty list", {}, ""},
        {"sibling cycle", {{1, -1}, {-1, 0}}, "N0(N1)"},
        {"self as sibling", {{-1, 0}}, "N0"},
        {"self as child", {{0, -1}}, "N0"},
        {"child back to ancestor", {{1, -1}, {0, 2}, {-1, -1}}, "N0(N1 N2)"},
        {"below -1", {{-5, 1}, {-1, -2}}, "N0 N1"},
        {"past the end", {{2, 1}, {-1, 99}}, "N0 N1"},
        {"far past the end", {{std::numeric_limits<qint32>::max(), 1}, {-1, -1}}, "N0 N1"},
        {"placed twice", {{2, 1}, {2, -1}, {-1, -1}}, "N0(N2) N1"},
        {"unreachable", {{-1, -1}, {-1, -1}}, "N0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TTreeList& list = data->NewsList;
        list.Clear();
        for (size_t i = 0; i < c.links.size(); ++i)
            Add(list, "NTS", QStringLiteral("N%1").arg(i), c.links[i].first, c.links[i].second);
        QTreeWidget view;
        AddViewNode(&view, nullptr, "stale", 0);
        list.BuildTreeView(&view);
        EXPECT_EQ(Shape(view), c.shape);
        EXPECT_TRUE(view.updatesEnabled());
    }
}

TEST_F(ContainerTest, BuildTreeViewSetsImagesAndLetsEventsRun)
{
    TTreeList& list = data->NewsList;
    Add(list, "FLD", "folder", -1, 1);
    Add(list, "RSS", "episode").Link = "http://x/show.mp3";
    QTreeWidget view;
    int nodesWhenEventsRan = -1;
    QMetaObject::invokeMethod(
        qApp, [&] { nodesWhenEventsRan = view.topLevelItemCount(); }, Qt::QueuedConnection);
    list.BuildTreeView(&view);
    EXPECT_EQ(nodesWhenEventsRan, 0); // ran inside the build, before the first node went in
    EXPECT_EQ(list.Items(0)->IconIdx, imgFolder);
    EXPECT_EQ(NodeImage(view.topLevelItem(0)), imgFolder);
    EXPECT_EQ(NodeDataValue(view.topLevelItem(1)), 1);
    EXPECT_EQ(NodeStateImage(view.topLevelItem(1)), imgAudio);

    // A handler that destroys the view ends the build.
    auto* doomed = new QTreeWidget;
    QMetaObject::invokeMethod(qApp, [doomed] { delete doomed; }, Qt::QueuedConnection);
    list.BuildTreeView(doomed);
}

// Long sibling lists and deep nesting take no recursion, in building as well
// as in reordering.
TEST_F(ContainerTest, HundredThousandSiblingsAndDeepNesting)
{
    constexpr int kItems = 100000;
    TTreeList& list = data->NewsList;
    Add(list, "RSH", "feed", 1, kItems + 1);
    for (int i = 1; i <= kItems; ++i)
        Add(list, "RSS", QStringLiteral("n%1").arg(i), -1, i < kItems ? i + 1 : -1);
    constexpr int kDepth = 3000;
    for (int i = 0; i < kDepth; ++i)
        Add(list, "FLD", "d", i + 1 < kDepth ? kItems + 2 + i : -1, -1);

    QTreeWidget view;
    list.BuildTreeView(&view);
    ASSERT_EQ(view.topLevelItemCount(), 2);
    QTreeWidgetItem* feed = view.topLevelItem(0);
    ASSERT_EQ(feed->childCount(), kItems);
    EXPECT_EQ(feed->child(kItems - 1)->text(0), QStringLiteral("n%1").arg(kItems));
    int depth = 0;
    for (QTreeWidgetItem* n = view.topLevelItem(1); n; n = n->childCount() ? n->child(0) : nullptr)
        ++depth;
    EXPECT_EQ(depth, kDepth);

    ASSERT_TRUE(data->SaveNewsFile(&view, File()));
    TTreeList loaded;
    ASSERT_TRUE(loaded.LoadContainer(File()));
    ASSERT_EQ(loaded.Count(), list.Count());
    for (int i = 0; i < list.Count(); ++i) // the built view was in file order already
        ASSERT_EQ(StoredFields(*loaded.Items(i)), StoredFields(*list.Items(i))) << i;
}

// ---------------------------------------------------------------- saving safely

TEST_F(ContainerTest, FailedSavesLeaveTheOldFileAndNoTemporary)
{
    const QString folder = File("news");
    const QString target = folder + "/News.qbx";
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(WriteBytesToFile(target, "old content"));
    TTreeList small;
    Add(small, "FLD", "x");

    // No folder to write in.
    ASSERT_TRUE(WriteBytesToFile(File("plain-file"), "not a folder"));
    for (const QString& bad : {File("missing/News.qbx"), File("plain-file/News.qbx"), QString()}) {
        EXPECT_FALSE(small.SaveContainer(bad)) << bad.toStdString();
        EXPECT_FALSE(QFileInfo::exists(bad)) << bad.toStdString();
    }
    EXPECT_EQ(ReadBytesFromFile(File("plain-file")), "not a folder");

    // A folder that takes no new file.
    {
        TLockedFolder lock(folder);
        if (lock.Locked())
            EXPECT_FALSE(small.SaveContainer(target));
        else
            ADD_FAILURE() << "cannot lock " << folder.toStdString();
    }
    EXPECT_EQ(ReadBytesFromFile(target), "old content");
    EXPECT_EQ(FolderEntries(folder), QStringList{"News.qbx"});

    // A write that fails half-way, here at the file size limit.
    TTreeList big;
    QString noise;
    quint32 seed = 12345;
    for (int i = 0; i < 400000; ++i) {
        seed = seed * 1103515245u + 12345u;
        noise += QChar(u'a' + (seed >> 16) % 26);
    }
    Add(big, "WEB", "big").Link = noise; // compresses to far more than the limit
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous;
    limited.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool saved = big.SaveContainer(target);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadBytesFromFile(target), "old content");
    EXPECT_EQ(FolderEntries(folder), QStringList{"News.qbx"});
}

TEST_F(ContainerTest, SaveReplacesAnExistingFileWhole)
{
    const QString target = File("News.qbx");
    TTreeList first;
    for (int i = 0; i < 200; ++i)
        Add(first, "RSS", QStringLiteral("old %1").arg(i));
    ASSERT_TRUE(first.SaveContainer(target));
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    const QByteArray oldBytes = ReadBytesFromFile(target);
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &before), 0);
    QFile reader(target); // a reader that opened the old file keeps seeing all of it
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));

    TTreeList second;
    Add(second, "NTS", "new");
    ASSERT_TRUE(second.SaveContainer(target));

    EXPECT_EQ(reader.readAll(), oldBytes);
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino); // renamed into place, not rewritten
    EXPECT_EQ(after.st_mode & 0777, 0640u);
    EXPECT_EQ(FolderEntries(home.Path()).filter("News").size(), 1);
    TTreeList loaded;
    ASSERT_TRUE(loaded.LoadContainer(target));
    ASSERT_EQ(loaded.Count(), 1);
    EXPECT_EQ(loaded.Items(0)->Title, "new");
}

} // namespace
