// The real program on one program folder: a second start shows the first's
// organiser and ends at once without touching a file; the lock and socket of
// the first, once killed, block nothing.
#include "app/SingleInstance.h"

#include "support/TempFolder.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>

namespace {
// The program binary on home, offscreen, its trace lines collected.
class Program {
public:
    Program(const QString& home, const QStringList& arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QUORBEL_HOME", home);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QT_LOGGING_RULES", "quorbel.trace=true");
        env.insert("QT_FORCE_STDERR_LOGGING", "1");
        process.setProcessEnvironment(env);
        process.setReadChannel(QProcess::StandardError);
        process.start(QUORBEL_PROGRAM, arguments);
    }
    ~Program()
    {
        process.kill();
        process.waitForFinished(5000);
    }
    bool WaitForTrace(const QString& text)
    {
        const QDeadlineTimer deadline(10000);
        while (!(trace += process.readAllStandardError()).contains(text.toUtf8())) {
            if (process.state() == QProcess::NotRunning || deadline.hasExpired())
                return false;
            process.waitForReadyRead(50);
        }
        return true;
    }
    QProcess process;
    QByteArray trace;
};

// Every entry under folder with its size, time and content.
QStringList Snapshot(const QString& folder)
{
    QStringList lines{QString::number(QFileInfo(folder).lastModified().toMSecsSinceEpoch())};
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        const QFileInfo info(file);
        const QByteArray bytes = info.isFile() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        lines << QStringLiteral("%1 %2 %3").arg(info.filePath()).arg(info.lastModified().toMSecsSinceEpoch())
                     .arg(QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex()));
    }
    lines.sort();
    return lines;
}

TEST(SecondStart, ShowsTheFirstCopysOrganiserTouchesNothingAndOutlivesAKill)
{
    TempProgramFolder home;
    Program first(home.Path());
    ASSERT_TRUE(first.WaitForTrace("Loaded 0 nodes")) << first.trace.constData();
    const QStringList before = Snapshot(home.Path());

    QElapsedTimer took;
    took.start();
    Program second(home.Path(), {"http://news.test/feed.rss"});
    ASSERT_TRUE(second.process.waitForFinished(10000));
    EXPECT_LT(took.elapsed(), 4000);
    EXPECT_EQ(second.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process.exitCode(), 0) << second.process.readAllStandardError().constData();
    ASSERT_TRUE(first.WaitForTrace("Organiser shown for another start")) << first.trace.constData();
    EXPECT_TRUE(first.trace.contains("Another start: show http://news.test/feed.rss"));
    EXPECT_EQ(first.process.state(), QProcess::Running);
    EXPECT_EQ(Snapshot(home.Path()), before);

    // Killed, it leaves its lock and socket files behind; they block nothing.
    ::kill(static_cast<pid_t>(first.process.processId()), SIGKILL);
    ASSERT_TRUE(first.process.waitForFinished(5000));
    ASSERT_TRUE(QFileInfo::exists(home.File("quorbel.lock")));
    ASSERT_TRUE(QFileInfo::exists(TSingleInstance::ServerNameFor(home.Path())));
    TSingleInstance next(home.Path());
    EXPECT_EQ(next.Start({kShowCommand, {}}, 1000), TInstanceStart::First);
    EXPECT_EQ(TSingleInstance(home.Path()).Start({kShowCommand, {}}, 1000), TInstanceStart::HandedOver);
}
} // namespace
