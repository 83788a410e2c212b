#include "platform/Downloader.h"

#include "platform/QtDownloader.h"

namespace {
IDownloader* current = nullptr;
} // namespace

IDownloader& Downloader()
{
    static QtDownloader network;
    return current ? *current : network;
}

void SetDownloader(IDownloader* downloader) { current = downloader; }
