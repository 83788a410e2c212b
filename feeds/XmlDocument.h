#pragma once
// The XML document layer under the RSS binding, the RDF merge and the news XML
// file: QDomDocument with namespace processing behind a small document and
// node interface. Failures throw EQuorbelError with the message text.
//
// Rules kept here (the feed code and the news file depend on them):
//  - A load parses the whole input. Input that is not well-formed XML fails with
//    the parser's message, line and column, and leaves the document empty. An
//    undeclared namespace prefix is such a failure (namespace processing).
//  - Elements nested deeper than 1,000 levels fail the same way, before the
//    parse: a linear scan of the text finds them.
//  - Declared encodings decode (windows-1252, ISO-8859-1, KOI8-R, UTF-16, ...).
//    UTF-16 and UTF-32 without a byte-order mark are recognised by their first
//    four bytes, as XML's own encoding detection does (see DocumentText.h for
//    the same decision outside a parse).
//  - White-space-only text is not kept, between elements or inside them.
//  - Top-level nodes are the processing instructions, comments and the document
//    element, in document order. The XML declaration shows as the processing
//    instruction "xml"; the DOCTYPE is not among them.
//  - A child element matches a name when its qualified name or its local name
//    equals the name, letter case included; under an element that belongs to a
//    namespace, only children in that same namespace count. Attributes match by
//    qualified or local name, whatever their namespace.
//  - The text of an element exists only when it holds nothing, or exactly one
//    text or CDATA node; any other content makes the read fail. Other nodes'
//    text is their value.
//  - Reading a missing child element or attribute by name adds an empty one to
//    the in-memory document and gives an empty text.
//  - Serialising writes no XML declaration: one element per line, nested
//    elements indented by two blanks; "<" and "&" in text are escaped. The
//    attributes of one element come out in no particular order.
//
// Every node handle shares the ownership of its document, so a node stays valid
// as long as any handle on the same document exists.
#include <QByteArray>
#include <QDomDocument>
#include <QDomNode>
#include <QString>

#include <memory>
#include <vector>

class TXMLNode;
using TXMLNodeList = std::vector<TXMLNode>;

class TXMLNode {
public:
    TXMLNode() = default;
    TXMLNode(std::shared_ptr<QDomDocument> document, const QDomNode& node);

    bool IsNull() const { return node.isNull(); }
    bool IsElement() const { return node.isElement(); }
    // An element that holds exactly one text or CDATA node.
    bool IsTextElement() const;
    QDomNode::NodeType NodeType() const { return node.nodeType(); }
    // Qualified name of elements and attributes; "#text", "#cdata-section",
    // "#comment", the target of a processing instruction, "#document".
    QString NodeName() const { return node.nodeName(); }
    QString LocalName() const;
    QString Prefix() const { return node.prefix(); }
    QString NamespaceURI() const { return node.namespaceURI(); }
    QString NodeValue() const { return node.nodeValue(); }

    bool HasChildNodes() const { return node.hasChildNodes(); }
    int ChildCount() const;
    // Throws when index is out of range.
    TXMLNode ChildNode(int index) const;
    TXMLNodeList ChildNodes() const;
    // First child element matching name (see Name matching above), or a null node.
    TXMLNode FindChild(const QString& name) const;
    TXMLNodeList FindChildren(const QString& name) const;
    // First child element matching name; an empty one is appended when missing.
    TXMLNode ChildElement(const QString& name);
    TXMLNode FirstChild() const { return Wrap(node.firstChild()); }
    TXMLNode LastChild() const { return Wrap(node.lastChild()); }
    TXMLNode NextSibling() const { return Wrap(node.nextSibling()); }
    TXMLNode PreviousSibling() const { return Wrap(node.previousSibling()); }
    TXMLNode ParentNode() const { return Wrap(node.parentNode()); }

    bool HasAttribute(const QString& name) const;
    // The attribute's value; an empty attribute is added when missing.
    QString Attribute(const QString& name);
    void SetAttribute(const QString& name, const QString& value);

    QString Text() const;
    // Replaces the element's content by one text node (none for an empty text).
    void SetText(const QString& text);
    QString ChildText(const QString& name) { return ChildElement(name).Text(); }
    void SetChildText(const QString& name, const QString& text) { ChildElement(name).SetText(text); }

    // New elements belong to this element's namespace.
    TXMLNode AddChild(const QString& name);
    // index counts all child nodes; index == ChildCount() appends.
    TXMLNode InsertChild(int index, const QString& name);
    TXMLNode InsertChildBefore(const QString& name, const TXMLNode& before);
    void RemoveChild(const TXMLNode& child);

    // This node and its content as text, pretty-printed.
    QString XML() const;

    const QDomNode& DomNode() const { return node; }
    bool operator==(const TXMLNode& other) const { return node == other.node; }
    bool operator!=(const TXMLNode& other) const { return !(node == other.node); }

protected:
    TXMLNode Wrap(const QDomNode& other) const { return TXMLNode(document, other); }
    void RequireElement(const char* operation) const;

private:
    std::shared_ptr<QDomDocument> document;
    QDomNode node;
};

// The child elements of one parent that carry one name, in document order.
// Reads the document each time, so it always reflects the current content.
class TXMLNodeCollection {
public:
    TXMLNodeCollection(const TXMLNode& parent, const QString& itemName);
    virtual ~TXMLNodeCollection() = default;

    int Count() const;
    // Throws when index is out of range.
    TXMLNode Nodes(int index) const;
    void Clear();
    void Delete(int index);
    // Removes node when it is one of the items; returns its former index or -1.
    int Remove(const TXMLNode& node);

    const TXMLNode& Owner() const { return parent; }
    const QString& ItemName() const { return itemName; }

protected:
    // A new item element after the last child of the parent.
    TXMLNode AddItem();
    // A new item element before the item at index; index == Count() appends.
    TXMLNode InsertItem(int index);

private:
    TXMLNode parent;
    QString itemName;
};

class TXMLDocument {
public:
    TXMLDocument();

    // Throw EQuorbelError when the file cannot be read or is not well-formed.
    void LoadFromFile(const QString& fileName);
    // Raw bytes: the declared encoding (or a byte-order mark) decides.
    void LoadFromXML(const QByteArray& xml);
    // Already decoded text: a declared encoding is ignored.
    void LoadFromText(const QString& text);
    void Clear();

    bool IsEmpty() const;
    int TopLevelCount() const;
    TXMLNode TopLevelNode(int index) const;
    TXMLNodeList TopLevelNodes() const;
    TXMLNode DocumentElement() const;
    // Starts a new, empty document whose root is an element of that name.
    TXMLNode CreateDocumentElement(const QString& name, const QString& namespaceURI = QString());

    // The document as text without XML declaration, pretty-printed, with "\n"
    // after every line.
    QString XML() const;

private:
    std::shared_ptr<QDomDocument> dom;
};
