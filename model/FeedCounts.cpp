#include "model/FeedCounts.h"

#include <QStringView>

namespace {
const QString kEnglishWord = QStringLiteral("of");
const QString* countWord = nullptr;

bool IsDigits(QStringView s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// "3 of 9" with word between the counts.
bool IsCountPair(QStringView inside, const QString& word)
{
    if (word.isEmpty())
        return false;
    const QString middle = QLatin1Char(' ') + word + QLatin1Char(' ');
    const qsizetype at = inside.indexOf(middle);
    return at > 0 && IsDigits(inside.left(at)) && IsDigits(inside.mid(at + middle.size()));
}
} // namespace

void SetCountWordSource(const QString* word) { countWord = word; }

QString CountWord() { return countWord && !countWord->isEmpty() ? *countWord : kEnglishWord; }

QString CountPair(int newCount, int childCount)
{
    return QLatin1Char('(') + QString::number(newCount) + QLatin1Char(' ') + CountWord() + QLatin1Char(' ')
           + QString::number(childCount) + QLatin1Char(')');
}

qsizetype CountsLength(const QString& caption)
{
    if (!caption.endsWith(QLatin1Char(')')))
        return 0;
    const qsizetype open = caption.lastIndexOf(QLatin1Char('('));
    if (open < 0)
        return 0;
    const QStringView inside = QStringView(caption).mid(open + 1, caption.size() - open - 2);
    const bool counts = IsDigits(inside) || IsCountPair(inside, kEnglishWord) || IsCountPair(inside, CountWord());
    return counts ? caption.size() - open : 0;
}
