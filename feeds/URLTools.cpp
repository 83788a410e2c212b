#include "feeds/URLTools.h"

#include "platform/Connectivity.h"
#include "platform/Downloader.h"

bool DownloadURLToFile(const QString& url, const QString& fileName)
{
    return Downloader().Download(url, fileName);
}

bool IsInternetConnected()
{
    return Connectivity().IsConnected();
}
