#include "feeds/JsonFeed.h"

#include "model/IsoDate.h"
#include "platform/WebLinks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {
QByteArrayView WithoutMark(const QByteArray& bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    return view;
}

// Deepest nesting of objects and arrays, stopping as soon as it passes limit.
int NestingDepth(QByteArrayView text, int limit)
{
    int depth = 0, deepest = 0;
    bool inString = false, escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            deepest = std::max(deepest, ++depth);
            if (deepest > limit)
                break;
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return deepest;
}

QString Text(const QJsonObject& object, QLatin1String key)
{
    const QJsonValue value = object.value(key);
    return value.isString() ? value.toString() : QString();
}

// The first of keys that holds a string that is not blank.
QString FirstText(const QJsonObject& object, std::initializer_list<QLatin1String> keys)
{
    for (QLatin1String key : keys) {
        const QString text = Text(object, key);
        if (!text.trimmed().isEmpty())
            return text;
    }
    return QString();
}

bool IsJsonFeedVersion(const QString& version)
{
    return version.startsWith(QLatin1String("https://jsonfeed.org/version/"))
        || version.startsWith(QLatin1String("http://jsonfeed.org/version/"));
}

void ReadAttachments(const QJsonObject& item, TFeedItem& read)
{
    const QJsonArray attachments = item.value(QLatin1String("attachments")).toArray();
    for (const QJsonValue& value : attachments) {
        const QJsonObject attachment = value.toObject();
        const QString url = Text(attachment, QLatin1String("url")).trimmed();
        if (url.isEmpty())
            continue;
        const QString type = Text(attachment, QLatin1String("mime_type")).trimmed();
        const bool media = IsMediaEnclosure(url, type);
        if (read.mediaLink.isEmpty() || media) {
            read.mediaLink = url;
            read.mediaType = type;
        }
        if (media)
            return;
    }
}

TFeedItem ReadItem(const QJsonObject& item)
{
    TFeedItem read;
    read.title = PlainTitleText(Text(item, QLatin1String("title")));
    read.link = FirstText(item, {QLatin1String("url"), QLatin1String("external_url")}).trimmed();
    const QString id = Text(item, QLatin1String("id")).trimmed();
    if (IsWebURL(id))
        read.idLink = id;
    read.description = Text(item, QLatin1String("content_html"));
    if (read.description.trimmed().isEmpty())
        read.description = FirstText(item, {QLatin1String("content_text"), QLatin1String("summary")}).toHtmlEscaped();
    read.date = ParseFeedDate(FirstText(item, {QLatin1String("date_published"), QLatin1String("date_modified")}));
    ReadAttachments(item, read);
    return read;
}
} // namespace

bool StartsLikeJson(const QByteArray& bytes)
{
    for (const char c : WithoutMark(bytes)) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        return c == '{' || c == '[';
    }
    return false;
}

TJsonKind ReadJsonFeed(const QByteArray& bytes, TFeedChannel& channel)
{
    if (!StartsLikeJson(bytes))
        return TJsonKind::NotJson;
    if (bytes.size() > kMaxJsonFeedBytes)
        return TJsonKind::Refused;
    const QByteArrayView text = WithoutMark(bytes);
    if (NestingDepth(text, kMaxJsonFeedDepth) > kMaxJsonFeedDepth)
        return TJsonKind::Refused;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError)
        return TJsonKind::NotJson;
    const QJsonObject feed = document.object();
    if (!document.isObject() || !IsJsonFeedVersion(Text(feed, QLatin1String("version"))))
        return TJsonKind::OtherJson;
    channel = TFeedChannel();
    channel.title = PlainTitleText(Text(feed, QLatin1String("title")));
    channel.siteLink = Text(feed, QLatin1String("home_page_url")).trimmed();
    channel.description = Text(feed, QLatin1String("description"));
    const QJsonArray items = feed.value(QLatin1String("items")).toArray();
    channel.items.reserve(static_cast<size_t>(items.size()));
    for (const QJsonValue& value : items)
        if (value.isObject())
            channel.items.push_back(ReadItem(value.toObject()));
    return TJsonKind::JsonFeed;
}
