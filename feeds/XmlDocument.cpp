#include "feeds/XmlDocument.h"

#include "feeds/DocumentText.h"
#include "platform/Errors.h"

#include <QDomElement>
#include <QDomNamedNodeMap>
#include <QFile>
#include <QStringDecoder>
#include <QTextStream>

#include <optional>

namespace {

const int kIndent = 2;

QString LocalNameOf(const QDomNode& node)
{
    const QString local = node.localName();
    if (!local.isEmpty() || !(node.isElement() || node.isAttr()))
        return local;
    // Nodes made through the namespace-less DOM calls carry no local name.
    const QString name = node.nodeName();
    return name.mid(name.indexOf(QLatin1Char(':')) + 1);
}

bool NameMatches(const QDomNode& node, const QString& name)
{
    return node.nodeName() == name || LocalNameOf(node) == name;
}

bool CountsAsChild(const QDomNode& parent, const QDomNode& child)
{
    if (!child.isElement())
        return false;
    const QString ns = parent.namespaceURI();
    return ns.isEmpty() || child.namespaceURI() == ns;
}

QDomNode FindMatchingChild(const QDomNode& parent, const QString& name)
{
    for (QDomNode c = parent.firstChild(); !c.isNull(); c = c.nextSibling())
        if (CountsAsChild(parent, c) && NameMatches(c, name))
            return c;
    return {};
}

// The qualified name wins over a local-name match; among several local-name
// matches the alphabetically first qualified name, so the choice does not
// depend on the attribute map's internal order.
QDomAttr FindMatchingAttribute(const QDomNode& node, const QString& name)
{
    const QDomNamedNodeMap attrs = node.attributes();
    QDomAttr best;
    for (int i = 0; i < attrs.count(); ++i) {
        // nodeName, not name(): the latter drops the prefix.
        const QDomAttr a = attrs.item(i).toAttr();
        if (a.nodeName() == name)
            return a;
        if (LocalNameOf(a) == name && (best.isNull() || a.nodeName() < best.nodeName()))
            best = a;
    }
    return best;
}

// QDomNode::save indents an element as if it stood one level deep; a copy in a
// document of its own is written from the left margin.
QString SaveNode(const QDomNode& node)
{
    if (node.isElement()) {
        QDomDocument single;
        single.appendChild(single.importNode(node, true));
        return single.toString(kIndent);
    }
    QString out;
    QTextStream stream(&out);
    node.save(stream, 0);
    stream.flush();
    return out;
}

// Qt picks the decoder of a document without byte-order mark from the declared
// name alone and reads "UTF-16" and "UTF-32" in the machine's byte order, so a
// big-endian document without a mark fails. Its first four bytes tell the byte
// order: such a document is decoded here and parsed as text. An encoding name
// no decoder knows is left for the parser to reject.
std::optional<QString> DecodeUnmarkedWide(const QByteArray& bytes)
{
    const std::optional<QStringConverter::Encoding> encoding = UnmarkedWideEncoding(bytes);
    if (!encoding)
        return std::nullopt;
    QStringDecoder decoder(*encoding);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    const QString declared = DeclaredEncoding(text);
    if (!declared.isEmpty() && !QStringDecoder(declared.toLatin1().constData()).isValid())
        return std::nullopt;
    return text;
}

[[noreturn]] void ThrowParseError(const QString& origin, const QString& message, int line, int column)
{
    const QString where =
        QStringLiteral("%1 (line %2, column %3)").arg(message, QString::number(line), QString::number(column));
    throw EQuorbelError(origin.isEmpty() ? where : QStringLiteral("%1: %2").arg(origin, where));
}

// ------------------------------------------------------------ nesting depth

// Qt's DOM parse takes time quadratic in the nesting depth (100,000 levels take
// most of a minute); no feed or news file comes near this limit.
const int kMaxNesting = 1000;

// Index just past the first terminator at or after from, or the text's end.
qsizetype SkipPast(QStringView text, qsizetype from, QStringView terminator)
{
    const qsizetype at = text.indexOf(terminator, from);
    return at < 0 ? text.size() : at + terminator.size();
}

// Index just past the quote that closes the value opened at from - 1.
qsizetype SkipQuoted(QStringView text, qsizetype from, QChar quote)
{
    const qsizetype at = text.indexOf(quote, from);
    return at < 0 ? text.size() : at + 1;
}

// From just after "<" of a tag to just after its ">"; quoted attribute values
// may hold ">" and "/". empty tells an empty-element tag ("/>").
qsizetype SkipTag(QStringView text, qsizetype i, bool& empty)
{
    QChar last;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == u'"' || c == u'\'') {
            i = SkipQuoted(text, i + 1, c);
            last = c;
            continue;
        }
        if (c == u'>') {
            empty = last == u'/';
            return i + 1;
        }
        last = c;
        ++i;
    }
    return i;
}

// From just after "<!" of a declaration (DOCTYPE with its internal subset) to
// just after its closing ">": brackets nest, quotes, comments and processing
// instructions inside may hold ">".
qsizetype SkipDeclaration(QStringView text, qsizetype i)
{
    int brackets = 0;
    while (i < text.size()) {
        const QStringView rest = text.mid(i);
        const QChar c = text[i];
        if (rest.startsWith(u"<!--"))
            i = SkipPast(text, i + 4, u"-->");
        else if (rest.startsWith(u"<?"))
            i = SkipPast(text, i + 2, u"?>");
        else if (c == u'"' || c == u'\'')
            i = SkipQuoted(text, i + 1, c);
        else if (c == u'>' && brackets <= 0)
            return i + 1;
        else {
            brackets += c == u'[' ? 1 : (c == u']' ? -1 : 0);
            ++i;
        }
    }
    return i;
}

// Offset of the first start tag nested deeper than limit, or -1. One pass over
// the markup; comments, CDATA sections, processing instructions and
// declarations are stepped over, so "<" inside them opens nothing.
qsizetype FirstTooDeep(QStringView text, int limit)
{
    int depth = 0;
    for (qsizetype i = text.indexOf(u'<'); i >= 0; i = text.indexOf(u'<', i)) {
        const QStringView rest = text.mid(i);
        if (rest.startsWith(u"<!--")) {
            i = SkipPast(text, i + 4, u"-->");
        } else if (rest.startsWith(u"<![CDATA[")) {
            i = SkipPast(text, i + 9, u"]]>");
        } else if (rest.startsWith(u"<?")) {
            i = SkipPast(text, i + 2, u"?>");
        } else if (rest.startsWith(u"<!")) {
            i = SkipDeclaration(text, i + 2);
        } else if (rest.startsWith(u"</")) {
            --depth;
            i = SkipPast(text, i + 2, u">");
        } else {
            bool empty = false;
            const qsizetype start = i;
            i = SkipTag(text, i + 1, empty);
            if (!empty && ++depth > limit)
                return start;
        }
        if (i >= text.size())
            break;
    }
    return -1;
}

// Refuses text nested too deep, with the line and column of the offending tag.
void RefuseDeepNesting(QStringView text, const QString& origin)
{
    const qsizetype at = FirstTooDeep(text, kMaxNesting);
    if (at < 0)
        return;
    const QStringView before = text.left(at);
    const int line = static_cast<int>(before.count(u'\n')) + 1;
    const int column = static_cast<int>(at - before.lastIndexOf(u'\n'));
    ThrowParseError(origin, QStringLiteral("Elements are nested deeper than %1 levels").arg(kMaxNesting), line,
                    column);
}

std::shared_ptr<QDomDocument> ParseText(const QString& text, const QString& origin)
{
    RefuseDeepNesting(text, origin);
    auto parsed = std::make_shared<QDomDocument>();
    QString message;
    int line = 0;
    int column = 0;
    if (!parsed->setContent(text, true, &message, &line, &column))
        ThrowParseError(origin, message, line, column);
    return parsed;
}

std::shared_ptr<QDomDocument> ParseBytes(const QByteArray& bytes, const QString& origin)
{
    if (const std::optional<QString> text = DecodeUnmarkedWide(bytes))
        return ParseText(*text, origin);
    // The parser decodes the bytes itself; the depth scan needs them as text too.
    RefuseDeepNesting(DecodeDocumentText(bytes), origin);
    auto parsed = std::make_shared<QDomDocument>();
    QString message;
    int line = 0;
    int column = 0;
    if (!parsed->setContent(bytes, true, &message, &line, &column))
        ThrowParseError(origin, message, line, column);
    return parsed;
}

} // namespace

// ---------------------------------------------------------------- TXMLNode

TXMLNode::TXMLNode(std::shared_ptr<QDomDocument> owner, const QDomNode& domNode)
    : document(std::move(owner)), node(domNode)
{
    if (node.isNull())
        document.reset();
}

void TXMLNode::RequireElement(const char* operation) const
{
    if (node.isNull())
        throw EQuorbelError(QStringLiteral("%1: no XML node").arg(QLatin1String(operation)));
    if (!node.isElement())
        throw EQuorbelError(QStringLiteral("%1: \"%2\" is not an element")
                                .arg(QLatin1String(operation), node.nodeName()));
}

bool TXMLNode::IsTextElement() const
{
    if (!node.isElement())
        return false;
    const QDomNode first = node.firstChild();
    return !first.isNull() && first.nextSibling().isNull()
        && (first.nodeType() == QDomNode::TextNode || first.nodeType() == QDomNode::CDATASectionNode);
}

QString TXMLNode::LocalName() const
{
    return LocalNameOf(node);
}

int TXMLNode::ChildCount() const
{
    int count = 0;
    for (QDomNode c = node.firstChild(); !c.isNull(); c = c.nextSibling())
        ++count;
    return count;
}

TXMLNode TXMLNode::ChildNode(int index) const
{
    if (index >= 0) {
        int i = 0;
        for (QDomNode c = node.firstChild(); !c.isNull(); c = c.nextSibling(), ++i)
            if (i == index)
                return Wrap(c);
    }
    throw EQuorbelError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

TXMLNodeList TXMLNode::ChildNodes() const
{
    TXMLNodeList list;
    for (QDomNode c = node.firstChild(); !c.isNull(); c = c.nextSibling())
        list.push_back(Wrap(c));
    return list;
}

TXMLNode TXMLNode::FindChild(const QString& name) const
{
    return Wrap(FindMatchingChild(node, name));
}

TXMLNodeList TXMLNode::FindChildren(const QString& name) const
{
    TXMLNodeList list;
    for (QDomNode c = node.firstChild(); !c.isNull(); c = c.nextSibling())
        if (CountsAsChild(node, c) && NameMatches(c, name))
            list.push_back(Wrap(c));
    return list;
}

TXMLNode TXMLNode::ChildElement(const QString& name)
{
    RequireElement("ChildElement");
    const QDomNode found = FindMatchingChild(node, name);
    return found.isNull() ? AddChild(name) : Wrap(found);
}

bool TXMLNode::HasAttribute(const QString& name) const
{
    return node.isElement() && !FindMatchingAttribute(node, name).isNull();
}

QString TXMLNode::Attribute(const QString& name)
{
    RequireElement("Attribute");
    const QDomAttr found = FindMatchingAttribute(node, name);
    if (!found.isNull())
        return found.value();
    node.toElement().setAttribute(name, QString());
    return QString();
}

void TXMLNode::SetAttribute(const QString& name, const QString& value)
{
    RequireElement("SetAttribute");
    QDomAttr found = FindMatchingAttribute(node, name);
    if (found.isNull())
        node.toElement().setAttribute(name, value);
    else
        found.setValue(value);
}

QString TXMLNode::Text() const
{
    switch (node.nodeType()) {
    case QDomNode::ElementNode:
        if (!node.hasChildNodes())
            return QString();
        if (IsTextElement())
            return node.firstChild().nodeValue();
        throw EQuorbelError(QStringLiteral("Element \"%1\" does not contain a single text node")
                                .arg(node.nodeName()));
    case QDomNode::DocumentNode:
    case QDomNode::DocumentTypeNode:
    case QDomNode::DocumentFragmentNode:
    case QDomNode::BaseNode:
        throw EQuorbelError(node.isNull() ? QStringLiteral("Text: no XML node")
                                          : QStringLiteral("Text: \"%1\" has no text").arg(node.nodeName()));
    default:
        return node.nodeValue();
    }
}

void TXMLNode::SetText(const QString& text)
{
    switch (node.nodeType()) {
    case QDomNode::ElementNode:
        while (node.hasChildNodes())
            node.removeChild(node.firstChild());
        if (!text.isEmpty())
            node.appendChild(document->createTextNode(text));
        return;
    case QDomNode::TextNode:
    case QDomNode::CDATASectionNode:
    case QDomNode::CommentNode:
    case QDomNode::AttributeNode:
    case QDomNode::ProcessingInstructionNode:
        node.setNodeValue(text);
        return;
    default:
        throw EQuorbelError(node.isNull() ? QStringLiteral("SetText: no XML node")
                                          : QStringLiteral("SetText: \"%1\" has no text").arg(node.nodeName()));
    }
}

TXMLNode TXMLNode::AddChild(const QString& name)
{
    return InsertChildBefore(name, TXMLNode());
}

TXMLNode TXMLNode::InsertChild(int index, const QString& name)
{
    if (index == ChildCount())
        return AddChild(name);
    return InsertChildBefore(name, ChildNode(index));
}

TXMLNode TXMLNode::InsertChildBefore(const QString& name, const TXMLNode& before)
{
    RequireElement("AddChild");
    // A null namespace, not an empty one: the latter is written out as xmlns="".
    const QString ns = node.namespaceURI();
    const QDomElement child = document->createElementNS(ns.isEmpty() ? QString() : ns, name);
    const QDomNode added = before.IsNull() ? node.appendChild(child) : node.insertBefore(child, before.node);
    if (added.isNull())
        throw EQuorbelError(QStringLiteral("Cannot add \"%1\" to \"%2\"").arg(name, node.nodeName()));
    return Wrap(added);
}

void TXMLNode::RemoveChild(const TXMLNode& child)
{
    if (child.IsNull() || child.node.parentNode() != node || node.removeChild(child.node).isNull())
        throw EQuorbelError(QStringLiteral("\"%1\" is not a child of \"%2\"").arg(child.NodeName(), NodeName()));
}

QString TXMLNode::XML() const
{
    return node.isNull() ? QString() : SaveNode(node);
}

// ------------------------------------------------------- TXMLNodeCollection

TXMLNodeCollection::TXMLNodeCollection(const TXMLNode& owner, const QString& name)
    : parent(owner), itemName(name)
{
}

int TXMLNodeCollection::Count() const
{
    return static_cast<int>(parent.FindChildren(itemName).size());
}

TXMLNode TXMLNodeCollection::Nodes(int index) const
{
    const TXMLNodeList items = parent.FindChildren(itemName);
    if (index < 0 || index >= static_cast<int>(items.size()))
        throw EQuorbelError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return items[static_cast<size_t>(index)];
}

void TXMLNodeCollection::Clear()
{
    for (const TXMLNode& item : parent.FindChildren(itemName))
        parent.RemoveChild(item);
}

void TXMLNodeCollection::Delete(int index)
{
    parent.RemoveChild(Nodes(index));
}

int TXMLNodeCollection::Remove(const TXMLNode& node)
{
    const TXMLNodeList items = parent.FindChildren(itemName);
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == node) {
            parent.RemoveChild(node);
            return static_cast<int>(i);
        }
    return -1;
}

TXMLNode TXMLNodeCollection::AddItem()
{
    return parent.AddChild(itemName);
}

TXMLNode TXMLNodeCollection::InsertItem(int index)
{
    if (index == Count())
        return AddItem();
    return parent.InsertChildBefore(itemName, Nodes(index));
}

// ------------------------------------------------------------- TXMLDocument

TXMLDocument::TXMLDocument() : dom(std::make_shared<QDomDocument>())
{
}

void TXMLDocument::LoadFromFile(const QString& fileName)
{
    Clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EQuorbelError(QStringLiteral("Cannot read file \"%1\": %2").arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EQuorbelError(QStringLiteral("Cannot read file \"%1\": %2").arg(fileName, file.errorString()));
    dom = ParseBytes(bytes, fileName);
}

void TXMLDocument::LoadFromXML(const QByteArray& xml)
{
    Clear();
    dom = ParseBytes(xml, QString());
}

void TXMLDocument::LoadFromText(const QString& text)
{
    Clear();
    dom = ParseText(text, QString());
}

void TXMLDocument::Clear()
{
    // Handles on the old content keep it alive; they do not see the new one.
    dom = std::make_shared<QDomDocument>();
}

bool TXMLDocument::IsEmpty() const
{
    return TopLevelNodes().empty();
}

TXMLNodeList TXMLDocument::TopLevelNodes() const
{
    TXMLNodeList list;
    for (QDomNode c = dom->firstChild(); !c.isNull(); c = c.nextSibling())
        if (c.isProcessingInstruction() || c.isComment() || c.isElement())
            list.push_back(TXMLNode(dom, c));
    return list;
}

int TXMLDocument::TopLevelCount() const
{
    return static_cast<int>(TopLevelNodes().size());
}

TXMLNode TXMLDocument::TopLevelNode(int index) const
{
    const TXMLNodeList list = TopLevelNodes();
    if (index < 0 || index >= static_cast<int>(list.size()))
        throw EQuorbelError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return list[static_cast<size_t>(index)];
}

TXMLNode TXMLDocument::DocumentElement() const
{
    return TXMLNode(dom, dom->documentElement());
}

TXMLNode TXMLDocument::CreateDocumentElement(const QString& name, const QString& namespaceURI)
{
    Clear();
    const QDomNode root = dom->appendChild(
        dom->createElementNS(namespaceURI.isEmpty() ? QString() : namespaceURI, name));
    return TXMLNode(dom, root);
}

QString TXMLDocument::XML() const
{
    // Node by node: the document's own toString would write the declaration and
    // try to re-encode the text in the encoding it names.
    QString out;
    for (const TXMLNode& top : TopLevelNodes()) {
        if (top.NodeType() == QDomNode::ProcessingInstructionNode && top.NodeName() == QLatin1String("xml"))
            continue;
        out += SaveNode(top.DomNode());
    }
    return out;
}
