// Desktop-entry rules: Exec quoting and field codes, the cleaning of a
// registered command, the default application of a type read from
// mimeapps.list and desktop files.
#include "platform/Shell.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* exec;
    QStringList expected;
};

TEST(ShellExecLine, SplitsByDesktopEntryQuoting)
{
    const SplitCase cases[] = {
        {"vlc --started-from-file", {"vlc", "--started-from-file"}},
        {"\"/opt/My Player/play\" --enqueue", {"/opt/My Player/play", "--enqueue"}},
        {"play \"a \\\"b\\\" c\"", {"play", "a \"b\" c"}},
        {"play \"\\$HOME \\`x\\` \\\\\"", {"play", "$HOME `x` \\"}},
        {"  a\tb  ", {"a", "b"}},
        {"play \"\"", {"play", ""}},
        {"play\"x y\"z", {"playx yz"}},
        {"\"unterminated", {}},
        {"", {}},
    };
    for (const SplitCase& c : cases)
        EXPECT_EQ(SplitExecLine(QString::fromUtf8(c.exec)), c.expected) << c.exec;
}

TEST(ShellExecLine, RemovesFieldCodes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"vlc %U", "vlc "},
        {"app %f --x %%d", "app  --x %d"},
        {"app %i %c %k%F", "app   "},
        {"100%% sure", "100% sure"},
        {"trailing %", "trailing "},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(RemoveFieldCodes(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

TEST(ShellExecLine, CleansRegisteredCommands)
{
    const std::pair<const char*, const char*> cases[] = {
        {"\"/usr/bin/player\" \"%1\"", "/usr/bin/player"},
        {"/usr/bin/vlc --started-from-file", "/usr/bin/vlc --started-from-file"},
        {"\"/opt/My Player/p\" --flag \"%1\"", "/opt/My Player/p\" --flag"},
        {"\"x\"", "x"},
        {"player %U", "player"},
        {"a \"\" ", "a"},
        {"\"\"", ""},
        {"%1", ""},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(CleanOpenCommand(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

// Desktop files and mimeapps.list in the test's own XDG folders, removed again.
class DesktopDefaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        applications = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/applications";
        config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        ASSERT_TRUE(QDir().mkpath(applications));
        ASSERT_TRUE(QDir().mkpath(config));
        ASSERT_FALSE(QFile::exists(config + "/mimeapps.list"));
    }
    void TearDown() override
    {
        for (const QString& f : written)
            QFile::remove(f);
    }
    void Write(const QString& path, const QByteArray& text)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        written << path;
    }
    void Desktop(const QString& id, const QByteArray& body) { Write(applications + '/' + id, body); }

    QString applications;
    QString config;
    QStringList written;
};

TEST_F(DesktopDefaults, FindsTheFirstInstalledDefaultOfTheType)
{
    Desktop("qbtest-player.desktop",
            "[Desktop Entry]\nType=Application\nName=Player\n"
            "Exec=\"/opt/Test Player/play\" --enqueue %U\n"
            "[Desktop Action New]\nExec=/wrong/one\n");
    Desktop("qbtest-hidden.desktop", "[Desktop Entry]\nExec=/hidden/player %f\nHidden=true\n");
    Desktop("qbtest-editor.desktop", "[Desktop Entry]\nExec = /usr/bin/qbedit\\s--new %F\n");
    Write(config + "/mimeapps.list",
          "[Added Associations]\naudio/mpeg=qbtest-editor.desktop;\n"
          "[Default Applications]\n"
          "audio/mpeg=qbtest-missing.desktop;qbtest-player.desktop;\n"
          "video/quicktime=qbtest-hidden.desktop;\n"
          "text/plain=qbtest-editor.desktop\n");

    EXPECT_EQ(DefaultExecForMimeType("audio/mpeg"), "\"/opt/Test Player/play\" --enqueue");
    EXPECT_EQ(Shell().DefaultOpenCommand("episode.mp3"), "\"/opt/Test Player/play\" --enqueue");
    EXPECT_EQ(Shell().DefaultOpenCommand("/no/such/folder/EPISODE.MP3"), "\"/opt/Test Player/play\" --enqueue");
    // A C source is a kind of plain text: the editor; "\s" is a blank.
    EXPECT_EQ(Shell().DefaultOpenCommand("main.c"), "/usr/bin/qbedit --new");
    // Hidden entries are not installed applications.
    EXPECT_EQ(Shell().DefaultOpenCommand("clip.mov"), "");
    // No known type, no name, a type without default.
    EXPECT_EQ(Shell().DefaultOpenCommand("file.zzqqunknown"), "");
    EXPECT_EQ(Shell().DefaultOpenCommand(""), "");
    EXPECT_EQ(DefaultExecForMimeType("application/x-qbtest-nothing"), "");
}

} // namespace
