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
