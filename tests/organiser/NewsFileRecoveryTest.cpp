// News.qbx and News.bak in every state, through start-up, a store and program
// end: the best tree is stored whole, no original is lost, the user hears once.
#include "organiser/InterfaceTexts.h"
#include "organiser/OrganiserFixture.h"
#include "support/FileBytes.h"
#include "ticker/RssViews.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QLocale>

namespace {
enum State { Good, Cut, Empty, Missing };

// A chain of folders whose titles do not compress away, so a cut file still
// holds part of the tree.
QByteArray TreeFile(const char* prefix, int count, const QString& scratch)
{
    TTreeList list;
    for (int i = 0; i < count; ++i) {
        const QByteArray noise = QCryptographicHash::hash(prefix + QByteArray::number(i), QCryptographicHash::Sha256);
        TTreeItem folder(kFolder, prefix + QString::fromLatin1(noise.toHex()), "", "", "", "0");
        folder.IconIdx = imgFolder;
        folder.NextSibling = i + 1 < count ? i + 1 : -1;
        list.AddCopy(folder);
    }
    EXPECT_TRUE(list.SaveContainer(scratch));
    return ReadBytes(scratch);
}

std::pair<bool, QStringList> ReadTree(const QString& file)
{
    TTreeList list;
    const bool whole = list.LoadContainer(file);
    QStringList titles;
    for (int i = 0; i < list.Count(); ++i)
        titles << list.Items(i)->Title;
    return {whole, titles};
}

// Start-up's short pauses pass at once: every look at the tick count moves it on.
class RunningClock final : public IClock {
public:
    RunningClock() { SetClock(this); }
    ~RunningClock() override { SetClock(nullptr); }
    quint32 TickCount() const override { return ticks += 10; }
    QDateTime Now() const override { return QDateTime(QDate(2026, 12, 9), QTime(12, 0)); }
    mutable quint32 ticks = 1000;
};

TEST(NewsFileRecoveryTest, EveryStateOfTheNewsFileAndItsBackup)
{
    RunningClock clock;
    FakeConnectivity online {true};
    FakeDownloader downloader;
    TempProgramFolder scratch;
    // The back-up is the larger, so that of two cut files either may be longer.
    const QByteArray goodNews = TreeFile("news ", 40, scratch.File("n")),
                     goodBak = TreeFile("bak ", 90, scratch.File("b"));
    const QDateTime old(QDate(2026, 12, 6), QTime(9, 0)), young(QDate(2026, 12, 9), QTime(8, 0));
    for (State news : {Good, Cut, Empty, Missing})
        for (State bak : {Good, Cut, Empty, Missing})
            for (const QDateTime& age : {old, young}) {
                SCOPED_TRACE(testing::Message()
                    << "News.qbx " << news << ", News.bak " << bak << ", " << age.toString().toStdString());
                FakeDialogs dialogs;
                TempProgramFolder home;
                const QString qbx = home.File("News.qbx"), bakFile = home.File("News.bak");
                auto inState = [](const QByteArray& good, State s) {
                    return s == Good ? good : s == Cut ? good.left(good.size() * 3 / 5) : QByteArray();
                };
                const QByteArray newsBytes = inState(goodNews, news), bakBytes = inState(goodBak, bak);
                if (news != Missing)
                    ASSERT_TRUE(WriteBytes(qbx, newsBytes));
                if (bak != Missing) {
                    ASSERT_TRUE(WriteBytes(bakFile, bakBytes));
                    QFile f(bakFile);
                    ASSERT_TRUE(f.open(QIODevice::Append) && f.setFileTime(age, QFileDevice::FileModificationTime));
                }
                const auto newsTree = ReadTree(qbx), bakTree = ReadTree(bakFile);
                const bool bakLonger = bakTree.second.size() > newsTree.second.size() || news == Missing;
                const QStringList best = news == Good ? newsTree.second
                    : bak == Good || bakLonger        ? bakTree.second
                                                      : newsTree.second;
                QString notice;
                const QString date = QLocale().toString(age.date(), QLocale::ShortFormat);
                if (news != Good && bak == Good)
                    notice = FormatTexts(
                        news == Missing ? OrganiserTexts.SNewsFileMissing : OrganiserTexts.SNewsFileDamaged,
                        {qbx, date});
                else if (news != Good && !(news == Missing && bak == Missing))
                    notice = FormatText(OrganiserTexts.SNewsFilePartLoaded, bakLonger ? bakFile : qbx);
                {
                    TNewsData data(home.Path());
                    data.RefreshIcons = false;
                    std::unique_ptr<TNewsFeeder> organiser;
                    TRSSView ticker([&organiser](TRSSView* view) {
                        return (organiser = std::make_unique<TNewsFeeder>(view)).get();
                    });
                    organiser->Timer1->stop();
                    organiser->Timer1Timer();
                    EXPECT_EQ(ticker.lbRss->text() == notice, !notice.isEmpty());
                    QCoreApplication::processEvents();
                    organiser->SaveNewsWithBackup();
                    organiser->WaitForStore();
                    organiser->EndProgram();
                    QCoreApplication::processEvents();
                    EXPECT_EQ(dialogs.messages, notice.isEmpty() ? QStringList() : QStringList {notice});
                    organiser.reset();
                }
                EXPECT_TRUE(ReadTree(qbx) == std::make_pair(true, best)); // a complete copy of the best tree
                if (news == Cut || news == Empty)
                    EXPECT_EQ(ReadBytes(qbx + ".damaged"), newsBytes);
                if (news != Good && (bak == Cut || bak == Empty))
                    EXPECT_EQ(ReadBytes(bakFile + ".damaged"), bakBytes);
                // A back-up not yet due stays; a due one becomes a copy of the
                // News.qbx read whole at start, or of one the program wrote.
                const QByteArray finalBak = ReadBytes(bakFile);
                if (bak != Missing && age == young)
                    EXPECT_EQ(finalBak, bakBytes);
                else if (news == Good)
                    EXPECT_EQ(finalBak, newsBytes);
                else
                    EXPECT_TRUE(ReadTree(bakFile) == std::make_pair(true, best));
            }
}
} // namespace
