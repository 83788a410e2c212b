#include "platform/Downloader.h"

#include "platform/QtDownloader.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

namespace {
IDownloader* current = nullptr;

// Started downloads of the plain implementation not yet reported, and the
// ones of those cancelled meanwhile.
QSet<int>& OutstandingStarts()
{
    static QSet<int> ids;
    return ids;
}
QSet<int>& CancelledStarts()
{
    static QSet<int> ids;
    return ids;
}
int nextStartId = 0;
} // namespace

IDownloader& Downloader()
{
    static QtDownloader network;
    return current ? *current : network;
}

void SetDownloader(IDownloader* downloader) { current = downloader; }

TDownloadAnswer IDownloader::DownloadRequest(const TDownloadRequest& request, const QString& fileName)
{
    TDownloadAnswer answer;
    answer.ok = DownloadWithType(request.url, fileName, answer.contentType);
    answer.failedWriting = !answer.ok && LastFailedWriting();
    return answer;
}

int IDownloader::StartDownload(const TDownloadRequest& request, TDone done)
{
    // Downloaders that only fetch into files: the body goes through a
    // temporary file now, and is reported from the event loop as the
    // network downloader would.
    const int id = ++nextStartId;
    OutstandingStarts().insert(id);
    TDownloadAnswer answer;
    QTemporaryDir folder;
    if (folder.isValid()) {
        const QString file = folder.filePath(QStringLiteral("body"));
        answer = DownloadRequest(request, file);
        QFile body(file);
        if (answer.ok && !answer.notModified && body.open(QIODevice::ReadOnly))
            answer.body = body.readAll();
    } else {
        answer.failedWriting = true;
    }
    QTimer::singleShot(0, QCoreApplication::instance(), [id, answer, done = std::move(done)]() mutable {
        OutstandingStarts().remove(id);
        if (CancelledStarts().remove(id)) {
            answer = TDownloadAnswer();
            answer.cancelled = true;
        }
        if (done)
            done(answer);
    });
    return id;
}

void IDownloader::Cancel(int id)
{
    if (OutstandingStarts().contains(id))
        CancelledStarts().insert(id);
}
