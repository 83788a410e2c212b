#include "feeds/URLTools.h"

#include "platform/Connectivity.h"
#include "platform/Downloader.h"
#include "platform/Trace.h"

namespace {
bool cancelled = false;
} // namespace

bool DownloadURLToFile(QString url, QString fileName)
{
    QString contentType;
    return DownloadURLToFile(url, fileName, contentType);
}

bool DownloadURLToFile(QString url, QString fileName, QString& contentType)
{
    contentType.clear();
    if (cancelled) {
        WriteTraceLine(QStringLiteral("Download of \"%1\" not started: downloads are cancelled").arg(url));
        return false;
    }
    return Downloader().DownloadWithType(url, fileName, contentType);
}

bool IsInternetConnected()
{
    return Connectivity().IsConnected();
}

void SetDownloadsCancelled(bool on)
{
    cancelled = on;
    if (on)
        Downloader().CancelAll();
}

bool DownloadsCancelled() { return cancelled; }

QString NormaliseFeedURL(const QString& text)
{
    const QString trimmed = text.trimmed();
    const QLatin1String feed("feed:");
    if (!trimmed.startsWith(feed, Qt::CaseInsensitive))
        return text;
    QString rest = trimmed.mid(feed.size());
    if (rest.startsWith(QLatin1String("//")))
        rest = rest.mid(2);
    if (rest.isEmpty())
        return text; // "feed:" alone names nothing
    // "feed:https://..." and the "feed://https://..." some browsers make.
    for (const char* scheme : {"http://", "https://"})
        if (rest.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
            return rest;
    return QStringLiteral("http://") + rest;
}
