// Link and address detection of the note window, shared with the about box.
#include "notes/Notes.h"
#include "platform/Mail.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {
// The runs of text shown blue and underlined, in document order.
QStringList HighlightedRuns(const QTextEdit& edit)
{
    QStringList runs;
    QString current;
    for (QTextBlock block = edit.document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            const bool marked = f.fontUnderline() && f.foreground().color() == QColor(Qt::blue);
            if (marked) {
                current += it.fragment().text();
            } else if (!current.isEmpty()) {
                runs << current;
                current.clear();
            }
        }
        if (!current.isEmpty()) {
            runs << current;
            current.clear();
        }
    }
    return runs;
}
} // namespace

TEST(NoteLinks, HighlightLinksTable)
{
    const struct {
        const char* text;
        QStringList runs;
    } cases[] = {
        {"see www.example.com now", {"www.example.com"}},
        {"www.early.com and then http://later.com/x end", {"http://later.com/x"}},
        {"www.first.com http://second.com www.third.com", {"http://second.com", "www.third.com"}},
        {"a http://one.com b http://two.com", {"http://one.com", "http://two.com"}},
        {"https://secure.org and www.x.org", {"https://secure.org", "www.x.org"}},
        {"shouting HTTP://UPPER.COM/Path", {"HTTP://UPPER.COM/Path"}},
        {"line one\nhttp://x.org\nnext", {"http://x.org"}},
        {"tab\thttp://t.org\tz", {"http://t.org"}},
        {"mail joe@example.com please", {"joe@example.com"}},
        {"two a@b.c and x@y.z", {"a@b.c", "x@y.z"}},
        {"joe@localhost has no dot after", {}},
        {"first.last@host", {}},
        {"ends with @", {}},
        {"an @", {}},
        {"nothing to see here.", {}},
    };
    for (const auto& c : cases) {
        QTextEdit edit;
        edit.setPlainText(QString::fromUtf8(c.text));
        QTextCursor selection = edit.textCursor();
        selection.setPosition(2);
        selection.setPosition(4, QTextCursor::KeepAnchor);
        edit.setTextCursor(selection);
        TFrmNote::HighlightLinks(&edit);
        EXPECT_EQ(HighlightedRuns(edit), c.runs) << c.text;
        // The selection is where it was (every text here is at least four long).
        EXPECT_EQ(edit.textCursor().selectionStart(), 2) << c.text;
        EXPECT_EQ(edit.textCursor().selectionEnd(), 4) << c.text;
        EXPECT_EQ(edit.toPlainText(), QString::fromUtf8(c.text));
    }
}

TEST(NoteLinks, HighlightingTwiceAddsNoUndoStep)
{
    QTextEdit edit;
    edit.setPlainText(QStringLiteral("go to www.example.com"));
    edit.document()->clearUndoRedoStacks();
    TFrmNote::HighlightLinks(&edit);
    const int steps = edit.document()->availableUndoSteps();
    EXPECT_EQ(steps, 1);
    TFrmNote::HighlightLinks(&edit);
    EXPECT_EQ(edit.document()->availableUndoSteps(), steps);
}

TEST(NoteLinks, WordAroundTable)
{
    const struct {
        const char* text;
        int position;
        const char* word;
    } cases[] = {
        {"hello world", 1, "hello"},  {"hello world", 3, "hello"}, {"hello world", 5, "hello"},
        {"hello world", 6, "world"},  // on the blank: the word after it
        {"hello world", 7, "world"},  {"hello world", 11, "world"},
        {"hello world", 12, ""},      // past the end
        {"a  b", 2, ""},              // a blank after the blank
        {"x\ty", 2, "y"},             {"one\ntwo", 5, "two"},
        {"joe@x.org,", 3, "joe@x.org,"},
        {"", 1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TFrmNote::WordAround(QString::fromUtf8(c.text), c.position), QString::fromUtf8(c.word))
            << c.text << " at " << c.position;
}

TEST(NoteLinks, IsMailAddressTable)
{
    const struct {
        const char* word;
        bool mail;
    } cases[] = {
        {"", false},         {"@", false},          {"joe@localhost", false}, {"first.last@host", false},
        {"joe@x.org", true}, {"a@.", true},         {"a@b@c.d", true},        {"www.example.com", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TFrmNote::IsMailAddress(QString::fromUtf8(c.word)), c.mail) << c.word;
}

TEST(NoteLinks, WordAtCaretTable)
{
    const struct {
        const char* text;
        int caret;
        const char* link;
        const char* mail;
    } cases[] = {
        {"visit www.x.com now", 8, "www.x.com", ""},
        {"visit www.x.com now", 14, "www.x.com", ""},
        {"visit www.x.com now", 15, "", ""},          // right after the link: the blank, then "now"
        {"x http://a.b", 1, "http://a.b", ""},        // before a blank: the word after it
        {"mail joe@x.org", 7, "", "joe@x.org"},
        {"mail joe@localhost", 7, "", ""},
        {"write me@example.org.", 8, "", "me@example.org"}, // the address alone, not its punctuation
        {"(me@example.org), then", 3, "", "me@example.org"},
        {"say \"me@x.de\"!", 6, "", "me@x.de"},
        {"open notes.txt here", 7, "", ""},
        {"plain words", 2, "", ""},
        {"HTTPS:/only.one/slash", 3, "HTTPS:/only.one/slash", ""},
    };
    for (const auto& c : cases) {
        QTextEdit edit;
        edit.setPlainText(QString::fromUtf8(c.text));
        QTextCursor cursor = edit.textCursor();
        cursor.setPosition(c.caret);
        edit.setTextCursor(cursor);
        const TCaretWord word = TFrmNote::WordAtCaret(&edit);
        EXPECT_EQ(word.link, QString::fromUtf8(c.link)) << c.text << " at " << c.caret;
        EXPECT_EQ(word.mail, QString::fromUtf8(c.mail)) << c.text << " at " << c.caret;
    }
}

TEST(NoteLinks, OnlyWebLinksOpen)
{
    const struct {
        const char* word;
        const char* url;
    } cases[] = {
        {"www.example.com", "http://www.example.com"},
        {"www.example.com/a?b=c", "http://www.example.com/a?b=c"},
        {"http://x.org/path", "http://x.org/path"},
        {"HTTPS://X.ORG/Path", "https://x.org/Path"},
        {"see:http://x.org", "http://x.org"},
        {"http:/x.org", ""},
        {"http://", ""},
        {"ftp://www.example.com", ""},
        {"file:///srv/www.conf", ""},
        {"notes.txt", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TFrmNote::LinkTarget(QString::fromUtf8(c.word)), QString::fromUtf8(c.url)) << c.word;
}

TEST(NoteLinks, MailtoUrlCarriesTheAddressAlone)
{
    const struct {
        const char* address;
        const char* subject;
        const char* url;
    } cases[] = {
        {"joe@example.com", "Quorbel", "mailto:joe@example.com?subject=Quorbel"},
        {"joe@example.com", "", "mailto:joe@example.com"},
        {"MAILTO:joe@example.com", "", "mailto:joe@example.com"},
        {"a?cc=eve@evil.com", "", "mailto:a%3Fcc%3Deve@evil.com"},
        {"a&body=x@y.z", "hi there", "mailto:a%26body%3Dx@y.z?subject=hi%20there"},
        {"joe@x.org,bob@y.org", "", "mailto:joe@x.org%2Cbob@y.org"},
        {"100%@x.org", "", "mailto:100%25@x.org"},
        {"jörg@x.de", "", "mailto:j%C3%B6rg@x.de"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MailtoUrl(QString::fromUtf8(c.address), QString::fromUtf8(c.subject)).toString(QUrl::FullyEncoded),
                  QString::fromUtf8(c.url))
            << c.address;
    EXPECT_FALSE(MailtoUrl(QString(), QStringLiteral("x")).isValid());
}
