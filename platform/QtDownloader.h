#pragma once
// The network downloader: QNetworkAccessManager driven by a nested event loop,
// so timers, menus and repainting go on while a transfer runs.
//
// Rules it keeps:
// - http, https and file: URLs; a plain absolute local path counts as a file.
// - Redirects are followed up to Limits::maxRedirects hops, to http or https
//   only; a relative Location is resolved against the URL that sent it. A loop
//   therefore fails once the hop count runs out.
// - Any HTTP status other than 2xx after redirects is a failure.
// - Nothing received for Limits::stallMs, a transfer longer than
//   Limits::totalMs, or a body larger than Limits::maxBytes fails. A declared
//   Content-Length over the size limit fails before the body is read.
// - The body goes to a temporary file in the target's folder as it arrives
//   and replaces the target only when complete: a failure leaves no file and
//   an existing target untouched.
// - An unattended request (TDownloadRequest::unattended) uses the shorter of
//   the stall limits, and fails as too slow when, after Limits::slowAfterMs,
//   it has received less than Limits::minBytesPerSecond on average.
// - Compressed bodies (gzip, deflate) are accepted and decoded by Qt.
// - The User-Agent is "Quorbel/<version> (+<web address>)". The system proxy
//   settings apply, except to loopback hosts.
// - Validators of the request go out as If-None-Match and If-Modified-Since
//   on every hop; a 304 then is a success without a body (and leaves the
//   target file alone). A 304 to a request without validators is a failure.
// - StartDownload keeps the body in memory, under the same limits, and runs
//   no event loop of its own.
// - Downloads may nest: code that runs inside the event loop of one transfer
//   may start another one.
// - A transfer that does not complete is a failure in every case: CancelAll,
//   and the application quitting (its event loops end at once) included.
// - Never throws.
#include "platform/Downloader.h"

#include <QPointer>
#include <map>
#include <memory>
#include <QString>
#include <QtGlobal>

class QNetworkAccessManager;
class QtDownloaderTransfer;

class QtDownloader final : public IDownloader {
public:
    struct Limits {
        int stallMs = 30 * 1000;
        int totalMs = 5 * 60 * 1000;
        qint64 maxBytes = 64LL * 1024 * 1024;
        int maxRedirects = 10;
        // Unattended downloads: nothing received for this long ends them,
        // and so does an average below minBytesPerSecond once slowAfterMs
        // have gone.
        int unattendedStallMs = 15 * 1000;
        int slowAfterMs = 15 * 1000;
        qint64 minBytesPerSecond = 1024;
    };

    enum class Failure {
        None,
        BadUrl,           // empty, unparsable, or a scheme we do not fetch
        CannotWrite,      // the temporary file could not be created or written
        Network,          // refused, reset, DNS, TLS, missing local file ...
        HttpStatus,       // a 4xx/5xx answer, or a 3xx without usable Location
        TooManyRedirects,
        Stalled,
        TimedOut,
        TooLarge,
        Cancelled,        // CancelAll, or the application is quitting
    };

    QtDownloader();
    explicit QtDownloader(const Limits& limits);
    ~QtDownloader() override;
    QtDownloader(const QtDownloader&) = delete;
    QtDownloader& operator=(const QtDownloader&) = delete;

    bool Download(const QString& url, const QString& fileName) override;
    bool DownloadWithType(const QString& url, const QString& fileName, QString& contentType) override;
    TDownloadAnswer DownloadRequest(const TDownloadRequest& request, const QString& fileName) override;
    int StartDownload(const TDownloadRequest& request, TDone done) override;
    void Cancel(int id) override;
    void CancelAll() override;
    bool LastFailedWriting() const override { return lastFailure == Failure::CannotWrite; }

    const Limits& GetLimits() const { return limits; }
    void SetLimits(const Limits& newLimits) { limits = newLimits; }

    // Why the most recent Download that finished failed (None after success).
    // With nested downloads this is the one that finished last.
    Failure LastFailure() const { return lastFailure; }
    const QString& LastErrorText() const { return lastErrorText; }

    static QByteArray UserAgent();

private:
    QNetworkAccessManager* Manager();

    Limits limits;
    QPointer<QNetworkAccessManager> manager;
    Failure lastFailure = Failure::None;
    QString lastErrorText;
    int lastStartId = 0;
    std::map<int, std::unique_ptr<QtDownloaderTransfer>> started; // by StartDownload, not yet reported
};
