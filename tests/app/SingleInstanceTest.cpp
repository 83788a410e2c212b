// One program per program folder, the class against itself: later starts hand
// their message to the holder, also by another spelling of the folder; a
// holder that does not answer is reported, one that is ending is replaced.
#include "app/SingleInstance.h"

#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLocalServer>
#include <QLockFile>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace {
QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(SingleInstance, LaterStartsHandTheirMessageToTheHolder)
{
    TempProgramFolder home;
    TSingleInstance first(home.Path());
    ASSERT_EQ(first.Start({kShowCommand, {}}), TInstanceStart::First);
    // Answered before the holder has a handler, handed to it once it has one.
    const TInstanceMessage message{kShowCommand, {"http://news.test/a.rss", "/tmp/Ä b.xml"}};
    EXPECT_EQ(TSingleInstance(home.Path()).Start(message), TInstanceStart::HandedOver);
    EXPECT_EQ(Entries(home.Path()), QStringList{"quorbel.lock"});
    QCoreApplication::processEvents();
    QList<TInstanceMessage> received;
    first.SetHandler([&received](const TInstanceMessage& m) { received.append(m); });
    EXPECT_EQ(received, QList<TInstanceMessage>{message});

    // Through a link to the folder: the same folder, the same holder.
    ASSERT_TRUE(QFile::link(home.Path(), home.File("link")));
    EXPECT_EQ(TSingleInstance(home.File("link")).Start({kShowCommand, {"x"}}), TInstanceStart::HandedOver);
    QCoreApplication::processEvents();
    ASSERT_EQ(received.size(), 2);
    EXPECT_EQ(received[1].Arguments, QStringList{"x"});
    EXPECT_NE(TSingleInstance::ServerNameFor(QDir::tempPath()), first.ServerName());
}

TEST(SingleInstance, SilentHolderIsReportedAndAnEndingOneReplaced)
{
    TempProgramFolder home;
    // A live holder (this process) whose socket takes the message but never answers.
    auto holder = std::make_unique<QLockFile>(TSingleInstance(home.Path()).LockFileName());
    ASSERT_TRUE(holder->tryLock(0));
    QLocalServer silent;
    ASSERT_TRUE(silent.listen(TSingleInstance::ServerNameFor(home.Path())));
    TSingleInstance later(home.Path());
    EXPECT_EQ(later.Start({kShowCommand, {}}, 150), TInstanceStart::NoAnswer);
    EXPECT_TRUE(silent.hasPendingConnections());
    EXPECT_EQ(ReportInstanceStart(TInstanceStart::NoAnswer, later, home.Path()), 1);
    EXPECT_EQ(Entries(home.Path()), QStringList{"quorbel.lock"});

    // The holder stops listening and lets go a moment later: the waiting
    // start takes the folder rather than report a hang.
    silent.close();
    QTimer::singleShot(100, [&holder] { holder.reset(); });
    EXPECT_EQ(later.Start({kShowCommand, {}}, 3000), TInstanceStart::First);
    EXPECT_TRUE(later.IsListening());
    EXPECT_EQ(holder, nullptr);
}

TEST(SingleInstance, LockFileNamingNobodyIsStaleOnceOld)
{
    TempProgramFolder home;
    QFile empty(home.File("quorbel.lock")); // a holder killed before it wrote its name
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.setFileTime(QDateTime::currentDateTime().addSecs(-5), QFileDevice::FileModificationTime);
    empty.close();
    EXPECT_EQ(TSingleInstance(home.Path()).Start({kShowCommand, {}}, 1000), TInstanceStart::First);
}
} // namespace
