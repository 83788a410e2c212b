// The about box: its version line, and that a click into its web or mail
// address opens it, the mail with the version line as subject.
#include "widgets/About.h"

#include "support/FakeDialogs.h"
#include "support/FakeMail.h"
#include "support/FakeShell.h"

#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
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

TEST(AboutTest, NothingMissingAndEverythingFits)
{
    TFrmAbout about;
    const struct {
        const char* name;
        QString version;
    } cases[] = {
        {"English", QStringLiteral("Quorbel Stay Tivaleo Version ")},
        {"a long translation", QStringLiteral("Quorbel, der kleine Nachrichtenleser für den Schreibtisch, "
                                              "bleib auf dem Laufenden, in der Ausgabe ")
                                   .repeated(4)},
    };
    for (const auto& c : cases) {
        about.SVersion = c.version;
        about.show();
        const QString text = about.RichEdit1->toPlainText();
        for (const QString& part : {about.VersionLine(), QStringLiteral("Qt ") + qVersion(), TFrmAbout::kLicenceLine,
                                    TFrmAbout::kWebAddress, TFrmAbout::kSupportAddress, QStringLiteral("Copyright")})
            EXPECT_TRUE(text.contains(part)) << c.name << ": " << part.toStdString();
        // The whole text shows without scrolling, and the button below it.
        EXPECT_LE(about.RichEdit1->document()->size().height(), about.RichEdit1->viewport()->height()) << c.name;
        EXPECT_LE(about.RichEdit1->document()->idealWidth(), about.RichEdit1->viewport()->width() + 1) << c.name;
        EXPECT_GT(about.bnClose->y(), about.RichEdit1->geometry().bottom()) << c.name;
        EXPECT_LE(about.bnClose->geometry().bottom(), about.height()) << c.name;
        EXPECT_GE(about.width(), 355) << c.name;
        about.hide();
    }
}

} // namespace
