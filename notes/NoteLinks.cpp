// Links and mail addresses in a note: highlighting, the word under the
// caret, and opening what a click lands on.
#include "notes/Notes.h"

#include "platform/Shell.h"
#include "platform/WebLinks.h"
#include "text/TextTools.h"

#include <QAction>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>

namespace {
bool IsWordChar(QChar c) { return c.unicode() > 32; }

// Start (0-based) and length of the word WordAround finds.
std::pair<qsizetype, qsizetype> WordSpan(const QString& text, int position)
{
    const qsizetype n = text.size();
    qsizetype i = static_cast<qsizetype>(position) - 1;
    // A position past the end stands on no character: the stop is right there.
    while (i >= 0 && i < n && IsWordChar(text[i]))
        --i;
    const qsizetype start = std::min(i + 1, n);
    qsizetype end = start;
    while (end < n && IsWordChar(text[end]))
        ++end;
    return {start, end - start};
}

// The span without the punctuation around an address in running text:
// "(me@example.org)," is the address me@example.org.
std::pair<qsizetype, qsizetype> WithoutPunctuation(const QString& text, qsizetype start, qsizetype length)
{
    static const QString leading = QStringLiteral("([{<\"'");
    static const QString trailing = QStringLiteral(".,;:!?)]}>\"'");
    qsizetype end = start + length;
    while (start < end && leading.contains(text[start]))
        ++start;
    while (end > start && trailing.contains(text[end - 1]))
        --end;
    return {start, end - start};
}

bool IsHighlighted(const QTextDocument& document, int start, int end)
{
    for (QTextBlock block = document.findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.position() + f.length() <= start || f.position() >= end)
                continue;
            const QTextCharFormat format = f.charFormat();
            if (!format.fontUnderline() || !format.hasProperty(QTextFormat::ForegroundBrush)
                || format.foreground().color() != QColor(Qt::blue))
                return false;
        }
    }
    return true;
}

// Blue and underlined; a run that already is stays untouched, so a timer
// tick over unchanged text adds no undo step.
void Highlight(QTextDocument& document, int start, int end)
{
    if (end <= start || IsHighlighted(document, start, end))
        return;
    QTextCursor cursor(&document);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    QTextCharFormat format;
    format.setForeground(QColor(Qt::blue));
    format.setFontUnderline(true);
    cursor.mergeCharFormat(format);
}
} // namespace

void TFrmNote::HighlightLinks(QTextEdit* edit)
{
    if (!edit)
        return;
    QTextDocument& document = *edit->document();
    // Positions in the plain text are positions in the document: one
    // character per paragraph break. The edit's own cursor (the selection)
    // is never moved.
    const QString text = AsciiLower(document.toPlainText());
    const qsizetype n = text.size();
    static const QString patterns[] = {QStringLiteral("http:/"), QStringLiteral("https:/"),
                                       QStringLiteral("www.")};
    qsizetype from = 0;
    while (from < n) {
        qsizetype start = -1;
        for (const QString& pattern : patterns) {
            start = text.indexOf(pattern, from);
            if (start >= 0)
                break;
        }
        if (start < 0)
            break;
        qsizetype end = start;
        while (end < n && IsWordChar(text[end]))
            ++end;
        Highlight(document, static_cast<int>(start), static_cast<int>(end));
        from = end;
    }
    for (qsizetype at = text.indexOf('@'); at >= 0 && at < n - 1; at = text.indexOf('@', at + 1)) {
        const auto [wordStart, wordLength] = WordSpan(text, static_cast<int>(at) + 1);
        const auto [start, length] = WithoutPunctuation(text, wordStart, wordLength);
        if (IsMailAddress(text.mid(start, length)))
            Highlight(document, static_cast<int>(start), static_cast<int>(start + length));
    }
}

QString TFrmNote::WordAround(const QString& text, int position)
{
    const auto [start, length] = WordSpan(text, position);
    return text.mid(start, length);
}

bool TFrmNote::IsMailAddress(const QString& word)
{
    const qsizetype at = word.indexOf('@');
    return at >= 0 && word.indexOf('.', at + 1) >= 0;
}

TCaretWord TFrmNote::WordAtCaret(const QTextEdit* edit)
{
    TCaretWord result;
    if (!edit)
        return result;
    const QString word = WordAround(edit->document()->toPlainText(), edit->textCursor().position() + 1);
    const auto [start, length] = WithoutPunctuation(word, 0, word.size());
    if (const QString address = word.mid(start, length); IsMailAddress(address))
        result.mail = address;
    else if (PosOfAny(word, {QStringLiteral("http:/"), QStringLiteral("https:/"), QStringLiteral("www.")}) > 0)
        result.link = word;
    return result;
}

QString TFrmNote::LinkTarget(const QString& word)
{
    const QString lower = AsciiLower(word);
    const qsizetype http = lower.indexOf(QLatin1String("http://"));
    const qsizetype https = lower.indexOf(QLatin1String("https://"));
    QString candidate;
    if (http >= 0 || https >= 0) {
        const qsizetype from = http < 0 ? https : https < 0 ? http : std::min(http, https);
        candidate = word.mid(from);
    } else if (const qsizetype www = lower.indexOf(QLatin1String("www."));
               www >= 0 && !lower.contains(QLatin1String("://"))) {
        // A "www." word of another scheme (ftp://www..., file://...) stays closed.
        candidate = QStringLiteral("http://") + word.mid(www);
    } else {
        return {};
    }
    const QUrl url(candidate, QUrl::StrictMode);
    if (!IsWebURL(url))
        return {};
    return url.toString(QUrl::FullyEncoded);
}

void TFrmNote::WordAtCaretChanged()
{
    if (loading)
        return;
    const TCaretWord word = WordAtCaret(RichEdit1);
    CurrentLink = word.link;
    CurrentMail = word.mail;
    acSendMail->setEnabled(!CurrentMail.isEmpty());
    BrowseURL1->setData(CurrentLink);
    BrowseURL1->setEnabled(!CurrentLink.isEmpty());
    // Highlighting waits until typing pauses.
    Timer1->start();
}

void TFrmNote::OpenLink(const QString& word)
{
    const QString url = LinkTarget(word);
    if (!url.isEmpty())
        Shell().OpenUrl(url);
}
