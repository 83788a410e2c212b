#include "platform/QtDownloader.h"

#include "platform/Trace.h"
#include "platform/WebLinks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <exception>
#include <vector>

namespace {

using Failure = QtDownloader::Failure;

constexpr qint64 ReadChunk = 64 * 1024;

bool IsLoopbackHost(const QString& host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0
        || host.endsWith(QLatin1String(".localhost"), Qt::CaseInsensitive))
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

// The desktop's proxy settings, but never for this machine itself: a proxy
// cannot reach our loopback services, and asking libproxy costs time.
class ProxyFactory final : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override
    {
        if (IsLoopbackHost(query.peerHostName()))
            return {QNetworkProxy(QNetworkProxy::NoProxy)};
        return systemProxyForQuery(query);
    }
};

bool IsRedirectStatus(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// What the caller typed, as a URL we are willing to fetch; invalid otherwise.
QUrl ParseSourceUrl(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return {};
    if (trimmed.startsWith(QLatin1Char('/')))
        return QUrl::fromLocalFile(trimmed);
    QUrl url(trimmed, QUrl::TolerantMode);
    if (!url.isValid())
        return {};
    if (IsWebURL(url))
        return url;
    if (url.isLocalFile())
        return url;
    return {};
}

} // namespace
class QtDownloaderTransfer;
namespace {
using Transfer = QtDownloaderTransfer;
// The transfers running now, innermost last (all on the window thread).
std::vector<Transfer*>& RunningTransfers()
{
    static std::vector<Transfer*> running;
    return running;
}

} // namespace

// One call of Download: the chain of requests (one per redirect hop), the
// timers that bound it and the event loop that waits for it.
class QtDownloaderTransfer {
public:
    // out may be null: the body is then kept in memory (Body()).
    QtDownloaderTransfer(QNetworkAccessManager& nam, const QtDownloader::Limits& limits,
                         const TDownloadRequest& request, QIODevice* out)
        : nam(nam), limits(limits), request(request), out(out)
    {
        stallTimer.setSingleShot(true);
        totalTimer.setSingleShot(true);
        QObject::connect(&stallTimer, &QTimer::timeout, &context, [this] {
            Fail(Failure::Stalled, QStringLiteral("nothing received for %1 ms").arg(StallMs()));
        });
        QObject::connect(&slowTimer, &QTimer::timeout, &context, [this] { CheckRate(); });
        QObject::connect(&totalTimer, &QTimer::timeout, &context, [this] {
            Fail(Failure::TimedOut,
                 QStringLiteral("not finished after %1 ms").arg(this->limits.totalMs));
        });
    }

    ~QtDownloaderTransfer()
    {
        auto& running = RunningTransfers();
        running.erase(std::remove(running.begin(), running.end(), this), running.end());
        DropReply();
    }
    QtDownloaderTransfer(const QtDownloaderTransfer&) = delete;
    QtDownloaderTransfer& operator=(const QtDownloaderTransfer&) = delete;

    Failure Run(const QUrl& url)
    {
        RunningTransfers().push_back(this);
        StartTimers();
        Start(url);
        if (!done)
            loop.exec();
        // The loop also ends without us when the application quits (and then
        // does not run at all): what has not finished has failed.
        if (!done)
            Fail(Failure::Cancelled, QStringLiteral("the application is quitting"));
        return failure;
    }

    // Starts without waiting; whenDone runs from the event loop once the
    // transfer has ended, however it ended.
    void StartAsync(const QUrl& url, std::function<void()> whenDone)
    {
        onDone = std::move(whenDone);
        RunningTransfers().push_back(this);
        StartTimers();
        Start(url);
    }

    void Cancel() { Fail(Failure::Cancelled, QStringLiteral("cancelled")); }

    const QString& ErrorText() const { return errorText; }
    Failure GetFailure() const { return failure; }
    // What the server said, for the caller's answer.
    void FillAnswer(TDownloadAnswer& answer) const
    {
        answer.ok = failure == Failure::None;
        answer.notModified = notModified;
        answer.cancelled = failure == Failure::Cancelled;
        answer.failedWriting = failure == Failure::CannotWrite;
        answer.status = lastStatus;
        answer.contentType = contentType;
        answer.etag = etag;
        answer.lastModified = lastModified;
        answer.retryAfter = retryAfter;
        answer.movedTo = movedTo;
        answer.errorText = errorText;
    }
    QByteArray TakeBody() { return std::move(body); }

private:
    int StallMs() const
    {
        return request.unattended ? qMin(limits.stallMs, limits.unattendedStallMs) : limits.stallMs;
    }

    void StartTimers()
    {
        totalTimer.start(qMax(0, limits.totalMs));
        elapsed.start();
        if (request.unattended && limits.minBytesPerSecond > 0)
            slowTimer.start(qBound(100, limits.slowAfterMs / 4, 1000));
    }

    // Bytes of every hop count: a redirect chain is one transfer.
    void CheckRate()
    {
        const qint64 ms = elapsed.elapsed();
        if (done || ms < limits.slowAfterMs)
            return;
        if (receivedInAll * 1000 / qMax<qint64>(1, ms) < limits.minBytesPerSecond)
            Fail(Failure::TimedOut, QStringLiteral("slower than %1 bytes a second after %2 ms")
                                        .arg(limits.minBytesPerSecond)
                                        .arg(ms));
    }

    void Start(const QUrl& url)
    {
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::ManualRedirectPolicy);
        request.setHeader(QNetworkRequest::UserAgentHeader, QtDownloader::UserAgent());
        request.setRawHeader("Accept", "*/*");
        // No Accept-Encoding of our own: Qt then offers the encodings it can
        // decode (gzip among them) and hands us the decoded body.
        // The validators go with every hop: they belong to what we hold of
        // the final address.
        if (!this->request.etag.isEmpty())
            request.setRawHeader("If-None-Match", this->request.etag);
        if (!this->request.lastModified.isEmpty())
            request.setRawHeader("If-Modified-Since", this->request.lastModified);

        received = 0;
        body.clear();
        headersChecked = false;
        bodyWanted = false;
        reply = nam.get(request);
        QObject::connect(reply, &QNetworkReply::metaDataChanged, &context, [this] {
            KeepAlive();
            CheckHeaders();
        });
        QObject::connect(reply, &QNetworkReply::readyRead, &context, [this] { OnReadyRead(); });
        QObject::connect(reply, &QNetworkReply::downloadProgress, &context, [this] { KeepAlive(); });
        QObject::connect(reply, &QNetworkReply::finished, &context, [this] { OnFinished(); });
        KeepAlive();
    }

    void KeepAlive()
    {
        if (!done)
            stallTimer.start(qMax(0, StallMs()));
    }

    int Status() const
    {
        return reply ? reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() : 0;
    }

    // Decides once per response, as soon as its headers are in, whether its
    // body is the one we keep. A body announced too large ends the transfer
    // at once. Other answers (error pages, redirects) are read to their end
    // and dropped: Qt has already marked an error answer failed, and
    // aborting it on top of that only earns a warning.
    void CheckHeaders()
    {
        if (done || headersChecked || !reply)
            return;
        headersChecked = true;
        const int status = Status();
        // A local file has no status; everything else must be a 2xx answer.
        bodyWanted = status == 0 ? !IsWebURL(reply->url()) : (status >= 200 && status < 300);
        if (!bodyWanted)
            return;
        contentType = QString::fromLatin1(reply->rawHeader("Content-Type"));
        bool known = false;
        const qint64 declared = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        if (known && declared > limits.maxBytes)
            Fail(Failure::TooLarge,
                 QStringLiteral("announced %1 bytes, limit %2").arg(declared).arg(limits.maxBytes));
    }

    void OnReadyRead()
    {
        if (done || !reply)
            return;
        KeepAlive();
        CheckHeaders();
        while (!done) {
            const QByteArray chunk = reply->read(ReadChunk);
            if (chunk.isEmpty())
                break;
            received += chunk.size();
            receivedInAll += chunk.size();
            if (received > limits.maxBytes) {
                Fail(Failure::TooLarge, QStringLiteral("more than %1 bytes").arg(limits.maxBytes));
                return;
            }
            // Bodies we do not keep (redirects, error pages) are read only
            // to be dropped.
            if (!bodyWanted)
                continue;
            if (!out) {
                body.append(chunk);
            } else if (out->write(chunk) != chunk.size()) {
                Fail(Failure::CannotWrite, out->errorString());
                return;
            }
        }
    }

    void OnFinished()
    {
        if (done || !reply)
            return;
        OnReadyRead();
        if (done)
            return;
        const int status = Status();
        lastStatus = status;
        retryAfter = reply->rawHeader("Retry-After").trimmed();
        if (IsRedirectStatus(status)) {
            FollowRedirect();
            return;
        }
        if (status == 304) {
            // Not modified: only an answer to our validators means that.
            if (request.HasValidators()) {
                notModified = true;
                KeepValidators();
                Finish(Failure::None, {});
            } else {
                Fail(Failure::HttpStatus, QStringLiteral("HTTP status 304 to an unconditional request"));
            }
            return;
        }
        if (reply->error() != QNetworkReply::NoError) {
            const bool httpFailure = status >= 400;
            Fail(httpFailure ? Failure::HttpStatus : Failure::Network,
                 httpFailure ? QStringLiteral("HTTP status %1").arg(status) : reply->errorString());
            return;
        }
        CheckHeaders();
        if (done)
            return;
        if (!bodyWanted) {
            Fail(Failure::HttpStatus, QStringLiteral("HTTP status %1").arg(status));
            return;
        }
        KeepValidators();
        Finish(Failure::None, {});
    }

    void KeepValidators()
    {
        if (!reply)
            return;
        etag = reply->rawHeader("ETag").trimmed();
        lastModified = reply->rawHeader("Last-Modified").trimmed();
    }

    void FollowRedirect()
    {
        if (++redirects > limits.maxRedirects) {
            Fail(Failure::TooManyRedirects,
                 QStringLiteral("more than %1 redirects").arg(limits.maxRedirects));
            return;
        }
        const QByteArray location = reply->rawHeader("Location").trimmed();
        const QUrl target =
            reply->url().resolved(QUrl(QString::fromUtf8(location), QUrl::TolerantMode));
        // A web server may send us only to another web address, never to a
        // local file.
        if (location.isEmpty() || !target.isValid() || !IsWebURL(target)) {
            Fail(Failure::HttpStatus,
                 QStringLiteral("HTTP status %1 with unusable Location \"%2\"")
                     .arg(Status())
                     .arg(QString::fromUtf8(location)));
            return;
        }
        // The feed itself moved for good while every hop so far was permanent.
        const int status = Status();
        permanentSoFar = permanentSoFar && (status == 301 || status == 308);
        if (permanentSoFar)
            movedTo = target.toString();
        DropReply();
        Start(target);
    }

    void Fail(Failure why, const QString& text) { Finish(why, text); }

    void Finish(Failure why, const QString& text)
    {
        if (done)
            return;
        done = true;
        failure = why;
        errorText = text;
        stallTimer.stop();
        totalTimer.stop();
        slowTimer.stop();
        DropReply();
        loop.quit();
        if (onDone) {
            // Reported from the event loop: we may be inside a reply's signal.
            QTimer::singleShot(0, &context, [this] {
                auto done = std::move(onDone);
                onDone = nullptr;
                done(); // may delete us
            });
        }
    }

    // Detaches the current reply from us before aborting it: abort() emits
    // finished() at once, and that must not land in OnFinished.
    void DropReply()
    {
        if (!reply)
            return;
        QNetworkReply* old = reply;
        reply = nullptr;
        QObject::disconnect(old, nullptr, &context, nullptr);
        if (old->isRunning())
            old->abort();
        // We may be inside one of its signals here.
        old->deleteLater();
    }

    QNetworkAccessManager& nam;
    const QtDownloader::Limits limits; // a copy: SetLimits during a transfer does not touch it
    const TDownloadRequest request;
    QIODevice* out;
    QByteArray body; // when out is null
    std::function<void()> onDone;
    int lastStatus = 0;
    bool notModified = false;
    bool permanentSoFar = true;
    QByteArray etag, lastModified, retryAfter;
    QString movedTo;
    QObject context; // receiver of every connection, so they go with us
    QEventLoop loop;
    QTimer stallTimer;
    QTimer totalTimer;
    QTimer slowTimer;
    QElapsedTimer elapsed;
    QPointer<QNetworkReply> reply;
    int redirects = 0;
    qint64 received = 0; // of this hop
    qint64 receivedInAll = 0;
    bool headersChecked = false;
    bool bodyWanted = false;
    bool done = false;
    Failure failure = Failure::None;
    QString errorText;
    QString contentType;
};

QtDownloader::QtDownloader() = default;

QtDownloader::QtDownloader(const Limits& limits) : limits(limits) {}

QtDownloader::~QtDownloader()
{
    started.clear(); // their reports are dropped: nobody is left to hear them
    delete manager.data();
}

QByteArray QtDownloader::UserAgent()
{
    // Who we are and where to read about us, for the servers' logs.
    return QByteArrayLiteral("Quorbel/" QUORBEL_VERSION " (+") + kProgramWebAddress.toLatin1() + ')';
}

QNetworkAccessManager* QtDownloader::Manager()
{
    if (!manager) {
        // Parented to the application so that it goes before Qt does, even
        // when this downloader is a static that outlives the application.
        manager = new QNetworkAccessManager(QCoreApplication::instance());
        manager->setProxyFactory(new ProxyFactory);
    }
    return manager.data();
}

void QtDownloader::CancelAll()
{
    // Failing one may end others' loops too; work on a copy.
    const std::vector<Transfer*> running = RunningTransfers();
    for (Transfer* transfer : running)
        transfer->Cancel();
}

bool QtDownloader::Download(const QString& url, const QString& fileName)
{
    QString contentType;
    return DownloadWithType(url, fileName, contentType);
}

bool QtDownloader::DownloadWithType(const QString& url, const QString& fileName, QString& contentType)
{
    TDownloadRequest request;
    request.url = url;
    const TDownloadAnswer answer = DownloadRequest(request, fileName);
    contentType = answer.contentType;
    return answer.ok;
}

TDownloadAnswer QtDownloader::DownloadRequest(const TDownloadRequest& request, const QString& fileName)
{
    TDownloadAnswer answer;
    lastFailure = Failure::None;
    lastErrorText.clear();
    auto fail = [&](Failure why, const QString& text) {
        lastFailure = why;
        lastErrorText = text;
        answer.ok = false;
        answer.notModified = false;
        answer.cancelled = why == Failure::Cancelled;
        answer.failedWriting = why == Failure::CannotWrite;
        answer.errorText = text;
        WriteTraceLine(QStringLiteral("Download of \"%1\" failed: %2").arg(request.url, text));
        return answer;
    };
    try {
        if (!QCoreApplication::instance())
            return fail(Failure::Network, QStringLiteral("no application object"));
        const QUrl source = ParseSourceUrl(request.url);
        if (!source.isValid())
            return fail(Failure::BadUrl, QStringLiteral("not an http, https or file URL"));
        if (fileName.isEmpty())
            return fail(Failure::CannotWrite, QStringLiteral("no target file name"));

        // Unless committed, the temporary file is removed when this goes.
        QSaveFile out(fileName);
        if (!out.open(QIODevice::WriteOnly))
            return fail(Failure::CannotWrite, out.errorString());

        Transfer transfer(*Manager(), limits, request, &out);
        const Failure result = transfer.Run(source);
        transfer.FillAnswer(answer);
        if (result != Failure::None) {
            out.cancelWriting();
            return fail(result, transfer.ErrorText());
        }
        if (answer.notModified) {
            out.cancelWriting(); // nothing came: what the file held stays
            answer.contentType.clear();
            return answer;
        }
        if (!out.commit())
            return fail(Failure::CannotWrite, out.errorString());
        return answer;
    } catch (const std::exception& e) {
        return fail(Failure::Network, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return fail(Failure::Network, QStringLiteral("unexpected error"));
    }
}

int QtDownloader::StartDownload(const TDownloadRequest& request, TDone done)
{
    const int id = ++lastStartId;
    auto report = [done = std::move(done)](TDownloadAnswer answer) {
        if (done)
            done(answer);
    };
    const QUrl source = QCoreApplication::instance() ? ParseSourceUrl(request.url) : QUrl();
    if (!source.isValid()) {
        TDownloadAnswer answer;
        answer.errorText = QStringLiteral("not an http, https or file URL");
        WriteTraceLine(QStringLiteral("Download of \"%1\" failed: %2").arg(request.url, answer.errorText));
        if (QCoreApplication::instance())
            QTimer::singleShot(0, QCoreApplication::instance(), [report, answer] { report(answer); });
        return id;
    }
    auto transfer = std::make_unique<Transfer>(*Manager(), limits, request, nullptr);
    Transfer* raw = transfer.get();
    started.emplace(id, std::move(transfer));
    raw->StartAsync(source, [this, id, raw, report, url = request.url] {
        TDownloadAnswer answer;
        raw->FillAnswer(answer);
        if (answer.ok)
            answer.body = raw->TakeBody();
        else
            WriteTraceLine(QStringLiteral("Download of \"%1\" failed: %2").arg(url, answer.errorText));
        started.erase(id); // deletes the transfer; we are in a timer of its own, which Qt allows
        report(answer);
    });
    return id;
}

void QtDownloader::Cancel(int id)
{
    const auto found = started.find(id);
    if (found != started.end())
        found->second->Cancel();
}
