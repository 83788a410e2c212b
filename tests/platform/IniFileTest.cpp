#include "platform/IniFile.h"

#include "support/TempFolder.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {
QByteArray ReadAll(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& name, const QByteArray& data)
{
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

TEST(IniFileTest, MissingFileGivesDefaults)
{
    TempProgramFolder home;
    TIniFile ini(home.File("none.ini"));
    EXPECT_EQ(ini.ReadString("S", "K", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("S", "K", 7), 7);
    EXPECT_TRUE(ini.ReadBool("S", "K", true));
    EXPECT_FALSE(QFile::exists(home.File("none.ini"))); // reading writes nothing
}

TEST(IniFileTest, WritesAndKeepsOtherLines)
{
    TempProgramFolder home;
    const QString name = home.File("a.ini");
    WriteAll(name, "; comment\r\n[One]\r\nA=1\r\nodd line\r\n\r\n[Two]\nB=x\n");
    {
        TIniFile ini(name);
        EXPECT_EQ(ini.ReadInteger("one", "a", 0), 1); // names ignore case
        EXPECT_TRUE(ini.WriteString("One", "C", "new"));
        EXPECT_TRUE(ini.WriteInteger("Two", "B", -5));
        EXPECT_TRUE(ini.WriteBool("Three", "D", true));
    }
    EXPECT_EQ(ReadAll(name),
              "; comment\r\n[One]\r\nA=1\r\nodd line\r\nC=new\r\n\r\n[Two]\r\nB=-5\r\n\r\n[Three]\r\nD=1\r\n");
    TIniFile again(name);
    EXPECT_EQ(again.ReadString("One", "C", ""), "new");
    EXPECT_EQ(again.ReadInteger("Two", "B", 0), -5);
    EXPECT_EQ(again.ReadSection("One"), (QStringList{"A", "C"}));
}

TEST(IniFileTest, ValuesReadAsText)
{
    TempProgramFolder home;
    const QString name = home.File("b.ini");
    WriteAll(name, "[S]\nQ=\"quoted value\"\nN=12x\nH=0x1F\nL=caf\xe9\nU=caf\xc3\xa9\n");
    TIniFile ini(name);
    EXPECT_EQ(ini.ReadString("S", "Q", ""), "quoted value");
    EXPECT_EQ(ini.ReadInteger("S", "N", 3), 3);
    EXPECT_EQ(ini.ReadInteger("S", "H", 3), 31);
    // A file that is not valid UTF-8 is read as Windows-1252.
    EXPECT_EQ(ini.ReadString("S", "L", ""), QString::fromUtf8("caf\xc3\xa9"));
}

// A file made on a Windows code page with one line of ours in UTF-8: each
// line reads as meant and, after a write of another key, is the same text
// in UTF-8.
TEST(IniFileTest, WindowsCodePageLinesSurviveAWrite)
{
    TempProgramFolder home;
    const QString name = home.File("w.ini");
    WriteAll(name, "[NewsFeeder]\r\nLanguage=Fran\xe7" "ais\r\nQuote = \x84Z\x93 \x80\x85\x81 \r\n"
                   "Spaced=\xa0" "edge\xa0\r\nTitle=Gr\xc3\xbc\xc3\x9f" "e\n");
    const QString lines[] = {
        "[NewsFeeder]",
        QString::fromUtf8("Language=Fran\xc3\xa7" "ais"),
        QString::fromUtf8("Quote = \xe2\x80\x9eZ\xe2\x80\x9c \xe2\x82\xac\xe2\x80\xa6\xc2\x81 "),
        QString::fromUtf8("Spaced=\xc2\xa0" "edge\xc2\xa0"),
        QString::fromUtf8("Title=Gr\xc3\xbc\xc3\x9f" "e"),
        "PageIndex=2",
    };
    {
        TIniFile ini(name);
        EXPECT_EQ(ini.ReadString("NewsFeeder", "Quote", ""), lines[2].mid(8).chopped(1));
        EXPECT_EQ(ini.ReadString("NewsFeeder", "Spaced", ""), lines[3].mid(7)); // only ASCII blanks go
        EXPECT_EQ(ini.ReadString("NewsFeeder", "Title", ""), lines[4].mid(6));
        EXPECT_TRUE(ini.WriteInteger("NewsFeeder", "PageIndex", 2));
    }
    EXPECT_EQ(QString::fromUtf8(ReadAll(name)), QStringList(std::begin(lines), std::end(lines)).join("\r\n") + "\r\n");
}

TEST(IniFileTest, LineBreaksInValuesStayOnOneLine)
{
    TempProgramFolder home;
    TIniFile ini(home.File("c.ini"));
    ini.WriteString("S", "K", "one\r\ntwo");
    ini.WriteString("S", "Next", "n");
    TIniFile again(home.File("c.ini"));
    EXPECT_EQ(again.ReadString("S", "K", ""), "one  two");
    EXPECT_EQ(again.ReadString("S", "Next", ""), "n");
}

TEST(IniFileTest, DeleteKeyAndEraseSection)
{
    TempProgramFolder home;
    TIniFile ini(home.File("d.ini"));
    ini.WriteString("S", "A", "1");
    ini.WriteString("S", "B", "2");
    ini.WriteString("T", "C", "3");
    ini.DeleteKey("S", "A");
    EXPECT_FALSE(ini.ValueExists("S", "A"));
    EXPECT_TRUE(ini.ValueExists("S", "B"));
    ini.EraseSection("S");
    EXPECT_FALSE(ini.SectionExists("S"));
    TIniFile again(home.File("d.ini"));
    EXPECT_EQ(again.ReadString("T", "C", ""), "3");
    EXPECT_FALSE(again.SectionExists("S"));
}

TEST(IniFileTest, UnwritableFolderReportsFailure)
{
    TIniFile ini("/proc/no/such/folder/x.ini");
    EXPECT_FALSE(ini.WriteString("S", "K", "v"));
}
} // namespace
