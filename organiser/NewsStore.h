#pragma once
// Stores the news tree off the window thread.
//
// Rules kept here:
//  - The window thread hands over a snapshot (the list reordered by the tree,
//    a copy of its own); the back-up copy, the compression and the atomic
//    write run on one worker thread, one store after another, in the order
//    asked for.
//  - A store asked for while another runs waits; several waiting ones
//    coalesce into one store of the latest snapshot.
//  - What each store did is reported on the window thread, from its event
//    loop, or at once by WaitForIdle.
//  - Going away waits for the store in progress and the one waiting: no
//    store asked for is ever dropped.
//  - The back-up copy is made only of a news file this program read whole at
//    start-up (TrustNewsFile) or wrote itself since: a damaged file never
//    replaces the back-up.
//  - Every store is reported, the ones that succeeded too, so that whoever
//    reports failures knows when a run of them has ended.
//  - The feeds' fetch states go with the store they were taken with; losing
//    them costs only a full download, so a failure to write them is traced,
//    not reported.
#include "model/TreeItems.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

struct TStoreJob {
    std::unique_ptr<TTreeList> list; // reordered by the tree
    QString newsPath;
    QString backupPath;
    QDateTime now; // decides whether the daily back-up is due
    // The feeds' fetch states (FeedStates.h), written beside the news file;
    // nothing is written when the path is empty.
    QString feedStatesPath;
    QByteArray feedStates;
};

struct TStoreResult {
    QString newsPath;
    QString backupPath;
    bool backupFailed = false;
    bool storeFailed = false;
    bool backupSkipped = false; // due, but the news file was not known to be whole
    bool Failed() const { return backupFailed || storeFailed; }
};

class TNewsStore : public QObject {
    Q_OBJECT
public:
    using TReport = std::function<void(const TStoreResult&)>;

    explicit TNewsStore(TReport report, QObject* parent = nullptr);
    ~TNewsStore() override;
    TNewsStore(const TNewsStore&) = delete;
    TNewsStore& operator=(const TNewsStore&) = delete;

    void Request(TStoreJob job);
    // The news file at path was read whole: it may be copied to the back-up.
    void TrustNewsFile(const QString& path);
    // Blocks until no store runs or waits, then reports what is left to report.
    void WaitForIdle();
    bool IsIdle() const;
    // Stores written since start (coalesced requests count once).
    int StoresWritten() const;
    // Runs on the worker before each write; for tests that need a store to
    // be in progress.
    void SetBeforeWrite(std::function<void()> hook);

private:
    void Work();
    void Deliver();
    static TStoreResult Store(const TStoreJob& job, bool newsFileTrusted);

    TReport report;
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::optional<TStoreJob> waiting;
    bool running = false;
    bool stopping = false;
    int written = 0;
    QString trustedNewsPath; // read whole at start-up or written by a store
    std::vector<TStoreResult> finished;
    std::function<void()> beforeWrite;
    std::thread worker;
};
