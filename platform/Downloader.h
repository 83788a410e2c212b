#pragma once
// Fetches one URL into a local file. The real implementation runs a nested
// event loop, so timers, menus and repainting go on during a transfer.
// StartDownload fetches into memory without a nested loop and reports when
// done; the fetch pipeline runs several of those at once.
#include <QByteArray>
#include <QString>

#include <functional>

// The program's home page, named in the about box and in the User-Agent.
inline const QString kProgramWebAddress = QStringLiteral("https://quorbel.example.org/");

// What a fetch sends beyond the URL: the validators of the copy we hold.
struct TDownloadRequest {
    QString url;
    QByteArray etag;         // sent as If-None-Match when not empty
    QByteArray lastModified; // sent as If-Modified-Since when not empty
    // Nobody waits on it (a scheduled refresh, one of Reload All's feeds, a
    // site icon): a server that goes silent or crawls is given up sooner,
    // so that it does not hold a download slot others need.
    bool unattended = false;
    bool HasValidators() const { return !etag.isEmpty() || !lastModified.isEmpty(); }
};

// What came back from one fetch.
struct TDownloadAnswer {
    bool ok = false;          // a whole 2xx body, or a 304 to a conditional request
    bool notModified = false; // the 304: nothing new, no body
    bool cancelled = false;   // ended by CancelAll or a Cancel, not by the server
    bool failedWriting = false;
    int status = 0;           // the last HTTP status seen; 0 without one
    QString contentType;
    QByteArray etag;          // validators of the answer, as sent
    QByteArray lastModified;
    QByteArray retryAfter;    // of the last answer, as sent
    QString movedTo;          // where the URL's own 301/308 hops ended; empty otherwise
    QString errorText;
    QByteArray body;          // StartDownload only
};

class IDownloader {
public:
    using TDone = std::function<void(const TDownloadAnswer& answer)>;

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
    // A conditional download into fileName; a 304 leaves no file and is ok.
    virtual TDownloadAnswer DownloadRequest(const TDownloadRequest& request, const QString& fileName);
    // Starts a download into memory and returns at once; done runs later on
    // this thread, from the event loop, exactly once (a cancelled transfer
    // reports too). Returns an id for Cancel.
    virtual int StartDownload(const TDownloadRequest& request, TDone done);
    // Ends one started download as cancelled; an unknown id is ignored.
    virtual void Cancel(int id);
    // Ends every transfer in progress at once, as a failure.
    virtual void CancelAll() {}
    // True when the download that finished last failed because its target
    // file could not be written (a full disk, a read-only folder).
    virtual bool LastFailedWriting() const { return false; }
};

IDownloader& Downloader();
void SetDownloader(IDownloader* downloader); // nullptr restores the network downloader
