// The public feed corpora through the XML document layer and the RSS binding.
// For every file: no crash, no hang, no exception other than EQuorbelError,
// and a load result that agrees with the strict parser the manifests were
// made with (libxml2), apart from the short list of checked differences below.
// Beyond that, field values are compared with the other readers' expectations
// only where our reading rules decide the value the same way theirs do.
#include "feeds/XMLRss.h"

#include "app/NewsGlobals.h"
#include "feeds/RssMerge.h"
#include "platform/Errors.h"
#include "support/FakeClock.h"
#include "support/FakeConnectivity.h"
#include "support/MergeTrees.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QDomElement>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QUrl>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>

namespace {

std::string Std(const QString& text)
{
    return text.toStdString();
}

QString CorpusDir()
{
    return QStringLiteral(QUORBEL_CORPORA_DIR);
}

struct ManifestRow {
    QString file;       // absolute path
    QString relative;   // corpus/path as in the tables below
    QString root;
    bool strictOk = false;
    QString expect;     // feedparser only
};

// MANIFEST.tsv: one header line, then tab-separated rows; the column names
// say where the root and the libxml2 verdict are.
std::vector<ManifestRow> ReadManifest(const QString& corpus)
{
    std::vector<ManifestRow> rows;
    QFile f(CorpusDir() + '/' + corpus + QStringLiteral("/MANIFEST.tsv"));
    if (!f.open(QIODevice::ReadOnly))
        return rows;
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    if (lines.isEmpty())
        return rows;
    const QStringList header = lines[0].split('\t');
    const int pathCol = header.indexOf("path");
    const int rootCol = header.indexOf("root");
    const int okCol = header.indexOf("libxml2_wellformed");
    const int expectCol = header.indexOf("expect");
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList cols = lines[i].split('\t');
        if (cols.size() <= std::max(pathCol, okCol))
            continue;
        ManifestRow row;
        row.relative = corpus + '/' + cols[pathCol];
        row.file = CorpusDir() + '/' + row.relative;
        row.root = cols[rootCol];
        row.strictOk = cols[okCol] == QLatin1String("ok");
        if (expectCol >= 0 && expectCol < cols.size())
            row.expect = cols[expectCol];
        rows.push_back(row);
    }
    return rows;
}

// Documents on which Qt's parser and libxml2 disagree, each looked at by hand.
struct KnownDifference {
    const char* file;
    bool weLoad;
    const char* why;
};
const KnownDifference kKnownDifferences[] = {
    // An undeclared namespace prefix is only a namespace error to libxml2, which
    // still calls the document well-formed; with namespace processing Qt refuses
    // the document (feedparser itself expects "bozo" for the first one).
    {"feedparser/tests/illformed/undeclared_namespace.xml", false, "Namespace prefix"},
    {"gofeed/testdata/translator/rss/feed_item_image_-_rss_channel_item_content.xml", false, "Namespace prefix"},
    {"gofeed/testdata/translator/rss/feed_link_-_rss_channel_atom_link.xml", false, "Namespace prefix"},
    {"gofeed/testdata/translator/rss/feed_link_-_rss_channel_atom_link_alternate.xml", false, "Namespace prefix"},
    {"gofeed/testdata/translator/rss/feed_link_-_rss_channel_itunes_subtitle.xml", false, "Namespace prefix"},
    // Well-formed UTF-32 (feedparser expects them to parse) that the libxml2 used
    // for the manifest does not decode under the name "utf-32" / "utf-32le".
    {"feedparser/tests/encoding/utf-32be-autodetect.xml", true, "UTF-32"},
    {"feedparser/tests/encoding/utf-32be-bom.xml", true, "UTF-32"},
    {"feedparser/tests/encoding/utf-32le-autodetect.xml", true, "UTF-32"},
    {"feedparser/tests/encoding/utf-32le-bom.xml", true, "UTF-32"},
    {"feedparser/tests/encoding/utf-32le.xml", true, "UTF-32"},
};

const KnownDifference* FindDifference(const QString& relative)
{
    for (const KnownDifference& d : kKnownDifferences)
        if (relative == QLatin1String(d.file))
            return &d;
    return nullptr;
}

struct CorpusFolder {
    const char* corpus;
    const char* folder;
};

std::ostream& operator<<(std::ostream& out, const CorpusFolder& f)
{
    return out << f.corpus << '/' << f.folder;
}

std::vector<ManifestRow> RowsOf(const CorpusFolder& f)
{
    const QString prefix = QStringLiteral("%1/%2/").arg(QLatin1String(f.corpus), QLatin1String(f.folder));
    std::vector<ManifestRow> rows;
    for (ManifestRow& row : ReadManifest(QLatin1String(f.corpus)))
        if (row.relative.startsWith(prefix))
            rows.push_back(row);
    return rows;
}

// Every node's children point back at it; element texts either read or fail
// with our error. Returns the number of nodes seen.
int WalkTree(const TXMLNode& node, int depth = 0)
{
    int count = 1;
    if (depth > 200) {
        ADD_FAILURE() << "nesting deeper than 200";
        return count;
    }
    if (node.IsElement()) {
        try {
            (void)node.Text();
        } catch (const EQuorbelError&) {
        }
    }
    for (TXMLNode c = node.FirstChild(); !c.IsNull(); c = c.NextSibling()) {
        EXPECT_EQ(c.ParentNode(), node) << Std(c.NodeName());
        count += WalkTree(c, depth + 1);
    }
    return count;
}

struct BindingTally {
    int bound = 0;
    int items = 0;
    int plainReadFailures = 0;
};

// The fields the feed merge reads: the binding's plain reads may fail (they are
// counted), the first-child reads the merge makes of the same fields may not.
void ReadLikeTheMerge(const IXMLRssType& rss, BindingTally& tally, const QString& file)
{
    IXMLChannelType channel = rss->Channel();
    auto plain = [&](auto read) {
        try {
            (void)read();
        } catch (const EQuorbelError&) {
            ++tally.plainReadFailures;
        }
    };
    plain([&] { return channel->Title(); });
    plain([&] { return channel->Description(); });
    EXPECT_NO_THROW((void)channel->FirstChildText("title")) << Std(file);
    EXPECT_NO_THROW((void)channel->FirstChildText("description")) << Std(file);
    const int count = channel->Item()->Count();
    for (int i = 0; i < count; ++i) {
        IXMLItemType item = channel->Item()->Items(i);
        EXPECT_NO_THROW((void)item->Title()) << Std(file);
        EXPECT_NO_THROW((void)item->Description()) << Std(file);
        plain([&] { return item->PubDate(); });
        plain([&] { return item->Link(); });
        plain([&] { return item->Enclosure()->Url(); });
        EXPECT_NO_THROW((void)item->FirstChildText("pubDate")) << Std(file);
        EXPECT_NO_THROW((void)item->FirstChildText("link")) << Std(file);
        ++tally.items;
    }
    // The reads added what was missing, so the count stays.
    EXPECT_EQ(channel->Item()->Count(), count) << Std(file);
}

// The reads the RDF merge makes: the first child is the channel, every later
// sibling an item, each asked for title, link and description.
void ReadLikeTheRdfMerge(TXMLNode rdf, BindingTally& tally)
{
    for (TXMLNode n = rdf.FirstChild(); !n.IsNull(); n = n.NextSibling()) {
        for (const char* name : {"title", "link", "description"}) {
            try {
                (void)n.ChildText(name);
            } catch (const EQuorbelError&) {
                ++tally.plainReadFailures;
            }
        }
    }
}

class CorpusFolderTest : public ::testing::TestWithParam<CorpusFolder> {};

TEST_P(CorpusFolderTest, EveryFileLoadsOrFailsCleanly)
{
    const std::vector<ManifestRow> rows = RowsOf(GetParam());
    ASSERT_FALSE(rows.empty()) << "no manifest rows under " << GetParam();

    // The manifest covers the folder: no document goes untested.
    const QString folder =
        CorpusDir() + QStringLiteral("/%1/%2").arg(QLatin1String(GetParam().corpus), QLatin1String(GetParam().folder));
    std::map<QString, bool> listed;
    for (const ManifestRow& row : rows)
        listed[QFileInfo(row.file).canonicalFilePath()] = true;
    QDirIterator it(folder, {"*.xml"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = QFileInfo(it.next()).canonicalFilePath();
        EXPECT_TRUE(listed.count(path)) << "not in the manifest: " << Std(path);
    }

    int loaded = 0, rejected = 0, differences = 0;
    BindingTally tally;
    for (const ManifestRow& row : rows) {
        SCOPED_TRACE(Std(row.relative));
        ASSERT_TRUE(QFile::exists(row.file));
        TXMLDocument doc;
        std::optional<QString> error;
        try {
            doc.LoadFromFile(row.file);
        } catch (const EQuorbelError& e) {
            error = e.Message();
        } catch (...) {
            ADD_FAILURE() << "foreign exception from the load";
            continue;
        }
        const bool weLoad = !error;
        weLoad ? ++loaded : ++rejected;

        const KnownDifference* difference = FindDifference(row.relative);
        if (difference) {
            ++differences;
            EXPECT_NE(weLoad, row.strictOk) << "listed as a difference but agrees";
            EXPECT_EQ(weLoad, difference->weLoad);
            if (error) {
                EXPECT_TRUE(error->contains(QLatin1String(difference->why))) << Std(*error);
            }
        } else {
            EXPECT_EQ(weLoad, row.strictOk) << (error ? Std(*error) : std::string("loaded"));
        }
        if (!weLoad) {
            EXPECT_THROW(LoadRss(row.file), EQuorbelError);
            continue;
        }

        EXPECT_GT(WalkTree(doc.DocumentElement()), 0);
        const QString rootName = doc.DocumentElement().NodeName();
        EXPECT_EQ(Std(rootName), Std(row.root));
        // The documents open with a comment that starts with "Description:" (or a
        // skip condition before it): a decoding slip would garble it.
        if (QLatin1String(GetParam().folder) == QLatin1String("tests/encoding")) {
            bool described = false;
            for (const TXMLNode& top : doc.TopLevelNodes())
                if (top.NodeType() == QDomNode::CommentNode && top.Text().contains("Description:"))
                    described = true;
            EXPECT_TRUE(described);
        }

        try {
            IXMLRssType rss = LoadRss(row.file);
            EXPECT_EQ(Std(rootName), "rss") << "bound a document that is not rss";
            ++tally.bound;
            ReadLikeTheMerge(rss, tally, row.relative);
        } catch (const EQuorbelError& e) {
            EXPECT_NE(Std(rootName), "rss") << Std(e.Message());
        } catch (...) {
            ADD_FAILURE() << "foreign exception from the binding";
        }
        if (rootName == QLatin1String("rdf:RDF"))
            ReadLikeTheRdfMerge(doc.DocumentElement(), tally);
    }
    std::printf("[ corpus   ] %s/%s: %zu files, %d loaded, %d rejected, %d known differences, "
                "%d bound as rss, %d items read, %d plain reads failed\n",
                GetParam().corpus, GetParam().folder, rows.size(), loaded, rejected, differences,
                tally.bound, tally.items, tally.plainReadFailures);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusFolderTest,
                         ::testing::Values(CorpusFolder{"feedparser", "tests/wellformed/rss"},
                                           CorpusFolder{"feedparser", "tests/wellformed/rdf"},
                                           CorpusFolder{"feedparser", "tests/encoding"},
                                           CorpusFolder{"feedparser", "tests/illformed"},
                                           CorpusFolder{"feedparser", "tests/entities"},
                                           CorpusFolder{"gofeed", "testdata/parser/rss"},
                                           CorpusFolder{"gofeed", "testdata/translator/rss"}));

// Every rss document of the corpora merges into a news tree, and merging it a
// second time adds nothing: no field of a real feed stops the merge.
class CorpusMergeTest : public TMergeTrees<::testing::TestWithParam<CorpusFolder>> {};

TEST_P(CorpusMergeTest, EveryRssDocumentMergesAndRefreshesToNothingNew)
{
    int merged = 0;
    for (const ManifestRow& row : RowsOf(GetParam())) {
        const KnownDifference* difference = FindDifference(row.relative);
        if (row.root != QLatin1String("rss") || !(difference ? difference->weLoad : row.strictOk))
            continue;
        SCOPED_TRACE(Std(row.relative));
        const QString url = QUrl::fromLocalFile(row.file).toString();
        try {
            QTreeWidgetItem* feed = MergeRssChannel(views, 0, nullptr, url, LoadRss(row.file));
            ASSERT_NE(feed, nullptr);
            const int children = feed->childCount();
            EXPECT_EQ(MergeRssChannel(views, 0, nullptr, url, LoadRss(row.file)), feed);
            EXPECT_EQ(feed->childCount(), children);
            EXPECT_TRUE(feed->text(0).endsWith(children ? QStringLiteral("(0 of %1)").arg(children)
                                                        : QStringLiteral("(0)")))
                << Std(feed->text(0));
            ++merged;
        } catch (const EQuorbelError& e) {
            ADD_FAILURE() << Std(e.Message());
        }
    }
    EXPECT_GT(merged, 0);
    EXPECT_EQ(tree.topLevelItemCount(), merged); // one feed node per document
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusMergeTest,
                         ::testing::Values(CorpusFolder{"feedparser", "tests/wellformed/rss"},
                                           CorpusFolder{"feedparser", "tests/encoding"},
                                           CorpusFolder{"gofeed", "testdata/parser/rss"},
                                           CorpusFolder{"gofeed", "testdata/translator/rss"}));

// ------------------------------------------------------------ field values

// What the raw DOM holds for one field, seen independently of the binding.
enum class Shape {
    Absent,     // no child element of that local name
    Empty,      // the element has no content
    Text,       // exactly one text or CDATA node
    Mixed,      // a text node first, more nodes after it
    Markup,     // something else first
};

struct Probe {
    Shape shape = Shape::Absent; // of the first candidate
    QString text;                // Text: the text; Mixed: the first piece
    int candidates = 0;          // child elements of that local name, any namespace
    bool plain = false;          // one candidate, unprefixed, in the parent's namespace
    QString namespaceURI;
    bool underXmlBase = false;   // an xml:base on the element or above it
};

bool IsTextNode(const QDomNode& n)
{
    return n.nodeType() == QDomNode::TextNode || n.nodeType() == QDomNode::CDATASectionNode;
}

Probe ProbeChild(const QDomNode& parent, const QString& localName)
{
    Probe probe;
    QDomElement first;
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        if (e.localName() == localName) {
            if (probe.candidates++ == 0)
                first = e;
        }
    if (first.isNull())
        return probe;
    probe.namespaceURI = first.namespaceURI();
    for (QDomNode n = first; n.isElement(); n = n.parentNode())
        if (n.toElement().hasAttributeNS(QStringLiteral("http://www.w3.org/XML/1998/namespace"), QStringLiteral("base")))
            probe.underXmlBase = true;
    probe.plain = probe.candidates == 1 && first.prefix().isEmpty() && first.namespaceURI() == parent.namespaceURI();
    const QDomNode content = first.firstChild();
    if (content.isNull()) {
        probe.shape = Shape::Empty;
    } else if (IsTextNode(content)) {
        probe.text = content.nodeValue();
        probe.shape = content.nextSibling().isNull() ? Shape::Text : Shape::Mixed;
    } else {
        probe.shape = Shape::Markup;
    }
    return probe;
}

enum class Reader { Plain, FirstChild };

struct FieldTally {
    int compared = 0;
    std::map<std::string, int> skipped;
};

std::string Show(const std::optional<QString>& value)
{
    return value ? Std(*value) : std::string("<read failed>");
}

const char* const kDublinCore = "http://purl.org/dc/elements/1.1/";

// Checks our read of one field against the raw DOM, then against the other
// reader's value where the rules meet. Those readers strip surrounding white
// space, which we keep, so that comparison is on the trimmed text.
// dublinCoreToo: the other reader also takes a lone dc: element for the field,
// as our local-name matching does.
void CheckField(const char* field, const Probe& probe, Reader reader, const std::function<QString()>& read,
                const QString& theirs, FieldTally& tally, bool dublinCoreToo = false)
{
    SCOPED_TRACE(field);
    std::optional<QString> ours;
    try {
        ours = read();
    } catch (const EQuorbelError&) {
    }
    if (reader == Reader::FirstChild) {
        EXPECT_TRUE(ours) << "first-child readers never fail";
    }
    const bool decided = probe.plain
        || (dublinCoreToo && probe.candidates == 1 && probe.namespaceURI == QLatin1String(kDublinCore));
    if (probe.shape != Shape::Absent && !decided) {
        ++tally.skipped["several, prefixed or foreign candidates: they keep extensions apart"];
        return;
    }
    switch (probe.shape) {
    case Shape::Absent:
        EXPECT_EQ(Show(ours), "");
        if (!theirs.isEmpty()) {
            ++tally.skipped["absent element: they fill the field from another one"];
            return;
        }
        break;
    case Shape::Empty:
        EXPECT_EQ(Show(ours), "");
        break;
    case Shape::Text:
        EXPECT_EQ(Show(ours), Std(probe.text));
        break;
    case Shape::Mixed:
        if (reader == Reader::Plain) {
            EXPECT_FALSE(ours) << "a plain read of mixed content must fail";
        } else {
            EXPECT_EQ(Show(ours), Std(probe.text)) << "the first piece";
        }
        ++tally.skipped["mixed content: they join the pieces, we take the first or fail"];
        return;
    case Shape::Markup:
        if (reader == Reader::Plain) {
            EXPECT_FALSE(ours) << "a plain read of element content must fail";
        }
        ++tally.skipped["element content: they keep the markup, we read the first child"];
        return;
    }
    const QString text = ours.value_or(QString());
    if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x80 && c.unicode() <= 0x9F; })) {
        ++tally.skipped["C1 control characters: they read them as Windows-1252"];
        return;
    }
    if (probe.underXmlBase && QLatin1String(field).endsWith(QLatin1String("link"))) {
        ++tally.skipped["xml:base in force: they resolve relative links"];
        return;
    }
    ++tally.compared;
    EXPECT_EQ(Std(text.trimmed()), Std(theirs));
}

void PrintTally(const char* what, const FieldTally& tally)
{
    std::printf("[ corpus   ] %s: %d fields compared\n", what, tally.compared);
    for (const auto& [reason, count] : tally.skipped)
        std::printf("[ corpus   ]   skipped %d: %s\n", count, reason.c_str());
}

// A missing key means empty.
QString JsonText(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toString();
}

TEST(CorpusValuesTest, GofeedRssFieldsWhereOurRulesDecide)
{
    FieldTally tally;
    int documents = 0;
    for (const ManifestRow& row : RowsOf({"gofeed", "testdata/parser/rss"})) {
        if (row.root != QLatin1String("rss") || !row.strictOk)
            continue;
        QFile jsonFile(QString(row.file).replace(QRegularExpression("\\.xml$"), ".json"));
        if (!jsonFile.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject expected = QJsonDocument::fromJson(jsonFile.readAll()).object();
        SCOPED_TRACE(Std(row.relative));

        TXMLDocument dom;
        IXMLRssType rss;
        try {
            dom.LoadFromFile(row.file);
            rss = LoadRss(row.file);
        } catch (const EQuorbelError& e) {
            ADD_FAILURE() << Std(e.Message());
            continue;
        }
        ++documents;
        const QDomNode rawChannel = dom.DocumentElement().DomNode().firstChildElement("channel");
        IXMLChannelType channel = rss->Channel();
        CheckField("channel title", ProbeChild(rawChannel, "title"), Reader::Plain,
                   [&] { return channel->Title(); }, JsonText(expected, "title"), tally);
        CheckField("channel description", ProbeChild(rawChannel, "description"), Reader::Plain,
                   [&] { return channel->Description(); }, JsonText(expected, "description"), tally);

        const QJsonArray items = expected.value("items").toArray();
        int rawItems = 0;
        bool plainItems = true;
        for (QDomElement e = rawChannel.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
            if (e.localName() == QLatin1String("item")) {
                ++rawItems;
                plainItems = plainItems && e.prefix().isEmpty();
            }
        if (plainItems) {
            EXPECT_EQ(channel->Item()->Count(), items.size());
            ++tally.compared;
        }
        if (items.isEmpty() || channel->Item()->Count() == 0)
            continue;
        const QJsonObject first = items.at(0).toObject();
        const QDomNode rawItem = rawChannel.firstChildElement("item");
        IXMLItemType item = channel->Item()->Items(0);
        CheckField("item title", ProbeChild(rawItem, "title"), Reader::FirstChild,
                   [&] { return item->Title(); }, JsonText(first, "title"), tally);
        CheckField("item description", ProbeChild(rawItem, "description"), Reader::FirstChild,
                   [&] { return item->Description(); }, JsonText(first, "description"), tally);
        CheckField("item link", ProbeChild(rawItem, "link"), Reader::Plain,
                   [&] { return item->Link(); }, JsonText(first, "link"), tally);
        CheckField("item pubDate", ProbeChild(rawItem, "pubDate"), Reader::Plain,
                   [&] { return item->PubDate(); }, JsonText(first, "pubDate"), tally);

        // The enclosure url is an attribute: compare when there is one plain
        // enclosure element, or none.
        const Probe enclosure = ProbeChild(rawItem, "enclosure");
        const QString theirUrl = JsonText(first.value("enclosure").toObject(), "url");
        if (enclosure.candidates == 0) {
            EXPECT_EQ(Std(item->Enclosure()->Url()), Std(theirUrl));
            ++tally.compared;
        } else if (enclosure.plain) {
            EXPECT_EQ(Std(item->Enclosure()->Url()),
                      Std(rawItem.firstChildElement("enclosure").attribute("url")));
            EXPECT_EQ(Std(item->Enclosure()->Url().trimmed()), Std(theirUrl));
            ++tally.compared;
        } else {
            ++tally.skipped["several or prefixed enclosures"];
        }
    }
    EXPECT_GT(documents, 100);
    EXPECT_GT(tally.compared, 300);
    PrintTally("gofeed parser/rss", tally);
}

// A Python string literal at the start of text ('...', "...", '''...''' or
// """..."""), with the escapes the feedparser expectations use.
std::optional<QString> PythonString(const QString& text)
{
    int pos = 0;
    if (pos < text.size() && (text[pos] == 'u' || text[pos] == 'b'))
        ++pos;
    if (pos >= text.size() || (text[pos] != '\'' && text[pos] != '"'))
        return std::nullopt;
    const QChar quote = text[pos];
    const QString triple(3, quote);
    const bool isTriple = text.mid(pos, 3) == triple;
    pos += isTriple ? 3 : 1;
    QString out;
    while (pos < text.size()) {
        if (isTriple ? text.mid(pos, 3) == triple : text[pos] == quote)
            return out;
        const QChar c = text[pos++];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (pos >= text.size())
            return std::nullopt;
        const QChar e = text[pos++];
        auto hex = [&](int digits) -> std::optional<QString> {
            bool ok = false;
            const uint code = text.mid(pos, digits).toUInt(&ok, 16);
            pos += digits;
            if (!ok)
                return std::nullopt;
            return QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        };
        std::optional<QString> piece;
        switch (e.unicode()) {
        case 'n': piece = QStringLiteral("\n"); break;
        case 't': piece = QStringLiteral("\t"); break;
        case 'r': piece = QStringLiteral("\r"); break;
        case 'x': piece = hex(2); break;
        case 'u': piece = hex(4); break;
        case 'U': piece = hex(8); break;
        case '\\': case '\'': case '"': piece = QString(e); break;
        default: piece = QStringLiteral("\\") + e; break;
        }
        if (!piece)
            return std::nullopt;
        out += *piece;
    }
    return std::nullopt;
}

TEST(CorpusValuesTest, PythonStringLiterals)
{
    EXPECT_EQ(PythonString("'plain' and x"), QString("plain"));
    EXPECT_EQ(PythonString("\"Mark's\""), QString("Mark's"));
    EXPECT_EQ(PythonString("'\\ub144'"), QString(QChar(0xB144)));
    EXPECT_EQ(PythonString("'\\xa3\\u201c'"), QString::fromUtf8("£“"));
    EXPECT_EQ(PythonString("\"\"\"&lt;!' <a href=\"foo\">\"\"\""), QString("&lt;!' <a href=\"foo\">"));
    EXPECT_EQ(PythonString("'it\\'s'"), QString("it's"));
    EXPECT_FALSE(PythonString("'open"));
    EXPECT_FALSE(PythonString("8230"));
}

TEST(CorpusValuesTest, FeedparserStringExpectationsWhereOurRulesDecide)
{
    // feed['title'] == '...', entries[0]['link'] == "...", and the enclosure url.
    static const QRegularExpression clause(QStringLiteral(
        "(feed|entries\\[0\\])\\[['\"](title|description|link|published)['\"]\\]\\s*==\\s*"
        "|entries\\[0\\]\\[['\"]enclosures['\"]\\]\\[0\\]\\[['\"]url['\"]\\]\\s*==\\s*"));
    FieldTally tally;
    int clauses = 0;
    for (const CorpusFolder folder : {CorpusFolder{"feedparser", "tests/wellformed/rss"},
                                      CorpusFolder{"feedparser", "tests/wellformed/rdf"},
                                      CorpusFolder{"feedparser", "tests/encoding"}}) {
        for (const ManifestRow& row : RowsOf(folder)) {
            if (!row.strictOk || !row.expect.startsWith(QLatin1String("not bozo")))
                continue;
            SCOPED_TRACE(Std(row.relative));
            for (auto m = clause.globalMatch(row.expect); m.hasNext();) {
                const QRegularExpressionMatch match = m.next();
                const std::optional<QString> theirs = PythonString(row.expect.mid(match.capturedEnd()));
                if (!theirs)
                    continue; // not a plain string literal
                ++clauses;
                const bool ofFeed = match.captured(1) == QLatin1String("feed");
                const QString field = match.captured(2).isEmpty() ? QStringLiteral("enclosure") : match.captured(2);
                // feedparser rewrites the HTML it finds in texts and resolves links.
                if (theirs->contains('<') || theirs->contains('&')) {
                    ++tally.skipped["HTML in the text: feedparser sanitises it"];
                    continue;
                }

                TXMLDocument dom;
                dom.LoadFromFile(row.file);
                const TXMLNode root = dom.DocumentElement();
                const std::string label = Std(QStringLiteral("%1 %2").arg(ofFeed ? "feed" : "entry", field));

                if (root.NodeName() == QLatin1String("rdf:RDF")) {
                    // The RDF merge reads the first child as the channel and the next
                    // sibling as the first item, title, link and description only.
                    TXMLNode target = ofFeed ? root.FirstChild() : root.FirstChild().NextSibling();
                    if (target.IsNull() || (!ofFeed && target.LocalName() != QLatin1String("item"))
                        || field == QLatin1String("published") || field == QLatin1String("enclosure")) {
                        ++tally.skipped["RDF: not a field the RDF merge reads there"];
                        continue;
                    }
                    CheckField(label.c_str(), ProbeChild(target.DomNode(), field), Reader::Plain,
                               [&] { return target.ChildText(field); }, *theirs, tally, true);
                    continue;
                }
                if (root.NodeName() != QLatin1String("rss")) {
                    ++tally.skipped["not an rss document"];
                    continue;
                }
                IXMLRssType rss = GetRss(dom);
                const QDomNode rawChannel = root.DomNode().firstChildElement("channel");
                if (ofFeed) {
                    if (field != QLatin1String("title") && field != QLatin1String("description")) {
                        ++tally.skipped["channel field the program does not read"];
                        continue;
                    }
                    CheckField(label.c_str(), ProbeChild(rawChannel, field), Reader::Plain,
                               [&] { return field == "title" ? rss->Channel()->Title() : rss->Channel()->Description(); },
                               *theirs, tally, true);
                    continue;
                }
                const QDomNode rawItem = rawChannel.firstChildElement("item");
                ASSERT_GT(rss->Channel()->Item()->Count(), 0);
                IXMLItemType item = rss->Channel()->Item()->Items(0);
                if (field == QLatin1String("enclosure")) {
                    if (ProbeChild(rawItem, "enclosure").plain) {
                        EXPECT_EQ(Std(item->Enclosure()->Url()), Std(*theirs));
                        ++tally.compared;
                    } else {
                        ++tally.skipped["several or prefixed enclosures"];
                    }
                    continue;
                }
                const QString element = field == QLatin1String("published") ? QStringLiteral("pubDate") : field;
                const bool firstChild = field == QLatin1String("title") || field == QLatin1String("description");
                CheckField(label.c_str(), ProbeChild(rawItem, element), firstChild ? Reader::FirstChild : Reader::Plain,
                           [&] {
                               if (field == QLatin1String("title")) return item->Title();
                               if (field == QLatin1String("description")) return item->Description();
                               if (field == QLatin1String("link")) return item->Link();
                               return item->PubDate();
                           },
                           *theirs, tally, true);
            }
        }
    }
    EXPECT_GT(clauses, 40);
    EXPECT_GT(tally.compared, 20);
    PrintTally("feedparser string expectations", tally);
}

} // namespace
