// Qt's own words in the language shown: which locale a language file stands
// for, and the key names of shortcuts without Qt's translation file (with it:
// LanguageMenuTest).
#include "language/QtTranslation.h"

#include <QKeySequence>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(QtTranslationTest, LocaleOfALanguageAndNoFile)
{
    const struct {
        const char* entry; // the file's "Locale"
        const char* name;  // its "Languange"
        const char* locale;
    } cases[] = {
        {"", " deutsch ", "de"}, {" de_AT ", "Deutsch", "de_AT"}, {"fr", "Testisch", "fr"},
        {"", "Français", "fr"},  {"", "Klingon", ""},             {"", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LanguageLocale(QString::fromUtf8(c.entry), QString::fromUtf8(c.name)), QString::fromUtf8(c.locale))
            << c.entry << " / " << c.name;

    QTemporaryDir empty;
    TQtTranslation translation(empty.path());
    EXPECT_FALSE(translation.Use(QStringLiteral("de")));
    EXPECT_FALSE(translation.Installed());
    EXPECT_EQ(QKeySequence(Qt::CTRL | Qt::Key_N).toString(QKeySequence::NativeText), QStringLiteral("Ctrl+N"));
}

} // namespace
