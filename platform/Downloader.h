#pragma once
// Fetches one URL into a local file. The real implementation runs a nested
// event loop, so timers, menus and repainting go on during a transfer.
#include <QString>

class IDownloader {
public:
    virtual ~IDownloader() = default;
    // True when the whole body was written to fileName. A failure leaves no
    // file behind (an existing file of that name is left as it was).
    virtual bool Download(const QString& url, const QString& fileName) = 0;
    // The same, also handing back the Content-Type the server sent with the
    // body (empty when there was none, or for a local file).
    virtual bool DownloadWithType(const QString& url, const QString& fileName, QString& contentType)
    {
        contentType.clear();
        return Download(url, fileName);
    }
    // Ends every transfer in progress at once, as a failure.
    virtual void CancelAll() {}
    // True when the download that finished last failed because its target
    // file could not be written (a full disk, a read-only folder).
    virtual bool LastFailedWriting() const { return false; }
};

IDownloader& Downloader();
void SetDownloader(IDownloader* downloader); // nullptr restores the network downloader
