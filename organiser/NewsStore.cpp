#include "organiser/NewsStore.h"

#include "organiser/NewsBackup.h"

#include "platform/Trace.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QSaveFile>

TNewsStore::TNewsStore(TReport report, QObject* parent)
    : QObject(parent), report(std::move(report)), worker([this] { Work(); })
{
}

TNewsStore::~TNewsStore()
{
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return !running && !waiting; });
        stopping = true;
    }
    changed.notify_all();
    worker.join();
}

void TNewsStore::Request(TStoreJob job)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        waiting = std::move(job); // an older waiting snapshot is dropped here
    }
    changed.notify_all();
}

void TNewsStore::TrustNewsFile(const QString& path)
{
    std::lock_guard<std::mutex> lock(mutex);
    trustedNewsPath = path;
}

void TNewsStore::WaitForIdle()
{
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [this] { return !running && !waiting; });
    }
    Deliver();
}

bool TNewsStore::IsIdle() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return !running && !waiting;
}

int TNewsStore::StoresWritten() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return written;
}

void TNewsStore::SetBeforeWrite(std::function<void()> hook)
{
    std::lock_guard<std::mutex> lock(mutex);
    beforeWrite = std::move(hook);
}

void TNewsStore::Work()
{
    for (;;) {
        TStoreJob job;
        std::function<void()> hook;
        bool trusted = false;
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return stopping || waiting.has_value(); });
            if (!waiting)
                return; // stopping with nothing left
            job = std::move(*waiting);
            waiting.reset();
            running = true;
            hook = beforeWrite;
            trusted = !trustedNewsPath.isEmpty() && trustedNewsPath == job.newsPath;
        }
        if (hook)
            hook();
        TStoreResult result = Store(job, trusted);
        job.list.reset(); // the snapshot's memory goes back before the next one is taken
        {
            std::lock_guard<std::mutex> lock(mutex);
            running = false;
            ++written;
            // A failed store leaves the file as it was (the save is atomic).
            if (!result.storeFailed)
                trustedNewsPath = result.newsPath;
            finished.push_back(std::move(result));
        }
        changed.notify_all();
        QMetaObject::invokeMethod(this, [this] { Deliver(); }, Qt::QueuedConnection);
    }
}

TStoreResult TNewsStore::Store(const TStoreJob& job, bool newsFileTrusted)
{
    TStoreResult result;
    result.newsPath = job.newsPath;
    result.backupPath = job.backupPath;
    // The first back-up is made as soon as there is a news file to copy;
    // after that one a day. A file not known to be whole waits for the next
    // store, which copies what this one writes.
    const bool haveNews = QFileInfo::exists(job.newsPath);
    const bool firstBackup = haveNews && !QFileInfo::exists(job.backupPath);
    const bool due = firstBackup || BackupIsDue(job.backupPath, job.now);
    if (due && !newsFileTrusted)
        result.backupSkipped = true;
    else if (due && !CopyFileSafely(job.newsPath, job.backupPath))
        result.backupFailed = true;
    if (!job.list || !job.list->SaveContainer(job.newsPath))
        result.storeFailed = true;
    if (!job.feedStatesPath.isEmpty()) {
        QSaveFile states(job.feedStatesPath);
        if (!states.open(QIODevice::WriteOnly) || states.write(job.feedStates) != job.feedStates.size()
            || !states.commit())
            WriteTraceLine(QStringLiteral("Cannot write \"%1\"").arg(job.feedStatesPath));
    }
    return result;
}

void TNewsStore::Deliver()
{
    std::vector<TStoreResult> results;
    {
        std::lock_guard<std::mutex> lock(mutex);
        results.swap(finished);
    }
    for (const TStoreResult& result : results)
        if (report)
            report(result);
}
