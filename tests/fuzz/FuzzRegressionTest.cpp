// Every input a fuzz target once crashed on (tests/data/fuzz-regressions/
// <target>/) and every committed seed (fuzz/seeds/<target>/), replayed through
// the same entry the target uses. Under `make sanitize` this is the fuzzer's
// own check; in the plain build a crash or a hang still fails it.
#include "fuzz/FuzzEntries.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <functional>

namespace {
struct RegressionTarget {
    const char* folder;
    std::function<void(QuorbelFuzz::TScene&, const QByteArray&)> run;
};

const RegressionTarget kTargets[] = {
    {"container", QuorbelFuzz::RunContainer},
    {"feed", QuorbelFuzz::RunFeed},
    {"newsfiles", QuorbelFuzz::RunNewsFiles},
    {"text", [](QuorbelFuzz::TScene&, const QByteArray& input) { QuorbelFuzz::RunText(input); }},
    {"date", [](QuorbelFuzz::TScene&, const QByteArray& input) { QuorbelFuzz::RunDate(input); }},
    {"language", QuorbelFuzz::RunLanguage},
    {"rtf", [](QuorbelFuzz::TScene&, const QByteArray& input) { QuorbelFuzz::RunRtf(input); }},
};
} // namespace

TEST(FuzzRegression, EveryKeptInputRunsThrough)
{
    const QStringList roots = {QStringLiteral(QUORBEL_TEST_DATA_DIR "/fuzz-regressions"),
                               QStringLiteral(QUORBEL_CORPORA_DIR "/../../fuzz/seeds")};
    int replayed = 0;
    for (const RegressionTarget& target : kTargets) {
        for (const QString& root : roots) {
            const QDir folder(QDir(root).filePath(QLatin1String(target.folder)));
            for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
                SCOPED_TRACE(QStringLiteral("%1/%2").arg(folder.path(), name).toStdString());
                QFile file(folder.filePath(name));
                ASSERT_TRUE(file.open(QIODevice::ReadOnly));
                QuorbelFuzz::TScene scene;
                target.run(scene, file.readAll());
                ++replayed;
            }
        }
    }
    // The seeds are there: a moved folder must not turn this into a test of nothing.
    EXPECT_GT(replayed, 0);
}
