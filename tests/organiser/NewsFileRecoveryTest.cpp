// News.qbx and News.bak in every state, through start-up, a store and program
// end: the best tree is always stored whole, no original is lost, and the user
// hears of a damaged start once.
#include "app/NewsGlobals.h"
#include "organiser/InterfaceTexts.h"
#include "organiser/NewsFeeders.h"
#include "support/FakeClock.h"
#include "support/FakeConnectivity.h"
#include "support/FakeDialogs.h"
#include "support/FakeDownloader.h"
#include "support/FileBytes.h"
#include "support/TempFolder.h"
#include "ticker/RssViews.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace {
enum class State { Good, Truncated, Empty, Missing };
const char* const kStateNames[] = {"good", "truncated", "empty", "missing"};

// A flat chain of folders whose titles do not compress away, so that a cut
// file still holds a part of the tree.
QByteArray TreeFile(const QString& prefix, int count, const QString& scratch)
{
    TTreeList list;
    for (int i = 0; i < count; ++i) {
        const QByteArray noise = QCryptographicHash::hash(prefix.toUtf8() + QByteArray::number(i),
                                                          QCryptographicHash::Sha256)
                                     .toHex();
        TTreeItem folder(kFolder, prefix + QString::number(i) + ' ' + QString::fromLatin1(noise), "", "", "", "0");
        folder.IconIdx = imgFolder;
        folder.FirstChild = -1;
        folder.NextSibling = i + 1 < count ? i + 1 : -1;
        list.AddCopy(folder);
    }
    EXPECT_TRUE(list.SaveContainer(scratch));
    return ReadBytes(scratch);
}

QByteArray InState(const QByteArray& good, State state)
{
    switch (state) {
    case State::Good:
        return good;
    case State::Truncated:
        return good.left(good.size() * 3 / 5);
    default:
        return QByteArray();
    }
}

struct TFileTree {
    bool whole = false;
    QStringList titles;
};

TFileTree ReadTree(const QString& file)
{
    TTreeList list;
    TFileTree tree;
    tree.whole = list.LoadContainer(file);
    for (int i = 0; i < list.Count(); ++i)
        tree.titles << list.Items(i)->Title;
    return tree;
}

void SetModified(const QString& file, const QDateTime& time)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::Append));
    ASSERT_TRUE(f.setFileTime(time, QFileDevice::FileModificationTime));
}

TEST(NewsFileRecoveryTest, EveryStateOfTheNewsFileAndItsBackup)
{
    FakeClock clock{QDateTime(QDate(2026, 12, 9), QTime(12, 0))};
    FakeConnectivity online{true};
    FakeDownloader downloader;
    const QDateTime old(QDate(2026, 12, 6), QTime(9, 0));
    const QDateTime young(QDate(2026, 12, 9), QTime(8, 0));
    // The back-up holds more than the news file, so that of two cut files
    // either may be the longer.
    TempProgramFolder scratchHome;
    const QByteArray goodNews = TreeFile("news ", 40, scratchHome.File("n.qbx"));
    const QByteArray goodBackup = TreeFile("backup ", 90, scratchHome.File("b.qbx"));

    for (State news : {State::Good, State::Truncated, State::Empty, State::Missing})
        for (State backup : {State::Good, State::Truncated, State::Empty, State::Missing})
            for (bool backupOld : {true, false}) {
                if (backup == State::Missing && !backupOld)
                    continue; // no age without a file
                const std::string name = std::string("News.qbx ") + kStateNames[int(news)] + ", News.bak "
                    + kStateNames[int(backup)] + (backupOld ? ", three days old" : ", from today");
                SCOPED_TRACE(name);
                FakeDialogs dialogs;
                TempProgramFolder home;
                const QString qbx = home.File("News.qbx"), bak = home.File("News.bak");
                const QByteArray newsBytes = InState(goodNews, news);
                const QByteArray backupBytes = InState(goodBackup, backup);
                if (news != State::Missing)
                    ASSERT_TRUE(WriteBytes(qbx, newsBytes));
                if (backup != State::Missing) {
                    ASSERT_TRUE(WriteBytes(bak, backupBytes));
                    SetModified(bak, backupOld ? old : young);
                }
                // The best tree: a whole News.qbx, else a whole News.bak, else
                // the longer part (News.qbx on a tie).
                const TFileTree newsTree = ReadTree(qbx), backupTree = ReadTree(bak);
                const bool newsGood = news == State::Good, backupGood = backup == State::Good;
                QStringList best = newsGood ? newsTree.titles
                    : backupGood            ? backupTree.titles
                    : backupTree.titles.size() > newsTree.titles.size() ? backupTree.titles
                                                                         : newsTree.titles;
                QString expectedNotice;
                const QString date = QLocale().toString((backupOld ? old : young).date(), QLocale::ShortFormat);
                if (!newsGood && backupGood)
                    expectedNotice = FormatTexts(news == State::Missing ? OrganiserTexts.SNewsFileMissing
                                                                        : OrganiserTexts.SNewsFileDamaged,
                                                 {qbx, date});
                else if (!newsGood && !(news == State::Missing && backup == State::Missing))
                    expectedNotice = FormatText(OrganiserTexts.SNewsFilePartLoaded,
                                                backupTree.titles.size() > newsTree.titles.size()
                                                        || news == State::Missing
                                                    ? bak
                                                    : qbx);

                // Start, the first tick, a store, program end.
                {
                    TNewsData data(home.Path());
                    data.RefreshIcons = false;
                    std::unique_ptr<TNewsFeeder> organiser;
                    TRSSView ticker([&organiser](TRSSView* view) {
                        organiser = std::make_unique<TNewsFeeder>(view);
                        return organiser.get();
                    });
                    organiser->Timer1->stop();
                    organiser->Timer1Timer();
                    const QString status = ticker.lbRss->text();
                    QCoreApplication::processEvents();
                    organiser->SaveNewsWithBackup();
                    bool ended = false;
                    QObject::connect(organiser.get(), &TNewsFeeder::programEndRequested, [&] { ended = true; });
                    organiser->EndProgram();
                    QCoreApplication::processEvents();
                    EXPECT_TRUE(ended);
                    EXPECT_EQ(dialogs.messages, expectedNotice.isEmpty() ? QStringList() : QStringList{expectedNotice});
                    if (!expectedNotice.isEmpty())
                        EXPECT_EQ(status, expectedNotice);
                    organiser.reset();
                }

                // A complete copy of the best tree.
                const TFileTree stored = ReadTree(qbx);
                EXPECT_TRUE(stored.whole);
                EXPECT_EQ(stored.titles, best);
                // Damaged originals are kept as they were.
                if (!newsGood && news != State::Missing)
                    EXPECT_EQ(ReadBytes(qbx + ".damaged"), newsBytes);
                if (!backupGood && backup != State::Missing && !newsGood)
                    EXPECT_EQ(ReadBytes(bak + ".damaged"), backupBytes);
                // The back-up is its old self or a whole copy of the best tree;
                // the daily copy replaces a back-up only once it is due, and
                // then by the News.qbx read whole at start (copied before the
                // store) or by one the program wrote.
                const QByteArray finalBackup = ReadBytes(bak);
                ASSERT_TRUE(QFile::exists(bak));
                if (backup != State::Missing && !backupOld)
                    EXPECT_EQ(finalBackup, backupBytes);
                else if (newsGood)
                    EXPECT_EQ(finalBackup, newsBytes);
                else
                    EXPECT_EQ(ReadTree(bak).titles, best);
                if (finalBackup != backupBytes)
                    EXPECT_TRUE(ReadTree(bak).whole);
            }
}
} // namespace
