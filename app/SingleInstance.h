#pragma once
// One program per program folder: two copies on one folder would each keep a
// tree of their own, and the one that ends last would overwrite the other's.
//
// Rules kept here:
//  - The first start holds a lock file in the folder. A lock whose process
//    is gone (killed, crashed), or that names no process and is over a
//    second old, is stale and taken over at once; a live holder's lock never
//    goes stale, however long it runs.
//  - The holder listens on a local socket named after the folder's canonical
//    path, in the user's runtime folder (else the temporary folder, with the
//    user id in the name), open to this user only.
//  - A later start writes nothing: it sends its message and waits for the
//    holder's answer. When the lock comes free meanwhile (the holder was just
//    ending) it becomes the first itself; no answer within the time given
//    means the holder hangs.
//  - The holder answers each message on arrival and hands it to the handler
//    from the event loop; messages that come before a handler is set wait
//    for it.
#include "app/InstanceMessage.h"

#include <QList>
#include <QLocalServer>
#include <QLockFile>
#include <QString>

#include <functional>

enum class TInstanceStart {
    First,      // this copy holds the folder
    Unguarded,  // the lock could not be made (see LockProblem); runs unguarded
    HandedOver, // another copy holds the folder and took the message
    NoAnswer,   // another copy holds the folder but did not answer
};

class TSingleInstance {
public:
    // How long a later start waits for the holder by default.
    static constexpr int kAnswerMs = 5000;

    // folder: the program folder, which exists.
    explicit TSingleInstance(const QString& folder);
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // Takes the folder, or hands message to the copy that holds it.
    TInstanceStart Start(const TInstanceMessage& message, int answerMs = kAnswerMs);
    void SetHandler(std::function<void(const TInstanceMessage&)> handler);
    // Takes no more messages (the program is ending); the lock stays held.
    void StopListening();

    bool IsListening() const { return server.isListening(); }
    QString LockFileName() const { return lockFileName; }
    QString ServerName() const { return serverName; }
    QString LockProblem() const { return lockProblem; }

    static QString ServerNameFor(const QString& folder);

private:
    enum class THandOver { Answered, NoServer, NoAnswer };
    THandOver HandOver(const QByteArray& frame, int waitMs);
    void Listen();
    void AcceptConnections();
    void Deliver(const TInstanceMessage& message);

    QString lockFileName;
    QString serverName;
    QString lockProblem;
    QLockFile lock;
    QLocalServer server;
    std::function<void(const TInstanceMessage&)> handler;
    QList<TInstanceMessage> waiting;
};

// Tells on standard error what the user should know about a start that is
// not First; returns the exit status of a start that ends here, -1 when the
// program runs on.
int ReportInstanceStart(TInstanceStart start, const TSingleInstance& instance, const QString& folder);
