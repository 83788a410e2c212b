#include "feeds/FeedChannel.h"

#include "text/TextTools.h"

bool IsMediaEnclosure(const QString& url, const QString& type)
{
    // "audio/mpeg; charset=..." counts by its media type alone.
    const QString media = type.section(u';', 0, 0).trimmed().toLower();
    if (media.startsWith(QLatin1String("audio/")) || media.startsWith(QLatin1String("video/")))
        return true;
    // Servers label files they know nothing of as plain bytes: the name tells more.
    const bool untyped = media.isEmpty() || media == QLatin1String("application/octet-stream")
        || media == QLatin1String("binary/octet-stream");
    return untyped && (IsAudioLink(url) || IsVideoLink(url));
}

QString ChosenItemLink(const TFeedItem& item)
{
    const QString media = item.mediaLink.trimmed();
    if (!media.isEmpty() && IsMediaEnclosure(media, item.mediaType))
        return media;
    const QString link = item.link.trimmed();
    if (!link.isEmpty())
        return link;
    if (!media.isEmpty())
        return media;
    return item.idLink.trimmed();
}

QString KeptMediaType(const TFeedItem& item)
{
    const QString media = item.mediaLink.trimmed();
    const QString type = item.mediaType.section(u';', 0, 0).trimmed().toLower();
    if (media.isEmpty() || ChosenItemLink(item) != media)
        return {};
    if (!type.startsWith(QLatin1String("audio/")) && !type.startsWith(QLatin1String("video/")))
        return {};
    const TMediaKinds kinds = MediaKindsOf(media);
    return kinds.audio || kinds.video ? QString() : type;
}

QString PlainTitleText(QString text)
{
    // Tags are all the title conversion would take away; "&lt;" comes back as "<".
    return text.replace(u'<', QLatin1String("&lt;"));
}
