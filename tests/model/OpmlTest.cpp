#include "model/Opml.h"

#include "model/ViewNodes.h"
#include "support/FileBytes.h"
#include "support/TempFolder.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <vector>

namespace {


// A read list as text: "kind:title" (feeds "kind:title@link"), children in
// parentheses, after placing it in a view the way the organiser does.
QString Shape(const TTreeList& list, const QTreeWidgetItem* node)
{
    const TTreeItem& item = *list.Items(static_cast<int>(NodeDataValue(node)));
    QString s = item.NewsType + ':' + item.Title;
    if (!item.Link.isEmpty())
        s += '@' + item.Link;
    QStringList parts;
    for (int i = 0; i < node->childCount(); ++i)
        parts << Shape(list, node->child(i));
    return parts.isEmpty() ? s : s + '(' + parts.join(' ') + ')';
}
QString Shape(const TTreeList& list)
{
    QTreeWidget view;
    list.BuildTreeView(&view);
    QStringList parts;
    for (int i = 0; i < view.topLevelItemCount(); ++i)
        parts << Shape(list, view.topLevelItem(i));
    return parts.join(' ');
}

class OpmlTest : public ::testing::Test {
protected:
    QString File(const QString& name = QStringLiteral("feeds.opml")) const { return home.File(name); }
    TempProgramFolder home;
};

TEST_F(OpmlTest, ReadsTheShapesOtherReadersExport)
{
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<opml version=\"1.0\">"
                            "<head><title>Subscriptions</title></head>\n";
    const struct {
        const char* name;
        QByteArray xml;
        const char* shape; // nullptr: the read fails
    } cases[] = {
        {"nested categories",
         head + "<body><outline text=\"Tech\" title=\"Tech\">"
                "<outline text=\"Linux\" title=\"Linux\">"
                "<outline type=\"rss\" text=\"LWN\" title=\"LWN\" xmlUrl=\"https://lwn.net/headlines/rss\""
                " htmlUrl=\"https://lwn.net\"/></outline>"
                "<outline type=\"rss\" text=\"Ars\" xmlUrl=\"http://ars.example/feed\"/></outline>"
                "<outline type=\"rss\" text=\"Top\" xmlUrl=\"https://top.example/rss\"/></body></opml>",
         "FLD:Tech(FLD:Linux(RSH:LWN@https://lwn.net/headlines/rss) RSH:Ars@http://ars.example/feed) "
         "RSH:Top@https://top.example/rss"},
        {"attributes in any order, titles from text, title or the address",
         head + "<body><outline xmlUrl=\"http://a.example/rss\" type=\"rss\" title=\"Title A\""
                " text=\"Text A\"/>"
                "<outline xmlUrl=\"http://b.example/rss\" title=\"Only title\"/>"
                "<outline xmlUrl=\" http://c.example/rss \" text=\"\"/></body></opml>",
         "RSH:Text A@http://a.example/rss RSH:Only title@http://b.example/rss "
         "RSH:http://c.example/rss@http://c.example/rss"},
        {"entities in text",
         head + "<body><outline text=\"Tom &amp; Jerry &#228; &lt;b&gt;\""
                " xmlUrl=\"http://t.example/?a=1&amp;b=2\"/>"
                "</body></opml>",
         "RSH:Tom & Jerry \xC3\xA4 <b>@http://t.example/?a=1&b=2"}, // text as written, "<" and all
        {"xmlurl in any case, root in any case",
         "<OPML><BODY><outline text=\"Low\" xmlurl=\"http://l.example/rss\"/>"
         "<outline text=\"Up\" XMLURL=\"HTTPS://u.example/rss\"/></BODY></OPML>",
         "RSH:Low@http://l.example/rss RSH:Up@HTTPS://u.example/rss"},
        {"skipped: other schemes and empty outlines",
         head + "<body><outline text=\"Gopher\" xmlUrl=\"gopher://g.example/\"/>"
                "<outline text=\"Local\" xmlUrl=\"file:///tmp/feed.xml\"/>"
                "<outline text=\"Empty\"/><outline text=\"Keep\" xmlUrl=\"http://k.example/\"/>"
                "<outline text=\"Holds skipped\"><outline text=\"Empty too\"/></outline></body></opml>",
         "RSH:Keep@http://k.example/ FLD:Holds skipped"},
        {"outlines under a feed or a skipped outline follow it",
         head + "<body><outline text=\"F\"><outline text=\"Feed\" xmlUrl=\"http://f.example/\">"
                "<outline text=\"Inner\" xmlUrl=\"http://i.example/\"/></outline>"
                "<outline text=\"Bad\" xmlUrl=\"ftp://b.example/\">"
                "<outline text=\"Saved\" xmlUrl=\"http://s.example/\"/>"
                "</outline><outline text=\"Last\" xmlUrl=\"http://l.example/\"/></outline></body></opml>",
         "FLD:F(RSH:Feed@http://f.example/ RSH:Inner@http://i.example/ RSH:Saved@http://s.example/ "
         "RSH:Last@http://l.example/)"},
        {"a folder without any title, and elements other than outlines",
         head + "<body><outline><note>x</note><outline text=\"A\" xmlUrl=\"http://a.example/\"/></outline>"
                "<category><outline text=\"Hidden\" xmlUrl=\"http://h.example/\"/></category></body></opml>",
         "FLD:Folder(RSH:A@http://a.example/)"},
        {"not well-formed", head + "<body><outline text=\"A\" xmlUrl=\"http://a/\"></body></opml>", nullptr},
        {"not OPML", "<rss><channel><title>x</title></channel></rss>", nullptr},
        {"no body", head + "<outline text=\"A\" xmlUrl=\"http://a.example/\"/></opml>", nullptr},
        {"no feed", head + "<body><outline text=\"Empty\"/></body></opml>", nullptr},
        {"invalid UTF-8", head + "<body><outline text=\"A\xff\" xmlUrl=\"http://a/\"/></body></opml>",
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteBytes(File(), c.xml));
        TTreeList list;
        QString error;
        const bool ok = ReadOpml(File(), list, &error);
        if (!c.shape) {
            EXPECT_FALSE(ok);
            EXPECT_FALSE(error.isEmpty());
            EXPECT_EQ(list.Count(), 0);
            continue;
        }
        ASSERT_TRUE(ok) << error.toStdString();
        EXPECT_EQ(Shape(list), QString::fromUtf8(c.shape));
        for (int i = 0; i < list.Count(); ++i) {
            EXPECT_EQ(list.Items(i)->TimeStamp, 0);
            if (list.Items(i)->IsKind(kFeed))
                EXPECT_EQ(list.Items(i)->IconIdx, -1);
        }
    }
}

TEST_F(OpmlTest, RoundTripKeepsFoldersAndFeeds)
{
    const struct {
        int depth;
        const char* kind;
        const char* title;
        const char* link;
    } rows[] = {
        {0, "FLD", "News & more", ""},
        {1, "RSH", "Feed & One (3 of 12)", "https://one.example/rss?a=1&b=2"},
        {2, "RSS", "An item", "https://one.example/1"},
        {1, "FLD", "Inner \"quoted\"", ""},
        {2, "RSH", "Apple (AAPL)", "http://two.example/feed"},
        {2, "NTS", "A note", ""},
        {1, "FLD", "Empty", ""},
        {0, "WEB", "A page", "https://page.example/"},
        {1, "RSH", "Under a page", "https://three.example/"},
        {0, "RSH", "Top (5)", "https://top.example/"},
        {0, "FIL", "A file", "/tmp/x"},
    };
    TTreeList list;
    QTreeWidget view;
    std::vector<QTreeWidgetItem*> parents, nodes;
    for (const auto& s : rows) {
        TTreeItem item;
        item.NewsType = s.kind;
        item.SetTitle(QString::fromUtf8(s.title));
        item.Link = s.link;
        const int index = list.AddCopy(item);
        parents.resize(static_cast<size_t>(s.depth));
        nodes.push_back(AddViewNode(&view, parents.empty() ? nullptr : parents.back(), item.Title, index));
        parents.push_back(nodes.back());
    }
    ASSERT_TRUE(SaveToOpml(&view, list, File(), false));

    const QByteArray bytes = ReadBytes(File());
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<opml version=\"2.0\">\r\n"
                                 "  <head>\r\n    <title>Quorbel subscriptions</title>\r\n"
                                 "    <dateCreated>"));
    const qsizetype from = bytes.indexOf("<dateCreated>") + 13;
    const QString created = QString::fromUtf8(bytes.mid(from, bytes.indexOf("</dateCreated>") - from));
    EXPECT_TRUE(QDateTime::fromString(created, Qt::RFC2822Date).isValid()) << created.toStdString();
    EXPECT_TRUE(
        bytes.contains("<outline type=\"rss\" text=\"Top\" title=\"Top\" xmlUrl=\"https://top.example/\"/>"));
    EXPECT_TRUE(bytes.contains("<outline text=\"Empty\" title=\"Empty\"/>"));

    TTreeList read;
    QString error;
    ASSERT_TRUE(ReadOpml(File(), read, &error)) << error.toStdString();
    // The empty folder is written but, holding nothing, not read back.
    EXPECT_EQ(Shape(read), "FLD:News & more(RSH:Feed & One@https://one.example/rss?a=1&b=2 "
                           "FLD:Inner \"quoted\"(RSH:Apple (AAPL)@http://two.example/feed)) "
                           "RSH:Top@https://top.example/");

    // The selected branch alone.
    nodes[3]->setSelected(true);
    view.setCurrentItem(nodes[3], 0, QItemSelectionModel::NoUpdate);
    ASSERT_TRUE(SaveToOpml(&view, list, File(), true));
    ASSERT_TRUE(ReadOpml(File(), read));
    EXPECT_EQ(Shape(read), "FLD:Inner \"quoted\"(RSH:Apple (AAPL)@http://two.example/feed)");

    view.clearSelection();
    EXPECT_FALSE(SaveToOpml(&view, list, File("none.opml"), true, &error));
    EXPECT_EQ(error, "No node selected");
    EXPECT_FALSE(SaveToOpml(&view, list, File("missing/x.opml"), false, &error));
    EXPECT_FALSE(QFileInfo::exists(File("none.opml")));
}

} // namespace
