// The counts after a feed's title: written in the word of the language shown,
// read back in that word and in English.
#include "model/FeedCounts.h"

#include "model/NewsXml.h"

#include <gtest/gtest.h>

namespace {

TEST(FeedCountsTest, ReadBackInEnglishAndInTheLanguageShown)
{
    const struct {
        const char* caption;
        int english; // CountsLength with the English word only
        int german;  // with "von" as the word shown
    } cases[] = {
        {"T(3)", 3, 3},        {"T(3 of 9)", 8, 8},   {"T (12 von 120)", 0, 12}, {"T(3 sur 9)", 0, 0},
        {"T(3 von)", 0, 0},    {"T(von 9)", 0, 0},    {"T(3  von 9)", 0, 0},     {"T(3 Von 9)", 0, 0},
        {"T(3 von 9) x", 0, 0}, {"(3 von 9)", 0, 9},  {"", 0, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountsLength(QString::fromUtf8(c.caption)), c.english) << c.caption;
    QString word = QStringLiteral("von");
    SetCountWordSource(&word);
    EXPECT_EQ(CountPair(0, 20), QStringLiteral("(0 von 20)"));
    for (const auto& c : cases) {
        const QString caption = QString::fromUtf8(c.caption);
        EXPECT_EQ(CountsLength(caption), c.german) << c.caption;
        const QString bare = caption.left(caption.size() - c.german).trimmed();
        EXPECT_EQ(TitleWithoutCount(caption), bare.isEmpty() ? caption : bare) << c.caption;
    }
    word.clear(); // a language without the word says it in English
    EXPECT_EQ(CountPair(1, 2), QStringLiteral("(1 of 2)"));
    SetCountWordSource(nullptr);
}

} // namespace
