// The about box: its version line, and that a click into its web or mail
// address opens it, the mail with the version line as subject.
#include "widgets/About.h"

#include "support/FakeDialogs.h"
#include "support/FakeMail.h"
#include "support/FakeShell.h"

#include <QTextCursor>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

// Puts the caret into the first occurrence of word and releases the mouse there.
void ClickInto(TFrmAbout& about, const QString& word)
{
    const int at = static_cast<int>(about.RichEdit1->toPlainText().indexOf(word));
    ASSERT_GE(at, 0) << word.toStdString();
    QTextCursor cursor = about.RichEdit1->textCursor();
    cursor.setPosition(at + 3);
    about.RichEdit1->setTextCursor(cursor);
    about.TextClicked();
}

TEST(AboutTest, VersionLineAndClicksOnItsAddresses)
{
    FakeShell shell;
    FakeMail mail;
    FakeDialogs dialogs;
    TFrmAbout about;
    about.SVersion = QStringLiteral("Quorbel Version ");
    about.show();
    EXPECT_EQ(about.windowTitle(), "About Quorbel");
    EXPECT_TRUE(about.RichEdit1->toPlainText().startsWith("Quorbel Version " QUORBEL_VERSION "\n\n"));

    ClickInto(about, TFrmAbout::kWebAddress);
    ASSERT_EQ(shell.opened.size(), 1);
    EXPECT_EQ(shell.opened.first(), TFrmAbout::kWebAddress);
    EXPECT_TRUE(mail.addresses.isEmpty());

    ClickInto(about, TFrmAbout::kSupportAddress);
    ASSERT_EQ(mail.addresses, QStringList{TFrmAbout::kSupportAddress});
    EXPECT_EQ(mail.subjects, QStringList{about.VersionLine()});
    EXPECT_EQ(shell.opened.size(), 1);

    // A plain word opens nothing; a failed hand-over to the mail program is reported.
    ClickInto(about, QStringLiteral("rights"));
    mail.succeed = false;
    ClickInto(about, TFrmAbout::kSupportAddress);
    EXPECT_EQ(shell.opened.size(), 1);
    EXPECT_EQ(dialogs.messages.size(), 1);
}

} // namespace
