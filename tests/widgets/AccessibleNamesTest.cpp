// The accessible-name helpers both windows use.
#include "widgets/AccessibleNames.h"

#include <QMenu>
#include <gtest/gtest.h>

namespace {

TEST(AccessibleNames, CaptionsAreSpokenWithoutMnemonicMarks)
{
    const std::pair<const char*, const char*> cases[] = {
        {"&Reload All", "Reload All"}, {"File Import && Export", "File Import & Export"},
        {"&&&Close", "&Close"},        {"Trailing &", "Trailing "},
        {"No marks", "No marks"},      {"", ""},
    };
    for (const auto& [caption, spoken] : cases)
        EXPECT_EQ(AccessibleCaption(QString::fromUtf8(caption)), QString::fromUtf8(spoken)) << caption;
}

TEST(AccessibleNames, MenusAreNamedByTheirTitleOrTheFallback)
{
    QMenu titled(QStringLiteral("&Options"));
    QMenu untitled;
    NameMenuByTitle(&titled, QStringLiteral("Menu"));
    NameMenuByTitle(&untitled, QStringLiteral("Menu"));
    NameMenuByTitle(nullptr); // nothing to name
    EXPECT_EQ(titled.accessibleName(), "Options");
    EXPECT_EQ(untitled.accessibleName(), "Menu");
}
} // namespace
