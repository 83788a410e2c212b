#pragma once
// A downloader that answers from a table instead of the network; installed
// for its lifetime. Unknown URLs and URLs marked as failing return false and
// leave the target alone, as the real one does. Every call is recorded.
#include "platform/Downloader.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class FakeDownloader final : public IDownloader {
public:
    struct Call {
        QString url;
        QString fileName;
        bool result = false;
    };

    FakeDownloader() { SetDownloader(this); }
    ~FakeDownloader() override { SetDownloader(nullptr); }
    FakeDownloader(const FakeDownloader&) = delete;
    FakeDownloader& operator=(const FakeDownloader&) = delete;

    void Serve(const QString& url, const QByteArray& body) { answers.insert(url, body); }
    void Fail(const QString& url) { answers.insert(url, std::nullopt); }
    // The Content-Type the "server" sends with url's body.
    void SetContentType(const QString& url, const QString& type) { types.insert(url, type); }
    // Runs inside Download before it answers, as events would run inside a
    // real transfer's event loop.
    void SetDuringDownload(std::function<void(const QString& url)> hook) { during = std::move(hook); }

    bool Download(const QString& url, const QString& fileName) override
    {
        if (during)
            during(url);
        bool ok = false;
        lastCancelled = cancelled;
        if (cancelled) {
            // Cancelled while "in transfer": a failure that leaves the target alone.
            cancelled = false;
            calls.append({url, fileName, false});
            return false;
        }
        const auto found = answers.constFind(url);
        if (found != answers.constEnd() && found->has_value()) {
            QFile file(fileName);
            ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate)
                 && file.write(**found) == (*found)->size();
        }
        calls.append({url, fileName, ok});
        return ok;
    }

    bool DownloadWithType(const QString& url, const QString& fileName, QString& contentType) override
    {
        const bool ok = Download(url, fileName);
        contentType = ok ? types.value(url) : QString();
        return ok;
    }

    // What the "server" says besides the body: validators (and a 304 when
    // the request sends one of them back), a status for failures, a
    // Retry-After, a permanent move.
    struct Headers {
        QByteArray etag, lastModified, retryAfter;
        int failStatus = 0;
        QString movedTo;
        bool answerNotModified = true;
    };
    void SetHeaders(const QString& url, const Headers& h) { headers.insert(url, h); }

    TDownloadAnswer DownloadRequest(const TDownloadRequest& request, const QString& fileName) override
    {
        requests.append(request);
        const Headers h = headers.value(request.url);
        TDownloadAnswer answer;
        const bool matches = (!request.etag.isEmpty() && request.etag == h.etag)
                             || (!request.lastModified.isEmpty() && request.lastModified == h.lastModified);
        if (h.answerNotModified && matches && answers.contains(request.url) && answers.value(request.url)) {
            calls.append({request.url, fileName, true});
            answer.ok = answer.notModified = true;
            answer.status = 304;
            return answer;
        }
        answer.ok = DownloadWithType(request.url, fileName, answer.contentType);
        answer.status = answer.ok ? 200 : h.failStatus;
        answer.cancelled = !answer.ok && lastCancelled;
        if (answer.ok) {
            answer.etag = h.etag;
            answer.lastModified = h.lastModified;
        }
        answer.retryAfter = h.retryAfter;
        answer.movedTo = h.movedTo;
        return answer;
    }
    // Every conditional request, in order.
    QList<TDownloadRequest> requests;

    void CancelAll() override { cancelled = true; }

    const QList<Call>& Calls() const { return calls; }
    QStringList Urls() const
    {
        QStringList urls;
        for (const Call& call : calls)
            urls << call.url;
        return urls;
    }
    void ClearCalls() { calls.clear(); }
    void Reset()
    {
        answers.clear();
        calls.clear();
        headers.clear();
        requests.clear();
    }
    int CallCount(const QString& url) const
    {
        int n = 0;
        for (const Call& call : calls)
            n += call.url == url ? 1 : 0;
        return n;
    }

private:
    QHash<QString, std::optional<QByteArray>> answers;
    QHash<QString, QString> types;
    QList<Call> calls;
    std::function<void(const QString&)> during;
    bool cancelled = false;
    bool lastCancelled = false;
    QHash<QString, Headers> headers;
};
