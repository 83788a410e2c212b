// The ticker's settings: section "RssViews" of the settings file, six integer
// keys read and written in one fixed order. Booleans are 0 or 1 on writing;
// on reading the low 8 bits of the number decide, so 256 is off.
#include "ticker/RssViews.h"

#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"

namespace {
const QString kSection = QStringLiteral("RssViews");

bool ReadFlag(const TIniFile& ini, const QString& key, bool def)
{
    return (ini.ReadInteger(kSection, key, def ? 1 : 0) & 0xFF) != 0;
}
} // namespace

void TRSSView::LoadTickerSettings()
{
    const TIniFile ini(SettingsFileName());
    const int left = ini.ReadInteger(kSection, QStringLiteral("Left"), x());
    const int top = ini.ReadInteger(kSection, QStringLiteral("Top"), y());
    move(left, top);
    ShowNewsFor = ini.ReadInteger(kSection, QStringLiteral("ShowNewsFor"), ShowNewsFor);
    RSSInterval = ini.ReadInteger(kSection, QStringLiteral("RSSInterval"), RSSInterval);
    ShowDescription = ReadFlag(ini, QStringLiteral("ShowDescription"), ShowDescription);
    ShowNewsOnce = ReadFlag(ini, QStringLiteral("ShowNewsOnce"), ShowNewsOnce);
}

void TRSSView::SaveTickerSettings()
{
    TIniFile ini(SettingsFileName());
    ini.WriteInteger(kSection, QStringLiteral("Left"), x());
    ini.WriteInteger(kSection, QStringLiteral("Top"), y());
    ini.WriteInteger(kSection, QStringLiteral("ShowNewsFor"), ShowNewsFor);
    ini.WriteInteger(kSection, QStringLiteral("RSSInterval"), RSSInterval);
    ini.WriteInteger(kSection, QStringLiteral("ShowDescription"), ShowDescription ? 1 : 0);
    ini.WriteInteger(kSection, QStringLiteral("ShowNewsOnce"), ShowNewsOnce ? 1 : 0);
}
