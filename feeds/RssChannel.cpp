#include "feeds/RssChannel.h"

#include "model/NewsDate.h"
#include "platform/WebLinks.h"
#include "text/TextTools.h"

namespace {
// The item's guid when it names a web page: an http or https URL not marked
// isPermaLink="false".
QString PermaLinkGuid(TXMLItemType& item)
{
    TXMLNode guid = item.FindChild(QStringLiteral("guid"));
    if (guid.IsNull())
        return QString();
    const QString permaLink = QStringLiteral("isPermaLink");
    if (guid.HasAttribute(permaLink) && SameTextAscii(guid.Attribute(permaLink).trimmed(), QStringLiteral("false")))
        return QString();
    const QString text = item.FirstChildText(QStringLiteral("guid")).trimmed();
    return IsWebURL(text) ? text : QString();
}

// The lenient text of a child that may be missing, without adding it.
QString PresentChildText(TXMLBoundNode& parent, const QString& name)
{
    return parent.FindChild(name).IsNull() ? QString() : parent.FirstChildText(name);
}

QString PresentAttribute(TXMLNode& element, const QString& name)
{
    return element.IsNull() || !element.HasAttribute(name) ? QString() : element.Attribute(name);
}
} // namespace

TFeedItem ReadRssItem(TXMLItemType& item)
{
    TFeedItem read;
    read.title = PresentChildText(item, QStringLiteral("title"));
    read.description = PresentChildText(item, QStringLiteral("description"));
    read.link = PresentChildText(item, QStringLiteral("link"));
    read.date = ParseNewsDate(PresentChildText(item, QStringLiteral("pubDate")));
    TXMLNode enclosure = item.FindChild(QStringLiteral("enclosure"));
    read.mediaLink = PresentAttribute(enclosure, QStringLiteral("url"));
    read.mediaType = PresentAttribute(enclosure, QStringLiteral("type"));
    if (read.link.trimmed().isEmpty() && read.mediaLink.trimmed().isEmpty())
        read.idLink = PermaLinkGuid(item);
    return read;
}

TFeedChannel ReadRssChannel(const IXMLRssType& rss)
{
    TFeedChannel channel;
    TXMLNode channelNode = rss->FindChild(QStringLiteral("channel"));
    if (channelNode.IsNull())
        return channel;
    TXMLBoundNode bound(channelNode);
    channel.title = PresentChildText(bound, QStringLiteral("title"));
    channel.siteLink = PresentChildText(bound, QStringLiteral("link")).trimmed();
    channel.description = PresentChildText(bound, QStringLiteral("description"));
    // The items in document order, taken once: the collection's access by
    // index walks the channel's children on every call.
    const TXMLNodeList itemNodes = channelNode.FindChildren(QStringLiteral("item"));
    channel.items.reserve(itemNodes.size());
    for (const TXMLNode& itemNode : itemNodes) {
        TXMLItemType item(itemNode);
        channel.items.push_back(ReadRssItem(item));
    }
    return channel;
}
