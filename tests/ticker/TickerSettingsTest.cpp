// The "RssViews" settings section and when the ticker writes it.
#include "TickerFixture.h"

#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"

#include <QFile>

namespace {
using TickerSettingsTest = TickerFixture;

QString ReadAll(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void WriteAll(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST_F(TickerSettingsTest, DefaultsWithoutAFileAndNothingWrittenAtCreation)
{
    EXPECT_EQ(view->pos(), QPoint(323, 294));
    EXPECT_EQ(view->ShowNewsFor, 24);
    EXPECT_EQ(view->RSSInterval, 4000);
    EXPECT_TRUE(view->ShowDescription);
    EXPECT_TRUE(view->ShowNewsOnce);
    EXPECT_FALSE(QFile::exists(SettingsFileName()));
}

TEST_F(TickerSettingsTest, ValuesFromTheFile)
{
    struct {
        QByteArray section;
        QPoint pos;
        int showNewsFor;
        int interval;
        bool description;
        bool once;
    } cases[] = {
        {"Left=10\r\nTop=20\r\nShowNewsFor=3\r\nRSSInterval=7000\r\nShowDescription=0\r\nShowNewsOnce=0\r\n",
         {10, 20}, 3, 7000, false, false},
        {"ShowDescription=256\r\nShowNewsOnce=2\r\n", {323, 294}, 24, 4000, false, true},
        {"showdescription=257\r\nRSSInterval=-5000\r\n", {323, 294}, 24, -5000, true, true},
        {"Left=abc\r\nShowNewsFor=x\r\n", {323, 294}, 24, 4000, true, true},
    };
    for (const auto& c : cases) {
        const QByteArray file = "[NewsFeeder]\r\nNewsInterval=1\r\n[RssViews]\r\n" + c.section;
        WriteAll(SettingsFileName(), file);
        CreateTicker();
        EXPECT_EQ(view->pos(), c.pos) << c.section.constData();
        EXPECT_EQ(view->ShowNewsFor, c.showNewsFor) << c.section.constData();
        EXPECT_EQ(view->RSSInterval, c.interval) << c.section.constData();
        EXPECT_EQ(view->ShowDescription, c.description) << c.section.constData();
        EXPECT_EQ(view->ShowNewsOnce, c.once) << c.section.constData();
        EXPECT_EQ(ReadAll(SettingsFileName()).toUtf8(), file) << "creation does not write";
    }
}

TEST_F(TickerSettingsTest, SaveWritesTheSixKeysInOrder)
{
    WriteAll(SettingsFileName(), "[NewsFeeder]\r\nNewsInterval=1\r\n");
    view->move(40, 50);
    view->ShowNewsFor = 6;
    view->RSSInterval = 9000;
    view->ShowDescription = false;
    view->ShowNewsOnce = true;
    view->SaveTickerSettings();
    EXPECT_EQ(ReadAll(SettingsFileName()).toStdString(),
              "[NewsFeeder]\r\nNewsInterval=1\r\n\r\n[RssViews]\r\nLeft=40\r\nTop=50\r\nShowNewsFor=6\r\n"
              "RSSInterval=9000\r\nShowDescription=0\r\nShowNewsOnce=1\r\n");

    // What was saved comes back.
    CreateTicker();
    EXPECT_EQ(view->pos(), QPoint(40, 50));
    EXPECT_EQ(view->ShowNewsFor, 6);
    EXPECT_EQ(view->RSSInterval, 9000);
    EXPECT_FALSE(view->ShowDescription);
}
} // namespace
