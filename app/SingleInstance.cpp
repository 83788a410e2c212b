#include "app/SingleInstance.h"

#include "text/TextTools.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>
#include <utility>

namespace {
// Pause between two looks at the lock and the socket while the holder is
// starting or ending.
constexpr int kRetryMs = 50;

void Pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A holder killed between making the lock file and writing itself into it
// leaves a file that names nobody; once it is a moment old nobody will.
bool HolderUnknown(QLockFile& lock, const QString& fileName)
{
    qint64 pid = 0;
    QString host, application;
    if (lock.getLockInfo(&pid, &host, &application))
        return false;
    const QFileInfo file(fileName);
    return file.exists() && file.lastModified().msecsTo(QDateTime::currentDateTime()) > 1000;
}

QString LockErrorText(QLockFile::LockError error)
{
    switch (error) {
    case QLockFile::PermissionError:
        return QStringLiteral("no permission to create the lock file");
    case QLockFile::UnknownError:
        return QStringLiteral("the lock file could not be made");
    default:
        return {};
    }
}
} // namespace

TSingleInstance::TSingleInstance(const QString& folder)
    : lockFileName(QDir(folder).filePath(QStringLiteral("quorbel.lock"))),
      serverName(ServerNameFor(folder)),
      lock(lockFileName)
{
    // Staleness by age would take the lock from a copy that simply runs long;
    // a dead holder is recognised by its process instead.
    lock.setStaleLockTime(0);
}

TSingleInstance::~TSingleInstance()
{
    StopListening();
    // The lock file goes with the lock (QLockFile).
}

QString TSingleInstance::ServerNameFor(const QString& folder)
{
    QString path = QFileInfo(folder).canonicalFilePath();
    if (path.isEmpty())
        path = QDir::cleanPath(QDir(folder).absolutePath());
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        dir = QDir::tempPath();
    return QStringLiteral("%1/quorbel-%2-%3").arg(dir).arg(::getuid()).arg(QString::fromLatin1(hash));
}

TInstanceStart TSingleInstance::Start(const TInstanceMessage& message, int answerMs)
{
    const QByteArray frame = EncodeInstanceMessage(message);
    const QDeadlineTimer deadline(answerMs);
    for (;;) {
        if (lock.tryLock(0)) {
            Listen();
            return TInstanceStart::First;
        }
        if (lock.error() != QLockFile::LockFailedError) {
            lockProblem = LockErrorText(lock.error());
            return TInstanceStart::Unguarded;
        }
        if (HolderUnknown(lock, lockFileName)) {
            lock.removeStaleLockFile();
            continue;
        }
        const THandOver result = HandOver(frame, static_cast<int>(deadline.remainingTime()));
        if (result == THandOver::Answered)
            return TInstanceStart::HandedOver;
        if (deadline.hasExpired())
            return TInstanceStart::NoAnswer;
        // Not listening yet, or going away: look at the lock again shortly.
        Pause(static_cast<int>(std::min<qint64>(kRetryMs, deadline.remainingTime())));
    }
}

TSingleInstance::THandOver TSingleInstance::HandOver(const QByteArray& frame, int waitMs)
{
    // An event loop rather than the socket's blocking waits, so that a holder
    // in this same thread (the tests) is served meanwhile.
    QLocalSocket socket;
    QEventLoop loop;
    QByteArray received;
    THandOver result = THandOver::NoServer;
    bool done = false;
    auto finish = [&] {
        done = true;
        loop.quit();
    };
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, finish);
    QObject::connect(&socket, &QLocalSocket::connected, &loop, [&] {
        result = THandOver::NoAnswer;
        socket.write(frame);
    });
    QObject::connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
        received += socket.readAll();
        TInstanceMessage answer;
        const TFrameRead read = TakeInstanceMessage(received, answer);
        if (read == TFrameRead::Complete && answer.Command == kAnswerCommand) {
            result = THandOver::Answered;
            finish();
        } else if (read == TFrameRead::Bad) {
            finish();
        }
    });
    QObject::connect(&socket, &QLocalSocket::errorOccurred, &loop, finish);
    QObject::connect(&socket, &QLocalSocket::disconnected, &loop, finish);
    deadline.start(std::max(waitMs, 0));
    socket.connectToServer(serverName);
    // The connection may succeed or fail inside connectToServer already.
    if (!done)
        loop.exec();
    socket.abort();
    return result;
}

void TSingleInstance::Listen()
{
    // We hold the lock, so a socket file under our name is a dead holder's.
    QLocalServer::removeServer(serverName);
    server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server.listen(serverName)) {
        DebugTrace(QStringLiteral("No local socket %1: %2").arg(serverName, server.errorString()));
        return;
    }
    QObject::connect(&server, &QLocalServer::newConnection, &server, [this] { AcceptConnections(); });
}

void TSingleInstance::AcceptConnections()
{
    while (QLocalSocket* socket = server.nextPendingConnection()) {
        auto received = std::make_shared<QByteArray>();
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket, received] {
            *received += socket->readAll();
            TInstanceMessage message;
            for (;;) {
                const TFrameRead read = TakeInstanceMessage(*received, message);
                if (read == TFrameRead::Incomplete)
                    return;
                if (read == TFrameRead::Bad) {
                    socket->abort();
                    return;
                }
                socket->write(EncodeInstanceMessage({kAnswerCommand, {}}));
                socket->flush();
                // The handler may run nested event loops; it runs from the
                // event loop, not inside this socket's signal.
                QMetaObject::invokeMethod(
                    &server, [this, message] { Deliver(message); }, Qt::QueuedConnection);
            }
        });
    }
}

void TSingleInstance::Deliver(const TInstanceMessage& message)
{
    if (handler)
        handler(message);
    else
        waiting.append(message);
}

void TSingleInstance::SetHandler(std::function<void(const TInstanceMessage&)> newHandler)
{
    handler = std::move(newHandler);
    if (!handler)
        return;
    const QList<TInstanceMessage> pending = std::exchange(waiting, {});
    for (const TInstanceMessage& message : pending)
        handler(message);
}

void TSingleInstance::StopListening()
{
    if (!server.isListening())
        return;
    server.close();
    // Connections still open are dropped; their senders look at the lock again.
    for (QLocalSocket* socket : server.findChildren<QLocalSocket*>())
        socket->abort();
}

int ReportInstanceStart(TInstanceStart start, const TSingleInstance& instance, const QString& folder)
{
    const QByteArray where = QDir::toNativeSeparators(folder).toLocal8Bit();
    switch (start) {
    case TInstanceStart::First:
        return -1;
    case TInstanceStart::Unguarded:
        std::fprintf(stderr, "quorbel: cannot lock the program folder %s (%s); a second copy on it would not be noticed.\n",
                     where.constData(), instance.LockProblem().toLocal8Bit().constData());
        return -1;
    case TInstanceStart::HandedOver:
        return 0;
    case TInstanceStart::NoAnswer:
        std::fprintf(stderr, "quorbel: another copy of Quorbel holds the program folder %s but does not answer.\n",
                     where.constData());
        return 1;
    }
    return 1;
}
