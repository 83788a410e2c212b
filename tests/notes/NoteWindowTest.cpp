// The note window against a real organiser tree: loading and sizing, the
// close step and its store rules, Save As, indents, clicks on links and
// addresses, the message display.
#include "notes/Notes.h"
#include "notes/Rtf.h"
#include "organiser/OrganiserFixture.h"
#include "support/FakeMail.h"
#include "support/FakeShell.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QRegularExpression>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void SendMouse(QWidget* target, QEvent::Type type, const QPoint& pos)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(pos), QPointF(target->mapToGlobal(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// A press and a release at pos of the text area's viewport.
void Click(TFrmNote& note, const QPoint& pos)
{
    SendMouse(note.RichEdit1->viewport(), QEvent::MouseButtonPress, pos);
    SendMouse(note.RichEdit1->viewport(), QEvent::MouseButtonRelease, pos);
}

// Where the character at position sits in the viewport.
QPoint PointOf(const TFrmNote& note, int position)
{
    QTextCursor c(note.RichEdit1->document());
    c.setPosition(position);
    return note.RichEdit1->cursorRect(c).center() + QPoint(2, 0);
}

void PutCaret(TFrmNote& note, int position)
{
    QTextCursor c = note.RichEdit1->textCursor();
    c.setPosition(position);
    note.RichEdit1->setTextCursor(c);
}

class NoteWindow : public OrganiserFixture {
protected:
    NoteWindow() { CreateOrganiser(); }
    ~NoteWindow() override
    {
        TFrmNote::AskYesNoCancelHook = nullptr;
        TFrmNote::PrintDialogHook = nullptr;
        TFrmNote::TranslateHook = nullptr;
    }

    QTreeWidgetItem* AddNote(const QString& text)
    {
        QTreeWidgetItem* node = AddNode(nullptr, kNote, QStringLiteral("old title"));
        Item(node)->SetText(text);
        return node;
    }

    // A note window for node, as the organiser opens it.
    TFrmNote* Open(QTreeWidgetItem* node)
    {
        auto* note = new TFrmNote(organiser.get());
        note->LoadNote(Item(node)->Title, Item(node)->Text(), node);
        return note;
    }

    TFrmNote* OpenText(const QString& text)
    {
        auto* note = new TFrmNote(organiser.get());
        note->LoadNote(QStringLiteral("Quorbel"), text, nullptr);
        return note;
    }

    bool Stored() const
    {
        if (NewsFeeder)
            NewsFeeder->WaitForStore();
        return QFile::exists(data.NewsFile);
    }
    void ForgetStore() { QFile::remove(data.NewsFile); }

    FakeShell shell;
    FakeMail mail;
};

} // namespace

TEST_F(NoteWindow, ComponentsCommandsAndPopup)
{
    TFrmNote* note = OpenText(QStringLiteral("x"));
    note->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(note->objectName(), QStringLiteral("FrmNote"));
    EXPECT_TRUE(note->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(note->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(note->windowType(), Qt::Tool);
    EXPECT_EQ(note->Panel1->objectName(), QStringLiteral("Panel1"));
    EXPECT_EQ(note->Panel1->height(), 18);
    EXPECT_EQ(note->imClose->objectName(), QStringLiteral("imClose"));
    EXPECT_EQ(note->imClose->size(), QSize(11, 11));
    EXPECT_EQ(note->RichEdit1->objectName(), QStringLiteral("RichEdit1"));
    EXPECT_EQ(note->RichEdit1->font().family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(note->RichEdit1->font().pixelSize(), 11);
    EXPECT_TRUE(note->RichEdit1->property("quorbelNoTranslate").toBool());
    EXPECT_EQ(note->Panel2->objectName(), QStringLiteral("Panel2"));
    EXPECT_TRUE(note->Panel2->isHidden());
    EXPECT_EQ(note->Timer1->interval(), 2000);
    EXPECT_TRUE(note->Timer1->isActive());

    const struct {
        QAction* action;
        const char* name;
        const char* caption;
        const char* shortcut;
    } commands[] = {
        {note->acSendMail, "acSendMail", "Send Mail ...", ""},
        {note->BrowseURL1, "BrowseURL1", "&Browse URL", ""},
        {note->EditCut1, "EditCut1", "Cu&t", "Ctrl+X"},
        {note->EditCopy1, "EditCopy1", "&Copy", "Ctrl+C"},
        {note->EditPaste1, "EditPaste1", "&Paste", "Ctrl+V"},
        {note->EditSelectAll1, "EditSelectAll1", "Select &All", "Ctrl+A"},
        {note->EditUndo1, "EditUndo1", "&Undo", "Ctrl+Z"},
        {note->EditDelete1, "EditDelete1", "&Delete", "Del"},
        {note->RichEditBold1, "RichEditBold1", "&Bold", "Ctrl+B"},
        {note->RichEditItalic1, "RichEditItalic1", "&Italic", "Ctrl+K"},
        {note->RichEditUnderline1, "RichEditUnderline1", "&Underline", "Ctrl+U"},
        {note->RichEditStrikeOut1, "RichEditStrikeOut1", "&Strikeout", "Ctrl+S"},
        {note->RichEditBullets1, "RichEditBullets1", "&Bullets", "Ctrl+N"},
        {note->RichEditAlignLeft1, "RichEditAlignLeft1", "Align &Left", ""},
        {note->RichEditAlignRight1, "RichEditAlignRight1", "Align &Right", ""},
        {note->RichEditAlignCenter1, "RichEditAlignCenter1", "&Center", ""},
        {note->PrintDlg1, "PrintDlg1", "&Print...", "Ctrl+P"},
        {note->FileSaveAs1, "FileSaveAs1", "Save &As...", ""},
        {note->acIndentRight, "acIndentRight", "Increase", "Ctrl+I"},
        {note->acIndentLeft, "acIndentLeft", "Decrease", "Shift+Ctrl+I"},
    };
    for (const auto& c : commands) {
        ASSERT_NE(c.action, nullptr) << c.name;
        EXPECT_EQ(c.action->objectName(), QLatin1String(c.name));
        EXPECT_EQ(c.action->text(), QLatin1String(c.caption)) << c.name;
        EXPECT_EQ(c.action->shortcut(), QKeySequence(QLatin1String(c.shortcut))) << c.name;
        if (!c.action->shortcut().isEmpty())
            EXPECT_EQ(c.action->shortcutContext(), Qt::WindowShortcut) << c.name;
        EXPECT_TRUE(note->actions().contains(c.action)) << c.name;
    }

    QStringList entries;
    for (QAction* a : note->PopupMenu1->actions()) {
        if (a->isSeparator())
            entries << "-";
        else if (a->menu())
            entries << a->text() + "(" + [&] {
                QStringList sub;
                for (QAction* s : a->menu()->actions())
                    sub << s->objectName();
                return sub.join(',');
            }() + ")";
        else
            entries << a->objectName();
    }
    EXPECT_EQ(entries.join(' '),
              QStringLiteral("EditUndo1 Cut1 pmRichEdit EditPaste1 EditDelete1 EditSelectAll1 - "
                             "Align(RichEditAlignLeft1,RichEditAlignCenter1,RichEditAlignRight1) "
                             "Format(RichEditBold1,RichEditItalic1,RichEditUnderline1,RichEditStrikeOut1,RichEditBullets1) "
                             "Indent(acIndentLeft,acIndentRight) - PrintDlg1 FileSaveAs1 - acSendMail BrowseURL1"));
    // pmRichEdit copies; Cut1 cuts.
    note->RichEdit1->selectAll();
    QApplication::clipboard()->clear();
    note->pmRichEdit->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("x"));
    EXPECT_EQ(note->RichEdit1->toPlainText(), QStringLiteral("x"));
    note->RichEdit1->selectAll();
    note->Cut1->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("x"));
    EXPECT_EQ(note->RichEdit1->toPlainText(), QString());
    delete note;
}

TEST_F(NoteWindow, CaretInLinkOrAddressEnablesItsCommand)
{
    TFrmNote* note = OpenText(QStringLiteral("see www.example.com or joe@example.com or nothing"));
    const struct {
        int caret;
        bool mail;
        bool browse;
        const char* link;
    } cases[] = {{6, false, true, "www.example.com"}, {26, true, false, ""}, {45, false, false, ""},
                 {0, false, false, ""}};
    for (const auto& c : cases) {
        PutCaret(*note, c.caret);
        EXPECT_EQ(note->acSendMail->isEnabled(), c.mail) << c.caret;
        EXPECT_EQ(note->BrowseURL1->isEnabled(), c.browse) << c.caret;
        EXPECT_EQ(note->BrowseURL1->data().toString(), QLatin1String(c.link)) << c.caret;
    }
    PutCaret(*note, 6);
    note->BrowseURL1->trigger();
    PutCaret(*note, 26);
    note->acSendMail->trigger();
    EXPECT_EQ(shell.opened, QStringList{"http://www.example.com"});
    EXPECT_EQ(mail.urls, QStringList{"mailto:joe@example.com"}); // the command sends no subject
    delete note;
}

TEST_F(NoteWindow, LoadNoteSizesToTheText)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const int line = QFontMetrics([] {
                         QFont f(QStringLiteral("DejaVu Sans"));
                         f.setPixelSize(11);
                         return f;
                     }())
                         .lineSpacing();
    QStringList twenty;
    for (int i = 0; i < 20; ++i)
        twenty << QStringLiteral("line %1").arg(i);
    QStringList many;
    for (int i = 0; i < 3000; ++i)
        many << QStringLiteral("line %1").arg(i);

    const struct {
        const char* name;
        QString text;
        int minWidth, maxWidth, minHeight, maxHeight;
    } cases[] = {
        {"short", QStringLiteral("Hi"), 150, 150, 150, 150},
        {"one long line", QString(400, 'w') + QStringLiteral(" end"), 350, 350, 150, area.height()},
        {"twenty lines", twenty.join('\n'), 150, 150, 19 * line + 26, 21 * line + 26},
        {"taller than the screen", many.join('\n'), 150, 150, area.height(), area.height()},
        {"rich text measured by its text", QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}\\f0\\fs16 Hi\\par}"),
         150, 150, 150, 150},
    };
    for (const auto& c : cases) {
        TFrmNote* note = OpenText(c.text);
        EXPECT_GE(note->width(), c.minWidth) << c.name;
        EXPECT_LE(note->width(), c.maxWidth) << c.name;
        EXPECT_GE(note->height(), c.minHeight) << c.name;
        EXPECT_LE(note->height(), c.maxHeight) << c.name;
        EXPECT_EQ(note->x(), area.x() + (area.width() - note->width()) / 2) << c.name;
        EXPECT_EQ(note->y(), area.y() + (area.height() - note->height()) / 2) << c.name;
        EXPECT_TRUE(note->Panel1->text().isEmpty()) << c.name;
        delete note;
    }
    // The tall note scrolls, with its strip on the screen.
    TFrmNote* tall = OpenText(many.join('\n'));
    tall->show();
    QCoreApplication::processEvents();
    EXPECT_GT(tall->RichEdit1->verticalScrollBar()->maximum(), 0);
    EXPECT_GE(tall->y(), area.y());
    EXPECT_FALSE(tall->RichEdit1->document()->isUndoAvailable()); // loading is no edit
    tall->CloseStep();
    delete tall;
}

TEST_F(NoteWindow, CloseStepStoresTheNote)
{
    const QString rich = QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Tahoma;}}\\f0\\fs16 Shopping\\par \\b milk\\b0\\par }");
    enum Edit { None, Append, Upper, Bold, DeleteNode, ReplaceItem };
    const struct {
        const char* name;
        QString stored;
        Edit edit;
        bool touched;
        bool store;
        const char* title;
    } cases[] = {
        {"unchanged plain note", QStringLiteral("Hello world\nsecond line"), None, true, false, "Hello world"},
        {"unchanged plain note with CR LF", QStringLiteral("Hello world\r\nsecond line"), None, true, false, "Hello world"},
        {"changed plain note", QStringLiteral("Hello world"), Append, true, true, "Hello world!"},
        {"change of case only", QStringLiteral("Hello world"), Upper, true, true, "HELLO WORLD"},
        {"formatting only", QStringLiteral("Hello world"), Bold, true, true, "Hello world"},
        {"blank first lines", QStringLiteral("\n  \nFirst visible\nmore"), None, true, false, "First visible"},
        {"nothing visible", QStringLiteral(" \n"), None, true, false, "(empty note)"},
        {"unchanged rich note", rich, None, true, false, "Shopping"},
        {"changed rich note", rich, Append, true, true, "Shopping!"},
        {"node deleted meanwhile", QStringLiteral("Hello"), DeleteNode, false, false, ""},
        {"node now stands for another item", QStringLiteral("Hello"), ReplaceItem, false, false, ""},
    };
    for (const auto& c : cases) {
        ForgetStore();
        QTreeWidgetItem* node = AddNote(c.stored);
        TTreeItem* item = Item(node);
        TFrmNote* note = Open(node);
        QTextCursor cursor(note->RichEdit1->document());
        if (c.edit == Append) {
            cursor.setPosition(note->RichEdit1->document()->begin().length() - 1);
            cursor.insertText(QStringLiteral("!"));
        } else if (c.edit == Upper) {
            cursor.select(QTextCursor::Document);
            cursor.insertText(QStringLiteral("HELLO WORLD"));
        } else if (c.edit == Bold) {
            cursor.select(QTextCursor::WordUnderCursor);
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            cursor.mergeCharFormat(bold);
        } else if (c.edit == DeleteNode) {
            delete node;
            node = nullptr;
        } else if (c.edit == ReplaceItem) {
            TTreeItem other(kNote, QStringLiteral("other"), QString(), QString(), QString(), QStringLiteral("0"));
            SetNodeDataValue(node, data.NewsList.AddCopy(other));
        }
        const QString textBefore = item->Text();
        note->CloseStep();
        EXPECT_EQ(Stored(), c.store) << c.name;
        if (c.touched) {
            EXPECT_TRUE(IsRtf(item->Text())) << c.name;
            EXPECT_TRUE(item->Text().endsWith(QLatin1String("}\r\n"))) << c.name;
            EXPECT_FALSE(item->Text().contains(QRegularExpression(QStringLiteral("[^\r]\n")))) << c.name;
            EXPECT_EQ(RtfToPlainText(item->Text()), note->RichEdit1->toPlainText()) << c.name;
            EXPECT_EQ(item->Title, QLatin1String(c.title)) << c.name;
            EXPECT_EQ(node->text(0), QLatin1String(c.title)) << c.name;
            EXPECT_EQ(item->Description, note->RichEdit1->toPlainText()) << c.name;
            EXPECT_EQ(item->IconIdx, 0) << c.name;
            EXPECT_DOUBLE_EQ(item->TimeStamp, NowDateTime()) << c.name;
        } else {
            EXPECT_EQ(item->Text(), textBefore) << c.name;
            EXPECT_EQ(item->Title, QStringLiteral("old title")) << c.name;
            if (node)
                EXPECT_EQ(node->text(0), QStringLiteral("old title")) << c.name;
        }
        delete note;
    }
    // Formats survive the store: the bold word is bold when opened again.
    QTreeWidgetItem* node = AddNote(rich);
    delete Open(node); // no close step: nothing changes
    TFrmNote* first = Open(node);
    first->CloseStep();
    delete first;
    TFrmNote* again = Open(node);
    const QTextBlock second = again->RichEdit1->document()->findBlockByNumber(1);
    EXPECT_EQ(second.text(), QStringLiteral("milk"));
    EXPECT_EQ(second.begin().fragment().charFormat().fontWeight(), QFont::Bold);
    delete again;
}

TEST_F(NoteWindow, APlainNoteThatBeginsAsRtfStaysPlain)
{
    // Dropped, pasted or imported text is kept as it came; only whole RTF is RTF.
    const struct {
        QString stored;
        QString shown;
    } cases[] = {
        {QStringLiteral("{\\rtf is how RTF begins}\r\nsecond {line}"),
         QStringLiteral("{\\rtf is how RTF begins}\nsecond {line}")},
        {QStringLiteral("{\\rtf1 a group never closed\nsecond"),
         QStringLiteral("{\\rtf1 a group never closed\nsecond")},
        {QStringLiteral("{\\rtf1 a}}}}b"), QStringLiteral("{\\rtf1 a}}}}b")},
        {QStringLiteral("{\\rtf1 whole \\b bold\\b0\\par }\r\n"), QStringLiteral("whole bold")},
        {QStringLiteral("{\\rtf1 escaped \\} and \\{ braces\\par }"), QStringLiteral("escaped } and { braces")},
    };
    for (const auto& c : cases) {
        QTreeWidgetItem* node = AddNote(c.stored);
        TFrmNote* note = Open(node);
        EXPECT_EQ(note->RichEdit1->toPlainText(), c.shown) << c.stored.toStdString();
        note->RichEdit1->append(QStringLiteral("typed")); // a change, so the close stores
        note->CloseStep();
        delete note;
        TFrmNote* again = Open(node);
        EXPECT_EQ(again->RichEdit1->toPlainText(), c.shown + QStringLiteral("\ntyped")) << c.stored.toStdString();
        delete again;
    }
}

TEST_F(NoteWindow, EveryCloseRunsTheCloseStepOnce)
{
    QTreeWidgetItem* node = AddNote(QStringLiteral("typed"));
    QPointer<TFrmNote> note = Open(node);
    note->show();
    note->RichEdit1->setPlainText(QStringLiteral("typed more"));
    EXPECT_TRUE(note->close()); // the window manager's close
    EXPECT_EQ(RtfToPlainText(Item(node)->Text()), QStringLiteral("typed more"));
    EXPECT_TRUE(Stored());
    // Later calls change nothing.
    ForgetStore();
    note->RichEdit1->setPlainText(QStringLiteral("after close"));
    note->CloseStep();
    EXPECT_EQ(RtfToPlainText(Item(node)->Text()), QStringLiteral("typed more"));
    EXPECT_FALSE(Stored());
    // The window is released once events run.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(note.isNull());

    // The glyph, and program end for every open note.
    QTreeWidgetItem* glyphNode = AddNote(QStringLiteral("a"));
    QPointer<TFrmNote> byGlyph = Open(glyphNode);
    byGlyph->show();
    byGlyph->RichEdit1->setPlainText(QStringLiteral("by glyph"));
    SendMouse(byGlyph->imClose, QEvent::MouseButtonPress, QPoint(5, 5));
    SendMouse(byGlyph->imClose, QEvent::MouseButtonRelease, QPoint(5, 5));
    EXPECT_EQ(RtfToPlainText(Item(glyphNode)->Text()), QStringLiteral("by glyph"));
    EXPECT_FALSE(byGlyph->isVisible());
    EXPECT_EQ(byGlyph->MoveAnchor, QPoint(-1, -1)); // no drag began on the glyph

    QTreeWidgetItem* endNode = AddNote(QStringLiteral("b"));
    TFrmNote* open = Open(endNode);
    open->RichEdit1->setPlainText(QStringLiteral("at program end"));
    TFrmNote::CloseStepForAll();
    EXPECT_EQ(RtfToPlainText(Item(endNode)->Text()), QStringLiteral("at program end"));
    delete open;
}

TEST_F(NoteWindow, MessageDisplayIsReadOnlyAndTouchesNoTree)
{
    QStringList translated;
    TFrmNote::TranslateHook = [&translated](QWidget* w) { translated << w->objectName(); };
    QPointer<TFrmNote> note =
        OpenText(QStringLiteral("{\\rtf1 {\\b There is no program.}\\par Get one at www.example.org\\par }"));
    QTimer::singleShot(0, note, [&] {
        EXPECT_TRUE(note->isVisible());
        EXPECT_TRUE(note->isModal());
        note->close();
    });
    note->ShowMessage();
    ASSERT_FALSE(note.isNull()); // the caller frees it
    EXPECT_EQ(note->Panel1->text(), QStringLiteral("Quorbel"));
    EXPECT_TRUE(note->RichEdit1->isReadOnly());
    EXPECT_FALSE(note->RichEditBold1->isEnabled());
    EXPECT_EQ(translated, QStringList{"FrmNote"});
    EXPECT_FALSE(Stored());
    // A click on its link still opens it.
    note->show();
    QCoreApplication::processEvents();
    const int at = note->RichEdit1->toPlainText().indexOf(QLatin1String("www.")) + 3;
    Click(*note, PointOf(*note, at));
    EXPECT_EQ(shell.opened, QStringList{"http://www.example.org"});
    delete note;
}

TEST_F(NoteWindow, ClicksOpenLinksAndAddressesOnlyAfterAClickInTheText)
{
    TFrmNote* note = OpenText(QStringLiteral("go www.example.com or joe@example.com or plain words here"));
    note->show();
    QCoreApplication::processEvents();
    const QString text = note->RichEdit1->toPlainText();

    // A drag of the strip while the caret stands in the link moves the window only.
    PutCaret(*note, text.indexOf(QLatin1String("www.")) + 2);
    ASSERT_FALSE(note->CurrentLink.isEmpty());
    const QPoint start = note->pos();
    SendMouse(note->Panel1, QEvent::MouseButtonPress, QPoint(20, 5));
    SendMouse(note->Panel1, QEvent::MouseMove, QPoint(50, 25));
    SendMouse(note->Panel1, QEvent::MouseButtonRelease, QPoint(50, 25));
    EXPECT_EQ(note->pos(), start + QPoint(30, 20));
    EXPECT_TRUE(shell.opened.isEmpty());

    // So does a drag of the grip, which never goes below 100 pixels.
    const QSize size = note->size();
    QWidget* viewport = note->RichEdit1->viewport();
    const QPoint grip = viewport->mapFrom(note->RichEdit1, QPoint(note->RichEdit1->width() - 5,
                                                                   note->RichEdit1->height() - 5));
    SendMouse(viewport, QEvent::MouseButtonPress, grip);
    SendMouse(viewport, QEvent::MouseMove, grip + QPoint(40, 30));
    EXPECT_EQ(note->size(), size + QSize(40, 30));
    SendMouse(viewport, QEvent::MouseMove, grip + QPoint(-1000, -1000));
    EXPECT_EQ(note->size(), QSize(100, 100));
    SendMouse(viewport, QEvent::MouseButtonRelease, grip);
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_TRUE(mail.addresses.isEmpty());
    note->resize(size);
    QCoreApplication::processEvents();

    // Clicks in the text.
    Click(*note, PointOf(*note, text.indexOf(QLatin1String("plain")) + 2));
    EXPECT_TRUE(shell.opened.isEmpty());
    Click(*note, PointOf(*note, text.indexOf(QLatin1String("www.")) + 4));
    EXPECT_EQ(shell.opened, QStringList{"http://www.example.com"});
    Click(*note, PointOf(*note, text.indexOf(QLatin1String("joe@")) + 2));
    EXPECT_EQ(mail.urls, QStringList{"mailto:joe@example.com?subject=Quorbel"});
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // A mail program that fails is reported.
    mail.succeed = false;
    Click(*note, PointOf(*note, text.indexOf(QLatin1String("joe@")) + 2));
    EXPECT_EQ(dialogs.messages, QStringList{TFrmNote::SMailFailed.arg(QStringLiteral("joe@example.com"))});
    delete note;
}

TEST_F(NoteWindow, SaveAsAsksForTextFilesAndWritesTheRightBytes)
{
    TFrmNote* note = OpenText(QStringLiteral("line one\nline two"));
    QStringList asked;
    std::deque<TNoteAnswer> answers;
    TFrmNote::AskYesNoCancelHook = [&](const QString& q) {
        asked << q;
        const TNoteAnswer a = answers.front();
        answers.pop_front();
        return a;
    };
    const QByteArray plain = "line one\r\nline two\r\n";
    const QByteArray rich = TFrmNote::StoredText(*note->RichEdit1->document()).toUtf8();
    ASSERT_TRUE(rich.startsWith("{\\rtf1"));
    const struct {
        const char* file;
        bool asks;
        TNoteAnswer answer;
        bool written;
        QByteArray bytes;
    } cases[] = {
        {"a.TXT", true, TNoteAnswer::Yes, true, plain},
        {"b.txt", true, TNoteAnswer::No, true, rich},
        {"c.Txt", true, TNoteAnswer::Cancel, false, {}},
        {"d.rtf", false, TNoteAnswer::Yes, true, rich},
        {"e.txt.rtf", false, TNoteAnswer::Yes, true, rich},
    };
    for (const auto& c : cases) {
        asked.clear();
        answers = {c.answer};
        dialogs.files = {home.File(QLatin1String(c.file))};
        note->FileSaveAs1->trigger();
        EXPECT_EQ(asked, c.asks ? QStringList{TFrmNote::SStoreWithoutFormatting} : QStringList()) << c.file;
        EXPECT_EQ(QFile::exists(home.File(QLatin1String(c.file))), c.written) << c.file;
        EXPECT_EQ(ReadFile(home.File(QLatin1String(c.file))), c.bytes) << c.file;
        EXPECT_FALSE(note->RichEdit1->isReadOnly());
    }
    // A file that cannot be written is reported; the note stays as it was.
    dialogs.files = {home.File(QStringLiteral("missing/folder/x.rtf"))};
    note->FileSaveAs1->trigger();
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].contains(QLatin1String("x.rtf")));
    EXPECT_EQ(note->RichEdit1->toPlainText(), QStringLiteral("line one\nline two"));
    // A cancelled dialog saves nothing.
    note->FileSaveAs1->trigger();
    EXPECT_EQ(dialogs.messages.size(), 1);
    delete note;
}

TEST_F(NoteWindow, IndentStepsByTenPoints)
{
    const double unitsPerPoint = 20.0 / kTwipsPerUnit;
    const struct {
        double from;
        bool increase;
        double to;
    } cases[] = {{0, true, 10}, {10, true, 20}, {25, false, 15}, {10, false, 0}, {5, false, 0}, {0, false, 0}};
    for (const auto& c : cases) {
        TFrmNote* note = OpenText(QStringLiteral("paragraph"));
        QTextCursor cursor = note->RichEdit1->textCursor();
        QTextBlockFormat f;
        f.setLeftMargin(c.from * unitsPerPoint);
        f.setTextIndent(7);
        cursor.setBlockFormat(f);
        (c.increase ? note->acIndentRight : note->acIndentLeft)->trigger();
        const QTextBlockFormat now = note->RichEdit1->document()->begin().blockFormat();
        EXPECT_NEAR(now.leftMargin() / unitsPerPoint, c.to, 1e-9) << c.from << (c.increase ? " +" : " -");
        EXPECT_EQ(now.textIndent(), 0) << c.from;
        delete note;
    }
}

TEST_F(NoteWindow, FormatCommandsReachTheStoredText)
{
    QTreeWidgetItem* node = AddNote(QStringLiteral("alpha\nbeta"));
    TFrmNote* note = Open(node);
    note->RichEdit1->selectAll();
    note->RichEditBold1->trigger();
    note->RichEditItalic1->trigger();
    note->RichEditUnderline1->trigger();
    note->RichEditStrikeOut1->trigger();
    note->RichEditAlignCenter1->trigger();
    note->RichEditBullets1->trigger();
    note->CloseStep();
    QTextDocument stored;
    RtfToDocument(Item(node)->Text(), stored);
    for (QTextBlock b = stored.begin(); b.isValid(); b = b.next()) {
        const QTextCharFormat f = b.begin().fragment().charFormat();
        EXPECT_EQ(f.fontWeight(), QFont::Bold) << b.text().toStdString();
        EXPECT_TRUE(f.fontItalic() && f.fontUnderline() && f.fontStrikeOut()) << b.text().toStdString();
        EXPECT_TRUE(b.blockFormat().alignment() & Qt::AlignHCenter) << b.text().toStdString();
        EXPECT_NE(b.textList(), nullptr) << b.text().toStdString();
    }
    // Bullets toggle off again, without leaving an indent behind.
    note->RichEdit1->selectAll();
    note->RichEditBullets1->trigger();
    EXPECT_EQ(note->RichEdit1->document()->begin().textList(), nullptr);
    EXPECT_EQ(note->RichEdit1->document()->begin().blockFormat().indent(), 0);
    delete note;
}

TEST_F(NoteWindow, TimerHighlightsWhatWasTyped)
{
    TFrmNote* note = OpenText(QStringLiteral("start"));
    QTextCursor c(note->RichEdit1->document());
    c.movePosition(QTextCursor::End);
    c.insertText(QStringLiteral(" www.typed.org"), QTextCharFormat());
    auto linked = [note] {
        QTextCursor at(note->RichEdit1->document());
        at.setPosition(10);
        return at.charFormat().fontUnderline();
    };
    EXPECT_FALSE(linked());
    note->Timer1Timer();
    EXPECT_TRUE(linked());
    EXPECT_EQ(note->LastText, QStringLiteral("start www.typed.org"));
    delete note;
}

TEST_F(NoteWindow, PrintUsesTheFirstLineAsTitle)
{
    TFrmNote* note = OpenText(QStringLiteral("Title line\nbody"));
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(home.File(QStringLiteral("direct.pdf")));
    note->PrintTo(printer);
    EXPECT_EQ(printer.docName(), QStringLiteral("Title line"));

    const QString pdf = home.File(QStringLiteral("note.pdf"));
    TFrmNote::PrintDialogHook = [&pdf](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        return true;
    };
    note->PrintDlg1->trigger();
    EXPECT_TRUE(ReadFile(pdf).startsWith("%PDF"));
    TFrmNote::PrintDialogHook = [](QPrinter&) { return false; };
    QFile::remove(pdf);
    note->PrintDlg1->trigger();
    EXPECT_FALSE(QFile::exists(pdf));
    delete note;
}
