#include "platform/WebLinks.h"

#include <QUrl>

namespace {
bool HasScheme(const QUrl& url, QLatin1String scheme) { return url.scheme().compare(scheme, Qt::CaseInsensitive) == 0; }

QUrl Parsed(const QString& text) { return QUrl(text.trimmed(), QUrl::TolerantMode); }
} // namespace

bool IsWebURL(const QUrl& url)
{
    return url.isValid() && !url.host().isEmpty()
        && (HasScheme(url, QLatin1String("http")) || HasScheme(url, QLatin1String("https")));
}

bool IsWebURL(const QString& text) { return IsWebURL(Parsed(text)); }

bool IsDesktopLink(const QString& link)
{
    const QUrl url = Parsed(link);
    if (IsWebURL(url))
        return true;
    if (!url.isValid())
        return false;
    if (HasScheme(url, QLatin1String("ftp")))
        return !url.host().isEmpty();
    if (HasScheme(url, QLatin1String("mailto")))
        return !url.path().trimmed().isEmpty();
    return false;
}
