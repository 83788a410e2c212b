#pragma once
// Named texts of one section read from the current language file; a text the
// language lacks keeps the value it had (callers start from English).
#include "app/NewsGlobals.h"
#include "language/LangManager.h"

#include <QString>
#include <initializer_list>

struct TNamedText {
    const char* key;
    QString* text;
};

inline void ReadNamedTexts(const QString& section, std::initializer_list<TNamedText> texts)
{
    TLangManager* lan = NewsData ? NewsData->LanMan.get() : nullptr;
    if (!lan)
        return;
    for (const TNamedText& named : texts)
        lan->ReadText(section, QString::fromLatin1(named.key), *named.text);
}
