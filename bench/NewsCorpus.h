#pragma once
// A reproducible news tree for the benchmarks: feeds with news items whose
// titles (~60 characters), descriptions (~400, a given share with markup) and
// links (~80) are made of pseudo-words drawn with a natural-language-like
// frequency from a fixed seed, so the text compresses like real feeds do
// rather than like repeated filler.
#include "model/TreeItems.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <random>

class TNewsCorpus {
public:
    explicit TNewsCorpus(int markupPercent = 50, quint32 seed = 20240611)
        : markupPercent(markupPercent), random(seed)
    {
        static const char* const syllables[] = {
            "ka", "to", "re", "min", "sa", "lu", "ber", "no", "ti", "gar", "el", "vo", "dan", "pi",
            "ra", "mo", "shi", "tek", "al", "zu", "ne", "for", "ha", "ex", "qui", "lo", "sen", "da",
            "ri", "us", "po", "lan", "me", "ko", "ven", "ta", "ar", "is", "on", "gra",
        };
        std::uniform_int_distribution<int> syllableCount(1, 4);
        std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(syllables)) - 1);
        for (int i = 0; i < 6000; ++i) {
            QString word;
            const int n = syllableCount(random);
            for (int k = 0; k < n; ++k)
                word += QLatin1String(syllables[pick(random)]);
            vocabulary << word;
        }
    }

    // A word, frequent ones far more often than rare ones.
    const QString& Word()
    {
        const double u = unit(random);
        const int i = static_cast<int>(u * u * u * (vocabulary.size() - 1));
        return vocabulary[i];
    }

    QString Words(int targetLength, bool capitalise = true)
    {
        QString s;
        while (s.size() < targetLength) {
            if (!s.isEmpty())
                s += ' ';
            s += Word();
        }
        if (capitalise && !s.isEmpty())
            s[0] = s[0].toUpper();
        return s;
    }

    QString Title() { return Words(Around(60, 15)); }

    QString Link(int feed)
    {
        QString link = QStringLiteral("https://www.%1-%2.example/%3/%4/")
                           .arg(vocabulary[feed % 900])
                           .arg(feed)
                           .arg(2000 + Around(15, 10))
                           .arg(1 + Around(6, 5), 2, 10, QLatin1Char('0'));
        link += Words(80 - static_cast<int>(link.size()), false).replace(' ', '-');
        link += QStringLiteral("-%1.html").arg(random() % 1000000);
        return link;
    }

    QString Description()
    {
        const int length = Around(400, 120);
        if (static_cast<int>(random() % 100) >= markupPercent)
            return Words(length) + '.';
        // Markup as feeds send it: paragraphs, a link, emphasis, an entity.
        QString s = QStringLiteral("<p>") + Words(length / 3) + QStringLiteral(" <b>") + Word()
                    + QStringLiteral("</b> &amp; ") + Words(length / 4, false)
                    + QStringLiteral(".</p><p><a href=\"https://www.") + Word()
                    + QStringLiteral(".example/more\">") + Words(20) + QStringLiteral("</a> ")
                    + Words(length / 4, false) + QStringLiteral(" &quot;") + Word()
                    + QStringLiteral("&quot;</p>");
        return s;
    }

    // feeds feed nodes ("RSH"), each followed by perFeed news items ("RSS"),
    // linked the way a saved tree links them: feeds as siblings, items as
    // each feed's children.
    // Items are dated over this many days from day 45400 on.
    double SpreadDays = 30;

    void Fill(TTreeList& list, int feeds, int perFeed)
    {
        list.Reserve(list.Count() + feeds * (perFeed + 1));
        for (int f = 0; f < feeds; ++f) {
            const int feedIndex = list.Count();
            TTreeItem feed;
            feed.NewsType = kFeed;
            feed.SetTitle(Words(Around(30, 10)) + QStringLiteral("(%1)").arg(perFeed));
            feed.SetDescription(Words(Around(120, 40)));
            feed.Link = Link(f);
            feed.TimeStamp = 45400 + f / 100.0;
            feed.IconIdx = 2;
            feed.Options = QStringList{QStringLiteral("NSD=7"), QStringLiteral("SDR=0")};
            feed.FirstChild = perFeed > 0 ? feedIndex + 1 : -1;
            feed.NextSibling = f + 1 < feeds ? feedIndex + perFeed + 1 : -1;
            list.AddCopy(feed);
            for (int i = 0; i < perFeed; ++i) {
                TTreeItem item;
                item.NewsType = kNewsItem;
                item.SetTitle(Title());
                item.SetDescription(Description());
                item.Link = Link(f);
                item.TimeStamp = 45400 + unit(random) * SpreadDays;
                item.LastShown = random() % 3 ? 0 : item.TimeStamp + unit(random);
                item.IconIdx = 2;
                item.Options = QStringList{QStringLiteral("SDR=0")};
                item.FirstChild = -1;
                item.NextSibling = i + 1 < perFeed ? list.Count() + 1 : -1;
                list.AddCopy(item);
            }
        }
    }

private:
    int Around(int mean, int spread)
    {
        std::uniform_int_distribution<int> d(mean - spread, mean + spread);
        return d(random);
    }

    int markupPercent;
    std::mt19937 random;
    std::uniform_real_distribution<double> unit{0.0, 1.0};
    QStringList vocabulary;
};

// Resident set size of this process in kB, from /proc/self/status.
inline long ResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray& line : lines)
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}
