#pragma once
// Named texts of one section read from the current language file; where the
// language says nothing, the program's own text stands (LangManager.h).
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
