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
    // One pass: an argument that holds "%s" itself is never filled again.
    QString result;
    qsizetype next = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool placeholder = text[i] == '%' && i + 1 < text.size() && (text[i + 1] == 's' || text[i + 1] == 'd');
        if (placeholder && next < arguments.size()) {
            result += arguments[next++];
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}
