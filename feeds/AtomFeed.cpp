#include "feeds/AtomFeed.h"

#include "model/IsoDate.h"
#include "platform/WebLinks.h"

#include <QDomElement>
#include <QUrl>

namespace {
const QLatin1String kAtom10("http://www.w3.org/2005/Atom");
const QLatin1String kAtom03("http://purl.org/atom/ns#");
const QLatin1String kXmlNamespace("http://www.w3.org/XML/1998/namespace");

QString NameOf(const QDomNode& node)
{
    const QString local = node.localName();
    return local.isEmpty() ? node.nodeName() : local;
}

// The first child element of that local name in the parent's namespace.
QDomElement Child(const QDomElement& parent, QLatin1String name)
{
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        if (e.localName() == name && e.namespaceURI() == parent.namespaceURI())
            return e;
    return QDomElement();
}

QDomElement FirstOf(const QDomElement& parent, std::initializer_list<QLatin1String> names)
{
    for (QLatin1String name : names)
        if (QDomElement e = Child(parent, name); !e.isNull())
            return e;
    return QDomElement();
}

bool HasChildElement(const QDomElement& e) { return !e.firstChildElement().isNull(); }

// Markup of the nodes under parent as HTML: local names, no namespaces.
void AppendMarkup(const QDomNode& parent, QString& out)
{
    for (QDomNode n = parent.firstChild(); !n.isNull(); n = n.nextSibling()) {
        if (n.isText() || n.isCDATASection()) {
            out += n.nodeValue().toHtmlEscaped();
            continue;
        }
        if (!n.isElement())
            continue;
        const QString name = NameOf(n);
        out += u'<' + name;
        const QDomNamedNodeMap attributes = n.attributes();
        for (int i = 0; i < attributes.count(); ++i) {
            const QDomNode a = attributes.item(i);
            out += u' ' + NameOf(a) + QStringLiteral("=\"") + a.nodeValue().toHtmlEscaped() + u'"';
        }
        if (!n.hasChildNodes()) {
            out += QStringLiteral("/>");
            continue;
        }
        out += u'>';
        AppendMarkup(n, out);
        out += QStringLiteral("</") + name + u'>';
    }
}

QString Markup(const QDomElement& construct)
{
    // Atom wraps xhtml content in one div that is not part of it.
    const QDomElement first = construct.firstChildElement();
    const bool wrapped = !first.isNull() && first.localName() == QLatin1String("div")
        && first.nextSiblingElement().isNull() && construct.firstChild() == construct.lastChild();
    QString out;
    AppendMarkup(wrapped ? QDomNode(first) : QDomNode(construct), out);
    return out;
}

enum class TKind { Text, Html, Markup, Skipped };

bool IsHtmlType(const QString& type)
{
    return type == QLatin1String("html") || type == QLatin1String("text/html") || type == QLatin1String("xhtml")
        || type == QLatin1String("application/xhtml+xml");
}

TKind KindOf(const QDomElement& construct)
{
    if (construct.hasAttribute(QStringLiteral("src")))
        return TKind::Skipped;
    const QString type = construct.attribute(QStringLiteral("type")).trimmed().toLower();
    if (HasChildElement(construct) || type == QLatin1String("xhtml") || type == QLatin1String("application/xhtml+xml"))
        return TKind::Markup;
    return IsHtmlType(type) ? TKind::Html : TKind::Text;
}

// The text of a construct, an Atom 0.3 base64 one decoded; its kind then as
// its type says, markup included.
QString ConstructText(const QDomElement& construct, TKind& kind)
{
    kind = KindOf(construct);
    if (construct.attribute(QStringLiteral("mode")).trimmed().toLower() != QLatin1String("base64"))
        return construct.text();
    if (kind == TKind::Skipped)
        return QString();
    const QString type = construct.attribute(QStringLiteral("type")).trimmed().toLower();
    kind = IsHtmlType(type) ? TKind::Html : TKind::Text;
    return QString::fromUtf8(QByteArray::fromBase64(construct.text().toLatin1()));
}

QString DescriptionOf(const QDomElement& construct)
{
    if (construct.isNull())
        return QString();
    TKind kind;
    const QString text = ConstructText(construct, kind);
    switch (kind) {
    case TKind::Html:
        return text;
    case TKind::Markup:
        return Markup(construct);
    case TKind::Text:
        return text.toHtmlEscaped();
    case TKind::Skipped:
        break;
    }
    return QString();
}

QString TitleOf(const QDomElement& construct)
{
    if (construct.isNull())
        return QString();
    TKind kind;
    const QString text = ConstructText(construct, kind);
    return kind == TKind::Text ? PlainTitleText(text) : DescriptionOf(construct);
}

// href resolved against the xml:base of the link and its ancestors, outermost first.
QString Resolved(const QDomElement& link, const QString& href)
{
    QStringList bases;
    for (QDomNode n = link; n.isElement(); n = n.parentNode())
        if (n.toElement().hasAttributeNS(kXmlNamespace, QStringLiteral("base")))
            bases.prepend(n.toElement().attributeNS(kXmlNamespace, QStringLiteral("base")).trimmed());
    if (bases.isEmpty() || href.isEmpty())
        return href;
    QUrl base;
    for (const QString& b : bases)
        base = base.isEmpty() ? QUrl(b) : base.resolved(QUrl(b));
    const QUrl target(href);
    if (!base.isValid() || !target.isValid())
        return href;
    return base.resolved(target).toString();
}

struct TLinks {
    QString page;
    QString media;
    QString mediaType;
};

TLinks LinksOf(const QDomElement& parent)
{
    QDomElement firstPage, htmlPage, media;
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (e.localName() != QLatin1String("link") || e.namespaceURI() != parent.namespaceURI())
            continue;
        const QString rel = e.attribute(QStringLiteral("rel")).trimmed().toLower();
        const QString type = e.attribute(QStringLiteral("type")).trimmed().toLower();
        if (rel.isEmpty() || rel == QLatin1String("alternate")) {
            if (firstPage.isNull())
                firstPage = e;
            if (htmlPage.isNull() && type.startsWith(QLatin1String("text/html")))
                htmlPage = e;
        } else if (rel == QLatin1String("enclosure")) {
            const QString href = e.attribute(QStringLiteral("href")).trimmed();
            if (media.isNull()
                || (!IsMediaEnclosure(media.attribute(QStringLiteral("href")), media.attribute(QStringLiteral("type")))
                    && IsMediaEnclosure(href, type)))
                media = e;
        }
    }
    const QDomElement page = htmlPage.isNull() ? firstPage : htmlPage;
    TLinks links;
    if (!page.isNull())
        links.page = Resolved(page, page.attribute(QStringLiteral("href")).trimmed());
    if (!media.isNull()) {
        links.media = Resolved(media, media.attribute(QStringLiteral("href")).trimmed());
        links.mediaType = media.attribute(QStringLiteral("type")).trimmed();
    }
    return links;
}

TFeedItem ReadEntry(const QDomElement& entry)
{
    TFeedItem item;
    item.title = TitleOf(Child(entry, QLatin1String("title")));
    const TLinks links = LinksOf(entry);
    item.link = links.page;
    item.mediaLink = links.media;
    item.mediaType = links.mediaType;
    QString description = DescriptionOf(Child(entry, QLatin1String("summary")));
    if (description.trimmed().isEmpty())
        description = DescriptionOf(Child(entry, QLatin1String("content")));
    item.description = description;
    const QDomElement date = FirstOf(entry, {QLatin1String("updated"), QLatin1String("published"),
                                             QLatin1String("modified"), QLatin1String("issued"),
                                             QLatin1String("created")});
    item.date = ParseFeedDate(date.text());
    const QString id = Child(entry, QLatin1String("id")).text().trimmed();
    if (IsWebURL(id))
        item.idLink = id;
    return item;
}
} // namespace

bool IsAtomFeed(const TXMLNode& documentElement)
{
    const QDomNode& root = documentElement.DomNode();
    return root.isElement() && root.localName() == QLatin1String("feed")
        && (root.namespaceURI() == kAtom10 || root.namespaceURI() == kAtom03);
}

TFeedChannel ReadAtomFeed(const TXMLNode& documentElement)
{
    TFeedChannel channel;
    if (!IsAtomFeed(documentElement))
        return channel;
    const QDomElement feed = documentElement.DomNode().toElement();
    channel.title = TitleOf(Child(feed, QLatin1String("title")));
    channel.description = DescriptionOf(FirstOf(feed, {QLatin1String("subtitle"), QLatin1String("tagline")}));
    channel.siteLink = LinksOf(feed).page;
    channel.linksRelativeToSite = false;
    for (QDomElement e = feed.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        if (e.localName() == QLatin1String("entry") && e.namespaceURI() == feed.namespaceURI())
            channel.items.push_back(ReadEntry(e));
    return channel;
}
