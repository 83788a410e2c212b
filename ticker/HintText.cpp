#include "ticker/HintText.h"

#include "text/TextTools.h"

namespace {
bool IsBreakChar(QChar c) { return c == '\t' || c == ' ' || c == '-' || c == '.'; }
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

QString WrapHintText(const QString& text, int maxCol)
{
    QString result;
    result.reserve(text.size() + text.size() / qMax(maxCol, 1) * 2 + 2);
    qsizetype lineStart = 0;
    qsizetype lastBreak = -1; // index of the last break character of the line
    QChar quote;               // the open quote, or null
    for (qsizetype i = 0; i < text.size(); ++i) {
        // Character i would make the line too long: break after the last
        // break character, if the line has one.
        if (i - lineStart + 1 > maxCol && lastBreak >= lineStart) {
            result += QStringView(text).mid(lineStart, lastBreak - lineStart + 1);
            result += kCrLf;
            lineStart = lastBreak + 1;
            lastBreak = -1;
        }
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (IsBreakChar(c)) {
            lastBreak = i;
        }
    }
    result += QStringView(text).mid(lineStart);
    return result;
}

QString PubDateCaption(TDateTime timeStamp)
{
    return FromDateTime(timeStamp).toString(QStringLiteral("dd.MM - hh:mm"));
}

QString TickerHintText(const TTreeItem& item, const QString& pubDateCaption)
{
    QString text = WrapHintText(HTMLToText(item.Description));
    if (IsBlank(text))
        text.clear();
    else
        text += kCrLf;
    return text + SitePrefix(item.Link) + ' ' + pubDateCaption;
}

QString DescriptionText(const TTreeItem& item)
{
    QString text = item.PlainDescription();
    if (!IsBlank(text))
        text += kCrLf;
    if (!item.Link.isEmpty())
        text += SitePrefix(item.Link) + ' ';
    if (item.TimeStamp != 0) {
        const QDateTime dt = FromDateTime(item.TimeStamp);
        text += FormatLocalDate(dt.date()) + ' ' + dt.time().toString(QStringLiteral("hh:mm:ss"));
    }
    return IsBlank(text) ? QString() : text;
}
