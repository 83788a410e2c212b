#include "feeds/XmlDocument.h"

#include "platform/Errors.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

namespace {

std::string Std(const QString& text)
{
    return text.toStdString();
}

TXMLDocument Load(const QString& xml)
{
    TXMLDocument doc;
    doc.LoadFromXML(xml.toUtf8());
    return doc;
}

// The error text of a failed load, or nothing when it loads.
std::optional<QString> LoadError(const QByteArray& xml)
{
    TXMLDocument doc;
    try {
        doc.LoadFromXML(xml);
    } catch (const EQuorbelError& e) {
        EXPECT_TRUE(doc.IsEmpty()) << "a failed load leaves the document empty";
        return e.Message();
    }
    return std::nullopt;
}

TEST(XmlDocumentLoadTest, WellFormednessTable)
{
    struct {
        const char* xml;
        bool loads;
    } cases[] = {
        {"<rss/>", true},
        {"<?xml version=\"1.0\"?><rss><channel/></rss>", true},
        {"<a>x</b>", false},
        {"", false},
        {"   ", false},
        {"<a>", false},
        {"<a/><b/>", false},                        // two document elements
        {"<a>&nbsp;</a>", false},                   // HTML entity XML does not define
        {"<a>&amp;&lt;&#233;&#x20AC;</a>", true},
        {"<a><![CDATA[x]]</a>", false},             // unterminated CDATA
        {"<a b=1/>", false},
        {"<a>1 & 2</a>", false},
        // Undeclared prefixes fail cleanly: namespace processing rejects them,
        // on elements and attributes alike.
        {"<rss><channel><itunes:author>x</itunes:author></channel></rss>", false},
        {"<rss><channel a:b=\"1\"/></rss>", false},
        {"<rss xmlns:itunes=\"urn:i\"><channel><itunes:author>x</itunes:author></channel></rss>", true},
        {"<!DOCTYPE rss [<!ENTITY who \"me\">]><rss>&who;</rss>", true},
    };
    for (const auto& c : cases) {
        const std::optional<QString> error = LoadError(c.xml);
        EXPECT_EQ(!error.has_value(), c.loads) << c.xml << " -> " << (error ? Std(*error) : "loaded");
    }
}

TEST(XmlDocumentLoadTest, ErrorNamesParserMessageLineAndColumn)
{
    const std::optional<QString> error = LoadError("<rss>\n<channel>\n<itunes:author/></channel></rss>");
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->contains("itunes")) << Std(*error);
    EXPECT_TRUE(error->contains("line 3")) << Std(*error);
    EXPECT_TRUE(error->contains("column")) << Std(*error);
}

TEST(XmlDocumentLoadTest, FilesAndTheirFailures)
{
    QTemporaryDir dir;
    const QString good = dir.filePath("good.xml");
    const QString bad = dir.filePath("bad.xml");
    QFile f(good);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<rss version=\"2.0\"><channel/></rss>");
    f.close();
    QFile g(bad);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write("<rss>\n<channel>\n</rss>");
    g.close();

    TXMLDocument doc;
    doc.LoadFromFile(good);
    EXPECT_EQ(Std(doc.DocumentElement().NodeName()), "rss");

    try {
        doc.LoadFromFile(bad);
        FAIL() << "not well-formed";
    } catch (const EQuorbelError& e) {
        EXPECT_TRUE(e.Message().contains("bad.xml")) << Std(e.Message());
        EXPECT_TRUE(e.Message().contains("line 3")) << Std(e.Message());
    }
    EXPECT_TRUE(doc.IsEmpty());
    EXPECT_TRUE(doc.DocumentElement().IsNull());
    EXPECT_THROW(doc.LoadFromFile(dir.filePath("missing.xml")), EQuorbelError);
}

QByteArray Encode(const char* encoding, const QString& text, bool bom = false)
{
    QStringEncoder encoder(encoding, bom ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    EXPECT_TRUE(encoder.isValid()) << encoding;
    return encoder.encode(text);
}

TEST(XmlDocumentLoadTest, DeclaredAndDetectedEncodings)
{
    const QString title = QString::fromUtf8("café “x” €");
    const QString russian = QString::fromUtf8("Новости");
    auto doc = [](const char* declared, const QString& t) {
        return QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?><rss><t>%2</t></rss>")
            .arg(QLatin1String(declared), t);
    };
    struct {
        const char* name;
        QByteArray bytes;
        QString expected;
    } cases[] = {
        {"windows-1252", Encode("windows-1252", doc("windows-1252", title)), title},
        {"ISO-8859-1", Encode("ISO-8859-1", doc("ISO-8859-1", "café")), "café"},
        {"KOI8-R", Encode("KOI8-R", doc("KOI8-R", russian)), russian},
        {"UTF-8 with mark", Encode("UTF-8", doc("utf-8", title), true), title},
        {"UTF-16LE with mark", Encode("UTF-16LE", doc("utf-16", title), true), title},
        {"UTF-16BE with mark", Encode("UTF-16BE", doc("utf-16", title), true), title},
        // Without a mark the first bytes tell the byte order, whatever the name says.
        {"UTF-16BE, declared utf-16", Encode("UTF-16BE", doc("utf-16", title)), title},
        {"UTF-16LE, declared utf-16", Encode("UTF-16LE", doc("utf-16", title)), title},
        {"UTF-32BE, declared utf-32", Encode("UTF-32BE", doc("utf-32", title)), title},
        {"UTF-32LE, declared utf_32", Encode("UTF-32LE", doc("utf_32", title)), title},
        {"undeclared UTF-8", QStringLiteral("<rss><t>%1</t></rss>").arg(title).toUtf8(), title},
    };
    for (const auto& c : cases) {
        TXMLDocument d;
        try {
            d.LoadFromXML(c.bytes);
            EXPECT_EQ(Std(d.DocumentElement().ChildText("t")), Std(c.expected)) << c.name;
        } catch (const EQuorbelError& e) {
            ADD_FAILURE() << c.name << ": " << Std(e.Message());
        }
    }
    // Unknown encoding names and bytes that do not fit the encoding fail.
    EXPECT_TRUE(LoadError(Encode("UTF-16BE", doc("u16", "x"))));
    EXPECT_TRUE(LoadError(doc("bogus", "x").toUtf8()));
    EXPECT_TRUE(LoadError("<rss><t>caf\xe9</t></rss>"));
}

// levels nested elements, each level dressed with what must not count as
// nesting: comments, CDATA, processing instructions, empty elements and
// attribute values holding ">" and "/>".
QString Nested(int levels, bool dressed)
{
    const QString open = dressed ? QStringLiteral("<a x='>' y=\"/>\"><!-- <a> --><![CDATA[<a>]]><?pi <a>?><b/><c z='/'/>")
                                 : QStringLiteral("<a>");
    QString doc = dressed ? QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE a [<!ENTITY e \"<a>\"> <!-- ]> -->]>\n")
                          : QString();
    doc.reserve(doc.size() + levels * (open.size() + 4));
    for (int i = 0; i < levels; ++i)
        doc += open;
    for (int i = 0; i < levels; ++i)
        doc += QStringLiteral("</a>");
    return doc;
}

TEST(XmlDocumentLoadTest, NestingDeeperThanAThousandLevelsIsRefused)
{
    struct {
        int levels;
        bool dressed;
        bool loads;
    } cases[] = {
        {1000, false, true}, {1001, false, false}, {1000, true, true}, {1001, true, false}, {100000, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.levels << (c.dressed ? " dressed" : " plain"));
        const QString text = Nested(c.levels, c.dressed);
        for (const char* encoding : {"UTF-8", "UTF-16LE", "UTF-32BE"}) {
            const std::optional<QString> error = LoadError(Encode(encoding, text, true));
            EXPECT_EQ(!error, c.loads) << encoding << ": " << (error ? Std(*error) : "loaded");
            if (error && c.levels > 1000) {
                EXPECT_TRUE(error->contains("deeper than 1000")) << Std(*error);
                EXPECT_TRUE(error->contains(c.dressed ? "line 3" : "line 1")) << Std(*error);
            }
        }
        TXMLDocument doc;
        if (c.loads)
            EXPECT_NO_THROW(doc.LoadFromText(text));
        else
            EXPECT_THROW(doc.LoadFromText(text), EQuorbelError);
    }
}

TEST(XmlDocumentLoadTest, TextInputIgnoresDeclaredEncoding)
{
    TXMLDocument doc;
    doc.LoadFromText(QString::fromUtf8("<?xml version=\"1.0\" encoding=\"utf-16\"?><a>Grüße</a>"));
    EXPECT_EQ(Std(doc.DocumentElement().Text()), "Grüße");
    EXPECT_THROW(doc.LoadFromText("<a>"), EQuorbelError);
}

TEST(XmlDocumentStructureTest, WhiteSpaceOnlyTextIsNotKept)
{
    const TXMLDocument doc = Load("<a>\n  <b>  </b>\n  <c> x </c>\n  <d> <![CDATA[ ]]> </d>\n</a>");
    const TXMLNode a = doc.DocumentElement();
    ASSERT_EQ(a.ChildCount(), 3);
    EXPECT_FALSE(a.ChildNode(0).HasChildNodes());
    EXPECT_EQ(Std(a.ChildNode(1).Text()), " x ");
    ASSERT_EQ(a.ChildNode(2).ChildCount(), 1);
    EXPECT_EQ(a.ChildNode(2).FirstChild().NodeType(), QDomNode::CDATASectionNode);
}

TEST(XmlDocumentStructureTest, TopLevelNodesInDocumentOrder)
{
    const TXMLDocument doc = Load(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<!DOCTYPE rss PUBLIC \"-//x//DTD y//EN\" \"http://example.invalid/rss.dtd\">\n"
        "<!-- generated -->\n<?xml-stylesheet href=\"s.xsl\"?>\n<rss/>\n<!--after-->\n");
    struct {
        QDomNode::NodeType type;
        const char* name;
    } expected[] = {
        {QDomNode::ProcessingInstructionNode, "xml"},
        {QDomNode::CommentNode, "#comment"},
        {QDomNode::ProcessingInstructionNode, "xml-stylesheet"},
        {QDomNode::ElementNode, "rss"},
        {QDomNode::CommentNode, "#comment"},
    };
    const TXMLNodeList top = doc.TopLevelNodes();
    ASSERT_EQ(top.size(), std::size(expected));
    ASSERT_EQ(doc.TopLevelCount(), static_cast<int>(std::size(expected)));
    for (size_t i = 0; i < top.size(); ++i) {
        EXPECT_EQ(top[i].NodeType(), expected[i].type) << i;
        EXPECT_EQ(Std(top[i].NodeName()), expected[i].name) << i;
        EXPECT_EQ(doc.TopLevelNode(static_cast<int>(i)), top[i]);
    }
    EXPECT_EQ(Std(top[1].Text()), " generated ");
    EXPECT_EQ(doc.DocumentElement(), top[3]);
    EXPECT_THROW(doc.TopLevelNode(5), EQuorbelError);
    EXPECT_FALSE(doc.IsEmpty());
    EXPECT_TRUE(TXMLDocument().IsEmpty());
}

TEST(XmlDocumentStructureTest, Navigation)
{
    const TXMLDocument doc = Load("<a><b>1</b><!--c--><d><e/></d></a>");
    const TXMLNode a = doc.DocumentElement();
    const TXMLNode b = a.FirstChild();
    EXPECT_EQ(Std(b.NodeName()), "b");
    EXPECT_EQ(b.NextSibling().NodeType(), QDomNode::CommentNode);
    const TXMLNode d = b.NextSibling().NextSibling();
    EXPECT_EQ(Std(d.NodeName()), "d");
    EXPECT_TRUE(d.NextSibling().IsNull());
    EXPECT_EQ(d.PreviousSibling().NodeType(), QDomNode::CommentNode);
    EXPECT_EQ(a.LastChild(), d);
    EXPECT_EQ(d.FirstChild().ParentNode(), d);
    EXPECT_EQ(d.ParentNode(), a);
    EXPECT_EQ(a.ParentNode().NodeType(), QDomNode::DocumentNode);
    EXPECT_TRUE(a.ParentNode().ParentNode().IsNull());
    EXPECT_EQ(a.ChildCount(), 3);
    EXPECT_EQ(a.ChildNode(2), d);
    EXPECT_EQ(a.ChildNodes().size(), 3u);
    EXPECT_THROW(a.ChildNode(3), EQuorbelError);
    EXPECT_THROW(a.ChildNode(-1), EQuorbelError);
}

// One document with namespaces for the name matching rules.
const char* const kNamespaced =
    "<rss xmlns:itunes=\"urn:itunes\" xmlns:dc=\"urn:dc\">"
    " <channel>"
    "  <itunes:subtitle>prefixed</itunes:subtitle>"
    "  <subtitle>plain</subtitle>"
    "  <dc:title>dc</dc:title>"
    "  <title>plain title</title>"
    "  <Link>upper</Link>"
    " </channel>"
    " <feed xmlns=\"urn:atom\" xmlns:x=\"urn:x\">"
    "  <x:title>other namespace</x:title>"
    "  <title>atom title</title>"
    "  <entry/><x:entry/><entry/>"
    " </feed>"
    "</rss>";

TEST(XmlDocumentNamesTest, ChildMatchesQualifiedOrLocalName)
{
    const TXMLDocument doc = Load(kNamespaced);
    const TXMLNode channel = doc.DocumentElement().FindChild("channel");
    const TXMLNode feed = doc.DocumentElement().FindChild("feed");
    ASSERT_FALSE(channel.IsNull());
    ASSERT_FALSE(feed.IsNull());
    struct {
        const TXMLNode* parent;
        const char* name;
        const char* expectedText; // nullptr: no match
    } cases[] = {
        {&channel, "subtitle", "prefixed"},           // local name, first in document order
        {&channel, "itunes:subtitle", "prefixed"},
        {&channel, "title", "dc"},
        {&channel, "dc:title", "dc"},
        {&channel, "link", nullptr},                  // letter case counts
        {&channel, "Link", "upper"},
        {&channel, "itunes:title", nullptr},
        // Under an element in a namespace only children of that namespace count,
        // even by qualified name.
        {&feed, "title", "atom title"},
        {&feed, "x:title", nullptr},
    };
    for (const auto& c : cases) {
        const TXMLNode found = c.parent->FindChild(c.name);
        if (c.expectedText)
            EXPECT_EQ(Std(found.Text()), c.expectedText) << c.name;
        else
            EXPECT_TRUE(found.IsNull()) << c.name << " found " << Std(found.NodeName());
    }
    EXPECT_EQ(channel.FindChildren("subtitle").size(), 2u);
    EXPECT_EQ(feed.FindChildren("entry").size(), 2u);
    const TXMLNode prefixed = channel.FindChild("subtitle");
    EXPECT_EQ(Std(prefixed.NodeName()), "itunes:subtitle");
    EXPECT_EQ(Std(prefixed.LocalName()), "subtitle");
    EXPECT_EQ(Std(prefixed.Prefix()), "itunes");
    EXPECT_EQ(Std(prefixed.NamespaceURI()), "urn:itunes");
}

TEST(XmlDocumentNamesTest, AttributesMatchWhateverTheirNamespace)
{
    TXMLDocument doc = Load("<a xmlns:x=\"urn:x\" plain=\"1\" x:href=\"2\" Case=\"3\"/>");
    TXMLNode a = doc.DocumentElement();
    struct {
        const char* name;
        const char* expected; // nullptr: missing
    } cases[] = {
        {"plain", "1"}, {"href", "2"}, {"x:href", "2"}, {"Case", "3"}, {"case", nullptr}, {"y:href", nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(a.HasAttribute(c.name), c.expected != nullptr) << c.name;
        if (c.expected) {
            EXPECT_EQ(Std(a.Attribute(c.name)), c.expected) << c.name;
        }
    }
    // An exact qualified name wins over a local-name match.
    TXMLNode b = Load("<b xmlns:x=\"urn:x\" x:id=\"prefixed\" id=\"plain\"/>").DocumentElement();
    EXPECT_EQ(Std(b.Attribute("id")), "plain");
    b.SetAttribute("x:id", "changed");
    EXPECT_EQ(Std(b.Attribute("x:id")), "changed");
    EXPECT_EQ(Std(b.Attribute("id")), "plain");
}

TEST(XmlDocumentTextTest, TextRulesTable)
{
    struct {
        const char* content;
        const char* expected; // nullptr: the read fails
    } cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"a &amp; b &lt;c&gt;", "a & b <c>"},
        {"<![CDATA[<b>bold</b>]]>", "<b>bold</b>"},
        {"text<b>markup</b>", nullptr},
        {"<b>markup</b>", nullptr},
        {"<b/>", nullptr},
        {"a<![CDATA[b]]>", nullptr},             // two text pieces
        {"<!--note-->", nullptr},
        {"a<!--note-->b", nullptr},
        {" <![CDATA[x]]> ", "x"},               // the blanks around it are not kept
    };
    for (const auto& c : cases) {
        const TXMLDocument doc = Load(QStringLiteral("<e>%1</e>").arg(QLatin1String(c.content)));
        const TXMLNode e = doc.DocumentElement();
        if (c.expected) {
            try {
                EXPECT_EQ(Std(e.Text()), c.expected) << c.content;
            } catch (const EQuorbelError& err) {
                ADD_FAILURE() << c.content << ": " << Std(err.Message());
            }
        } else {
            EXPECT_THROW(e.Text(), EQuorbelError) << c.content;
        }
        EXPECT_EQ(e.IsTextElement(), c.expected && *c.expected) << c.content;
    }
}

TEST(XmlDocumentTextTest, NonElementNodesGiveTheirValue)
{
    const TXMLDocument doc = Load("<e>one<!--two--><![CDATA[three]]><?pi four?></e>");
    const TXMLNodeList parts = doc.DocumentElement().ChildNodes();
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(Std(parts[0].Text()), "one");
    EXPECT_EQ(Std(parts[1].Text()), "two");
    EXPECT_EQ(Std(parts[2].Text()), "three");
    EXPECT_EQ(Std(parts[3].Text()), "four");
    EXPECT_THROW(TXMLNode().Text(), EQuorbelError);
    EXPECT_THROW(doc.DocumentElement().ParentNode().Text(), EQuorbelError);
}

TEST(XmlDocumentTextTest, ReadingMissingChildOrAttributeCreatesIt)
{
    TXMLDocument doc = Load("<item><title>t</title></item>");
    TXMLNode item = doc.DocumentElement();
    EXPECT_EQ(Std(item.ChildText("link")), "");
    EXPECT_EQ(Std(item.Attribute("id")), "");
    EXPECT_TRUE(item.HasAttribute("id"));
    ASSERT_FALSE(item.FindChild("link").IsNull());
    EXPECT_EQ(Std(item.ChildText("link")), ""); // the same element, not a second one
    EXPECT_EQ(item.ChildCount(), 2);
    EXPECT_EQ(Std(doc.XML()), "<item id=\"\">\n  <title>t</title>\n  <link/>\n</item>\n");

    // A created child belongs to its parent's namespace, so it is found again.
    TXMLDocument atom = Load("<feed xmlns=\"urn:atom\"><title>t</title></feed>");
    TXMLNode feed = atom.DocumentElement();
    EXPECT_EQ(Std(feed.ChildText("subtitle")), "");
    EXPECT_EQ(Std(feed.FindChild("subtitle").NamespaceURI()), "urn:atom");
    feed.SetChildText("subtitle", "s");
    EXPECT_EQ(feed.ChildCount(), 2);
    EXPECT_EQ(Std(feed.ChildText("subtitle")), "s");
}

TEST(XmlDocumentTextTest, SetTextReplacesContent)
{
    TXMLDocument doc = Load("<e>a<b>c</b>d</e>");
    TXMLNode e = doc.DocumentElement();
    e.SetText("new & <text>");
    EXPECT_EQ(e.ChildCount(), 1);
    EXPECT_EQ(Std(e.Text()), "new & <text>");
    e.SetText("");
    EXPECT_FALSE(e.HasChildNodes());
    EXPECT_THROW(TXMLNode().SetText("x"), EQuorbelError);
}

TEST(XmlDocumentBuildTest, CreateAndSerialise)
{
    TXMLDocument doc;
    TXMLNode root = doc.CreateDocumentElement("Quorbel");
    TXMLNode node = root.AddChild("node");
    node.AddChild("Title").SetText("Tom & Jerry <3> \"quoted\"");
    node.AddChild("Link");
    TXMLNode child = node.AddChild("node");
    child.SetChildText("Title", "inner");
    child.SetAttribute("kind", "a\"b<c&d");
    node.InsertChild(0, "First").SetText("1");
    EXPECT_EQ(Std(doc.XML()),
              "<Quorbel>\n"
              "  <node>\n"
              "    <First>1</First>\n"
              "    <Title>Tom &amp; Jerry &lt;3> \"quoted\"</Title>\n"
              "    <Link/>\n"
              "    <node kind=\"a&quot;b&lt;c&amp;d\">\n"
              "      <Title>inner</Title>\n"
              "    </node>\n"
              "  </node>\n"
              "</Quorbel>\n");
    EXPECT_EQ(Std(child.XML()), "<node kind=\"a&quot;b&lt;c&amp;d\">\n  <Title>inner</Title>\n</node>\n");

    // What is written reads back to the same texts.
    TXMLDocument back;
    back.LoadFromText(doc.XML());
    EXPECT_EQ(Std(back.DocumentElement().FindChild("node").ChildText("Title")), "Tom & Jerry <3> \"quoted\"");
    EXPECT_EQ(Std(back.XML()), Std(doc.XML()));
    EXPECT_THROW(node.InsertChild(9, "x"), EQuorbelError);
}

TEST(XmlDocumentBuildTest, SerialiseLeavesOutTheDeclaration)
{
    const TXMLDocument doc = Load("<?xml version=\"1.0\" encoding=\"windows-1252\"?><!--c--><a><b>x</b></a>");
    EXPECT_EQ(Std(doc.XML()), "<!--c-->\n<a>\n  <b>x</b>\n</a>\n");
}

TEST(XmlDocumentBuildTest, RemoveChild)
{
    TXMLDocument doc = Load("<a><b/><c/></a>");
    TXMLNode a = doc.DocumentElement();
    TXMLNode b = a.FindChild("b");
    a.RemoveChild(b);
    EXPECT_EQ(a.ChildCount(), 1);
    EXPECT_THROW(a.RemoveChild(b), EQuorbelError);
    EXPECT_THROW(a.FindChild("c").RemoveChild(a), EQuorbelError);
}

TEST(XmlDocumentOwnershipTest, NodesKeepTheirDocumentAlive)
{
    TXMLNode title;
    {
        TXMLDocument doc = Load("<rss><channel><title>kept</title></channel></rss>");
        title = doc.DocumentElement().FindChild("channel").FindChild("title");
    }
    EXPECT_EQ(Std(title.Text()), "kept");
    EXPECT_EQ(Std(title.ParentNode().ParentNode().NodeName()), "rss");

    // A new load replaces the content for the document, not for older handles.
    TXMLDocument doc = Load("<old>1</old>");
    const TXMLNode old = doc.DocumentElement();
    doc.LoadFromXML("<new>2</new>");
    EXPECT_EQ(Std(old.Text()), "1");
    EXPECT_EQ(Std(doc.DocumentElement().Text()), "2");
}

class TestCollection : public TXMLNodeCollection {
public:
    using TXMLNodeCollection::TXMLNodeCollection;
    using TXMLNodeCollection::AddItem;
    using TXMLNodeCollection::InsertItem;
};

TEST(XmlDocumentCollectionTest, ItemsOfOneName)
{
    TXMLDocument doc = Load("<ch><item>1</item><title/><item>2</item><x:item xmlns:x=\"urn:x\">3</x:item></ch>");
    TestCollection items(doc.DocumentElement(), "item");
    ASSERT_EQ(items.Count(), 3); // the prefixed one answers to its local name
    EXPECT_EQ(Std(items.Nodes(2).Text()), "3");
    items.InsertItem(1).SetText("1.5");
    items.AddItem().SetText("4");
    items.InsertItem(0).SetText("0");
    auto texts = [&] {
        std::string all;
        for (int i = 0; i < items.Count(); ++i)
            all += Std(items.Nodes(i).Text()) + ' ';
        return all;
    };
    EXPECT_EQ(texts(), "0 1 1.5 2 3 4 ");
    items.Delete(2);
    EXPECT_EQ(items.Remove(items.Nodes(0)), 0);
    EXPECT_EQ(items.Remove(doc.DocumentElement().FindChild("title")), -1);
    EXPECT_EQ(texts(), "1 2 3 4 ");
    EXPECT_THROW(items.Nodes(4), EQuorbelError);
    EXPECT_THROW(items.Delete(-1), EQuorbelError);
    EXPECT_THROW(items.InsertItem(7), EQuorbelError);
    items.Clear();
    EXPECT_EQ(items.Count(), 0);
    EXPECT_EQ(doc.DocumentElement().ChildCount(), 1); // the title stays
}

} // namespace
