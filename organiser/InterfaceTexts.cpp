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

QString FormatTexts(const QString& text, const QStringList& arguments)
{
    QString result;
    qsizetype from = 0;
    for (const QString& argument : arguments) {
        const qsizetype at = text.indexOf(QLatin1String("%s"), from);
        if (at < 0)
            break;
        result += QStringView(text).mid(from, at - from);
        result += argument;
        from = at + 2;
    }
    result += QStringView(text).mid(from);
    return result;
}
