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
};
