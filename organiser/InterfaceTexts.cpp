#include "organiser/InterfaceTexts.h"

TOrganiserTexts OrganiserTexts;

TCategoryTexts CategoryTexts()
{
    TCategoryTexts texts;
    texts.SToday = OrganiserTexts.SToday;
    texts.SYesterday = OrganiserTexts.SYesterday;
    texts.SOthers = OrganiserTexts.SOthers;
    return texts;
}

QString FormatText(const QString& text, const QString& argument)
{
    QString result = text;
    const int at = static_cast<int>(result.indexOf(QLatin1String("%s")));
    if (at >= 0)
        result.replace(at, 2, argument);
    return result;
}
