#pragma once
// Typed view of an RSS 2.0 document with podcast-style extension fields, laid
// over the XML document layer. One thin class per element type, each a node
// handle on its element; the I... names are the shared handles callers keep,
// and any of them keeps the whole document alive.
//
// Rules kept here:
//  - Children and attributes are found by the document layer's name matching,
//    so a prefixed extension element ("itunes:subtitle") answers to its local
//    name in a document without default namespace.
//  - Reading a missing element or attribute adds an empty one to the in-memory
//    document and reads as empty text; the file is never written back.
//  - Plain text reads fail on an element that holds anything but nothing or one
//    text or CDATA node; integer reads fail on text that is not a number.
//  - The item's Title and Description read the text of the element's first
//    child node, whatever that node is, and never fail: any error reads as
//    empty text. A CDATA title, or a title of text followed by markup, yields
//    its first piece. FirstChildText reads any child element that way.
//  - LoadRss fails when the file cannot be read, is not well-formed, or its
//    document element is not named exactly "rss".
#include "feeds/XmlDocument.h"

#include <QString>

#include <memory>

class TXMLRssType;
class TXMLChannelType;
class TXMLOwnerType;
class TXMLImageType;
class TXMLCategoryType;
class TXMLItemType;
class TXMLEnclosureType;
class TXMLItemTypeList;
class TXMLString_List;

using IXMLRssType = std::shared_ptr<TXMLRssType>;
using IXMLChannelType = std::shared_ptr<TXMLChannelType>;
using IXMLOwnerType = std::shared_ptr<TXMLOwnerType>;
using IXMLImageType = std::shared_ptr<TXMLImageType>;
using IXMLCategoryType = std::shared_ptr<TXMLCategoryType>;
using IXMLItemType = std::shared_ptr<TXMLItemType>;
using IXMLEnclosureType = std::shared_ptr<TXMLEnclosureType>;
using IXMLItemTypeList = std::shared_ptr<TXMLItemTypeList>;
using IXMLString_List = std::shared_ptr<TXMLString_List>;

// Shared accessor kinds of the element classes.
class TXMLBoundNode : public TXMLNode {
public:
    explicit TXMLBoundNode(const TXMLNode& element) : TXMLNode(element) {}

    // The text of the first child node of the child element name (created
    // empty when missing), whatever that node is; never fails, any error reads
    // as empty text. The lenient counterpart of the plain text reads, for
    // readers that must not stop on markup.
    QString FirstChildText(const QString& name);

protected:
    int ChildInteger(const QString& name);
    void SetChildInteger(const QString& name, int value);
    int AttributeInteger(const QString& name);
    void SetAttributeInteger(const QString& name, int value);
    template <class T>
    std::shared_ptr<T> TypedChild(const QString& name)
    {
        return std::make_shared<T>(ChildElement(name));
    }
};

class TXMLRssType : public TXMLBoundNode {
public:
    explicit TXMLRssType(const TXMLNode& element) : TXMLBoundNode(element) {}

    QString Version() { return Attribute(QStringLiteral("version")); }
    IXMLChannelType Channel();

    void SetVersion(const QString& value) { SetAttribute(QStringLiteral("version"), value); }
};

class TXMLChannelType : public TXMLBoundNode {
public:
    explicit TXMLChannelType(const TXMLNode& element);

    QString Title() { return ChildText(QStringLiteral("title")); }
    QString Link() { return ChildText(QStringLiteral("link")); }
    QString Description() { return ChildText(QStringLiteral("description")); }
    QString Language() { return ChildText(QStringLiteral("language")); }
    QString Copyright() { return ChildText(QStringLiteral("copyright")); }
    QString LastBuildDate() { return ChildText(QStringLiteral("lastBuildDate")); }
    int Ttl() { return ChildInteger(QStringLiteral("ttl")); }
    QString ManagingEditor() { return ChildText(QStringLiteral("managingEditor")); }
    QString WebMaster() { return ChildText(QStringLiteral("webMaster")); }
    QString Generator() { return ChildText(QStringLiteral("generator")); }
    QString Author() { return ChildText(QStringLiteral("author")); }
    IXMLOwnerType Owner();
    QString Subtitle() { return ChildText(QStringLiteral("subtitle")); }
    QString Summary() { return ChildText(QStringLiteral("summary")); }
    QString Explicit() { return ChildText(QStringLiteral("explicit")); }
    IXMLImageType Image();
    IXMLCategoryType Category();
    IXMLItemTypeList Item() const { return items; }

    void SetTitle(const QString& value) { SetChildText(QStringLiteral("title"), value); }
    void SetLink(const QString& value) { SetChildText(QStringLiteral("link"), value); }
    void SetDescription(const QString& value) { SetChildText(QStringLiteral("description"), value); }
    void SetLanguage(const QString& value) { SetChildText(QStringLiteral("language"), value); }
    void SetCopyright(const QString& value) { SetChildText(QStringLiteral("copyright"), value); }
    void SetLastBuildDate(const QString& value) { SetChildText(QStringLiteral("lastBuildDate"), value); }
    void SetTtl(int value) { SetChildInteger(QStringLiteral("ttl"), value); }
    void SetManagingEditor(const QString& value) { SetChildText(QStringLiteral("managingEditor"), value); }
    void SetWebMaster(const QString& value) { SetChildText(QStringLiteral("webMaster"), value); }
    void SetGenerator(const QString& value) { SetChildText(QStringLiteral("generator"), value); }
    void SetAuthor(const QString& value) { SetChildText(QStringLiteral("author"), value); }
    void SetSubtitle(const QString& value) { SetChildText(QStringLiteral("subtitle"), value); }
    void SetSummary(const QString& value) { SetChildText(QStringLiteral("summary"), value); }
    void SetExplicit(const QString& value) { SetChildText(QStringLiteral("explicit"), value); }

private:
    IXMLItemTypeList items;
};

class TXMLOwnerType : public TXMLBoundNode {
public:
    explicit TXMLOwnerType(const TXMLNode& element) : TXMLBoundNode(element) {}

    QString Name() { return ChildText(QStringLiteral("name")); }
    QString Email() { return ChildText(QStringLiteral("email")); }

    void SetName(const QString& value) { SetChildText(QStringLiteral("name"), value); }
    void SetEmail(const QString& value) { SetChildText(QStringLiteral("email"), value); }
};

class TXMLImageType : public TXMLBoundNode {
public:
    explicit TXMLImageType(const TXMLNode& element) : TXMLBoundNode(element) {}

    QString Href() { return Attribute(QStringLiteral("href")); }

    void SetHref(const QString& value) { SetAttribute(QStringLiteral("href"), value); }
};

// Its attribute "text" is read as Text_: Text is the node text of every node.
class TXMLCategoryType : public TXMLBoundNode {
public:
    explicit TXMLCategoryType(const TXMLNode& element) : TXMLBoundNode(element) {}

    QString Text_() { return Attribute(QStringLiteral("text")); }

    void SetText_(const QString& value) { SetAttribute(QStringLiteral("text"), value); }
};

class TXMLItemType : public TXMLBoundNode {
public:
    explicit TXMLItemType(const TXMLNode& element);

    // First-child text; never fails.
    QString Title() { return FirstChildText(QStringLiteral("title")); }
    // First-child text; never fails.
    QString Description() { return FirstChildText(QStringLiteral("description")); }
    IXMLString_List Author() const { return authors; }
    QString PubDate() { return ChildText(QStringLiteral("pubDate")); }
    IXMLEnclosureType Enclosure();
    QString Subtitle() { return ChildText(QStringLiteral("subtitle")); }
    QString Summary() { return ChildText(QStringLiteral("summary")); }
    IXMLCategoryType Category();
    QString Explicit() { return ChildText(QStringLiteral("explicit")); }
    QString Duration() { return ChildText(QStringLiteral("duration")); }
    QString Keywords() { return ChildText(QStringLiteral("keywords")); }
    QString Link() { return ChildText(QStringLiteral("link")); }

    void SetTitle(const QString& value) { SetChildText(QStringLiteral("title"), value); }
    void SetDescription(const QString& value) { SetChildText(QStringLiteral("description"), value); }
    void SetPubDate(const QString& value) { SetChildText(QStringLiteral("pubDate"), value); }
    void SetSubtitle(const QString& value) { SetChildText(QStringLiteral("subtitle"), value); }
    void SetSummary(const QString& value) { SetChildText(QStringLiteral("summary"), value); }
    void SetExplicit(const QString& value) { SetChildText(QStringLiteral("explicit"), value); }
    void SetDuration(const QString& value) { SetChildText(QStringLiteral("duration"), value); }
    void SetKeywords(const QString& value) { SetChildText(QStringLiteral("keywords"), value); }
    void SetLink(const QString& value) { SetChildText(QStringLiteral("link"), value); }

private:
    IXMLString_List authors;
};

class TXMLEnclosureType : public TXMLBoundNode {
public:
    explicit TXMLEnclosureType(const TXMLNode& element) : TXMLBoundNode(element) {}

    QString Url() { return Attribute(QStringLiteral("url")); }
    int Length() { return AttributeInteger(QStringLiteral("length")); }
    QString Type() { return Attribute(QStringLiteral("type")); }

    void SetUrl(const QString& value) { SetAttribute(QStringLiteral("url"), value); }
    void SetLength(int value) { SetAttributeInteger(QStringLiteral("length"), value); }
    void SetType(const QString& value) { SetAttribute(QStringLiteral("type"), value); }
};

// The "item" children of a channel.
class TXMLItemTypeList : public TXMLNodeCollection {
public:
    explicit TXMLItemTypeList(const TXMLNode& channel)
        : TXMLNodeCollection(channel, QStringLiteral("item")) {}

    IXMLItemType Add();
    IXMLItemType Insert(int index);
    IXMLItemType Items(int index) const;
};

// The "author" children of an item, each read as text.
class TXMLString_List : public TXMLNodeCollection {
public:
    explicit TXMLString_List(const TXMLNode& item)
        : TXMLNodeCollection(item, QStringLiteral("author")) {}

    TXMLNode Add(const QString& value);
    TXMLNode Insert(int index, const QString& value);
    QString Items(int index) const;
};

// Loads fileName into a document of its own and binds its "rss" element.
IXMLRssType LoadRss(const QString& fileName);
// Binds the document element of an already loaded document.
IXMLRssType GetRss(const TXMLDocument& document);
// A new document holding an empty "rss" element.
IXMLRssType NewRss();
