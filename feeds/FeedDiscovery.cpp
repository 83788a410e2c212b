#include "feeds/FeedDiscovery.h"

#include "feeds/FeedChannel.h"
#include "platform/WebLinks.h"
#include "text/TextTools.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

namespace {
using TAttributes = QHash<QString, QString>;

bool IsNameChar(QChar c)
{
    return !c.isSpace() && c != u'>' && c != u'/' && c != u'=' && c != u'"' && c != u'\'';
}

// Reads the attributes of the tag whose name ends at pos, up to its ">";
// pos ends after it. Names are folded to lower case, the first of a name wins.
// closed: false when the text ended before the ">" (the tag does not count).
TAttributes ReadAttributes(const QString& text, qsizetype& pos, bool& closed)
{
    TAttributes attributes;
    closed = false;
    const qsizetype n = text.size();
    while (pos < n) {
        while (pos < n && (text[pos].isSpace() || text[pos] == u'/'))
            ++pos;
        if (pos >= n)
            break;
        if (text[pos] == u'>') {
            ++pos;
            closed = true;
            break;
        }
        const qsizetype nameStart = pos;
        while (pos < n && IsNameChar(text[pos]))
            ++pos;
        if (pos == nameStart) { // a stray quote or "="
            ++pos;
            continue;
        }
        const QString name = text.mid(nameStart, pos - nameStart).toLower();
        while (pos < n && text[pos].isSpace())
            ++pos;
        QString value;
        if (pos < n && text[pos] == u'=') {
            ++pos;
            while (pos < n && text[pos].isSpace())
                ++pos;
            if (pos < n && (text[pos] == u'"' || text[pos] == u'\'')) {
                const QChar quote = text[pos];
                const qsizetype close = text.indexOf(quote, pos + 1);
                const qsizetype end = close < 0 ? n : close;
                value = text.mid(pos + 1, end - pos - 1);
                pos = close < 0 ? n : close + 1;
            } else {
                const qsizetype valueStart = pos;
                while (pos < n && !text[pos].isSpace() && text[pos] != u'>')
                    ++pos;
                value = text.mid(valueStart, pos - valueStart);
            }
        }
        if (!attributes.contains(name))
            attributes.insert(name, value);
    }
    return attributes;
}

// The position after "<name" when text holds that tag at pos (any case,
// followed by a blank, "/" or ">"), else -1.
qsizetype AfterTagName(const QString& text, qsizetype pos, QLatin1String name)
{
    const qsizetype end = pos + 1 + name.size();
    if (end >= text.size() || QStringView(text).mid(pos + 1, name.size()).compare(name, Qt::CaseInsensitive) != 0)
        return -1;
    const QChar next = text[end];
    return next.isSpace() || next == u'/' || next == u'>' ? end : -1;
}

bool HasWord(const QString& list, QLatin1String word)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList words = list.split(blanks, Qt::SkipEmptyParts);
    for (const QString& w : words)
        if (w.compare(word, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool IsFeedType(const QString& type)
{
    const QString bare = type.section(u';', 0, 0).trimmed().toLower();
    return bare == u"application/rss+xml" || bare == u"application/atom+xml" || bare == u"application/feed+json"
        || bare == u"application/json";
}

// An attribute value as the browser reads it: references decoded, blanks
// around it dropped (an URL holds no line breaks).
QString AttributeText(const QString& value)
{
    QString text = value;
    text.remove(u'\r');
    text.remove(u'\n');
    text.remove(u'\t');
    return ReplaceHTMLEntities(text).trimmed();
}

QUrl Resolved(const QUrl& base, const QString& reference)
{
    const QUrl url(reference);
    if (!url.isValid())
        return QUrl();
    return base.isValid() && !base.isRelative() ? base.resolved(url) : url;
}
} // namespace

std::vector<TAdvertisedFeed> AdvertisedFeeds(const QString& pageText, const QString& pageUrl)
{
    std::vector<TAdvertisedFeed> feeds;
    QUrl base(pageUrl);
    bool baseSeen = false;
    QSet<QString> seen;
    std::vector<std::pair<QString, QString>> links; // href as written, title
    for (qsizetype at = pageText.indexOf(u'<'); at >= 0; at = pageText.indexOf(u'<', at + 1)) {
        if (QStringView(pageText).mid(at).startsWith(QLatin1String("<!--"))) {
            const qsizetype close = pageText.indexOf(QLatin1String("-->"), at + 4);
            if (close < 0)
                break;
            at = close + 2;
            continue;
        }
        qsizetype pos = AfterTagName(pageText, at, QLatin1String("link"));
        const bool isLink = pos >= 0;
        if (!isLink && (baseSeen || (pos = AfterTagName(pageText, at, QLatin1String("base"))) < 0))
            continue;
        bool closed = false;
        const TAttributes attributes = ReadAttributes(pageText, pos, closed);
        if (!closed)
            break; // the page ends inside the tag
        at = pos - 1;
        if (!isLink) {
            if (attributes.contains(QStringLiteral("href"))) {
                baseSeen = true;
                base = Resolved(QUrl(pageUrl), AttributeText(attributes.value(QStringLiteral("href"))));
            }
            continue;
        }
        if (!HasWord(attributes.value(QStringLiteral("rel")), QLatin1String("alternate"))
            || !IsFeedType(attributes.value(QStringLiteral("type"))) || !attributes.contains(QStringLiteral("href")))
            continue;
        links.emplace_back(AttributeText(attributes.value(QStringLiteral("href"))),
                           attributes.value(QStringLiteral("title")));
        if (links.size() >= 4 * kMaxAdvertisedFeeds)
            break; // a page advertising hundreds offers the first ones
    }
    // Resolved once the whole head is read: a <base> after a link still counts.
    for (const auto& [href, title] : links) {
        const QString url = Resolved(base, href).toString();
        if (!IsWebURL(url) || seen.contains(url))
            continue;
        seen.insert(url);
        feeds.push_back({url, HTMLToText(title).simplified()});
        if (static_cast<int>(feeds.size()) >= kMaxAdvertisedFeeds)
            break;
    }
    return feeds;
}
