#include "feeds/XMLRss.h"

#include "platform/Errors.h"

#include <exception>

namespace {

int ToInteger(const QString& text, const QString& what)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        throw EQuorbelError(QStringLiteral("\"%1\" is not a valid integer value (%2)").arg(text, what));
    return value;
}

} // namespace

// ------------------------------------------------------------ TXMLBoundNode

int TXMLBoundNode::ChildInteger(const QString& name)
{
    return ToInteger(ChildText(name), name);
}

void TXMLBoundNode::SetChildInteger(const QString& name, int value)
{
    SetChildText(name, QString::number(value));
}

int TXMLBoundNode::AttributeInteger(const QString& name)
{
    return ToInteger(Attribute(name), name);
}

void TXMLBoundNode::SetAttributeInteger(const QString& name, int value)
{
    SetAttribute(name, QString::number(value));
}

QString TXMLBoundNode::FirstChildText(const QString& name)
{
    // Feeds put markup, CDATA and stray elements into titles and links; the
    // first piece is what a headline shows, and nothing here may stop a merge.
    try {
        const TXMLNode element = ChildElement(name);
        if (!element.HasChildNodes())
            return QString();
        return element.FirstChild().Text();
    } catch (const std::exception&) {
        return QString();
    }
}

// ------------------------------------------------------------ element types

IXMLChannelType TXMLRssType::Channel()
{
    return TypedChild<TXMLChannelType>(QStringLiteral("channel"));
}

TXMLChannelType::TXMLChannelType(const TXMLNode& element)
    : TXMLBoundNode(element), items(std::make_shared<TXMLItemTypeList>(element))
{
}

IXMLOwnerType TXMLChannelType::Owner()
{
    return TypedChild<TXMLOwnerType>(QStringLiteral("owner"));
}

IXMLImageType TXMLChannelType::Image()
{
    return TypedChild<TXMLImageType>(QStringLiteral("image"));
}

IXMLCategoryType TXMLChannelType::Category()
{
    return TypedChild<TXMLCategoryType>(QStringLiteral("category"));
}

TXMLItemType::TXMLItemType(const TXMLNode& element)
    : TXMLBoundNode(element), authors(std::make_shared<TXMLString_List>(element))
{
}

IXMLEnclosureType TXMLItemType::Enclosure()
{
    return TypedChild<TXMLEnclosureType>(QStringLiteral("enclosure"));
}

IXMLCategoryType TXMLItemType::Category()
{
    return TypedChild<TXMLCategoryType>(QStringLiteral("category"));
}

// -------------------------------------------------------------- collections

IXMLItemType TXMLItemTypeList::Add()
{
    return std::make_shared<TXMLItemType>(AddItem());
}

IXMLItemType TXMLItemTypeList::Insert(int index)
{
    return std::make_shared<TXMLItemType>(InsertItem(index));
}

IXMLItemType TXMLItemTypeList::Items(int index) const
{
    return std::make_shared<TXMLItemType>(Nodes(index));
}

TXMLNode TXMLString_List::Add(const QString& value)
{
    TXMLNode added = AddItem();
    added.SetText(value);
    return added;
}

TXMLNode TXMLString_List::Insert(int index, const QString& value)
{
    TXMLNode added = InsertItem(index);
    added.SetText(value);
    return added;
}

QString TXMLString_List::Items(int index) const
{
    return Nodes(index).Text();
}

// ------------------------------------------------------------------ binding

IXMLRssType GetRss(const TXMLDocument& document)
{
    const TXMLNode root = document.DocumentElement();
    if (root.IsNull() || root.NodeName() != QLatin1String("rss"))
        throw EQuorbelError(QStringLiteral("The document element is \"%1\", not \"rss\"").arg(root.NodeName()));
    return std::make_shared<TXMLRssType>(root);
}

IXMLRssType LoadRss(const QString& fileName)
{
    TXMLDocument document;
    document.LoadFromFile(fileName);
    return GetRss(document);
}

IXMLRssType NewRss()
{
    TXMLDocument document;
    return std::make_shared<TXMLRssType>(document.CreateDocumentElement(QStringLiteral("rss")));
}
