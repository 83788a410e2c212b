// The note window's commands, their enabled states and the text area's
// popup menu.
#include "notes/Notes.h"

#include "notes/Rtf.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>

namespace {
// Points per document unit (a pixel at 96 dpi).
constexpr double kPointsPerUnit = kTwipsPerUnit / 20.0;
constexpr double kIndentStepPoints = 10.0;

QAction* NewAction(TFrmNote* window, const char* name, const QString& caption,
                   const QKeySequence& shortcut = QKeySequence())
{
    auto* action = new QAction(caption, window);
    action->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
    }
    window->addAction(action);
    return action;
}
} // namespace

void TFrmNote::CreateActions()
{
    acSendMail = NewAction(this, "acSendMail", QStringLiteral("Send Mail ..."));
    BrowseURL1 = NewAction(this, "BrowseURL1", QStringLiteral("&Browse URL"));
    EditCut1 = NewAction(this, "EditCut1", QStringLiteral("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X));
    EditCopy1 = NewAction(this, "EditCopy1", QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    EditPaste1 = NewAction(this, "EditPaste1", QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));
    EditSelectAll1 = NewAction(this, "EditSelectAll1", QStringLiteral("Select &All"), QKeySequence(Qt::CTRL | Qt::Key_A));
    EditUndo1 = NewAction(this, "EditUndo1", QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EditDelete1 = NewAction(this, "EditDelete1", QStringLiteral("&Delete"), QKeySequence(Qt::Key_Delete));
    RichEditBold1 = NewAction(this, "RichEditBold1", QStringLiteral("&Bold"), QKeySequence(Qt::CTRL | Qt::Key_B));
    RichEditItalic1 = NewAction(this, "RichEditItalic1", QStringLiteral("&Italic"), QKeySequence(Qt::CTRL | Qt::Key_K));
    RichEditUnderline1 = NewAction(this, "RichEditUnderline1", QStringLiteral("&Underline"), QKeySequence(Qt::CTRL | Qt::Key_U));
    RichEditStrikeOut1 = NewAction(this, "RichEditStrikeOut1", QStringLiteral("&Strikeout"), QKeySequence(Qt::CTRL | Qt::Key_S));
    RichEditBullets1 = NewAction(this, "RichEditBullets1", QStringLiteral("&Bullets"), QKeySequence(Qt::CTRL | Qt::Key_N));
    RichEditAlignLeft1 = NewAction(this, "RichEditAlignLeft1", QStringLiteral("Align &Left"));
    RichEditAlignRight1 = NewAction(this, "RichEditAlignRight1", QStringLiteral("Align &Right"));
    RichEditAlignCenter1 = NewAction(this, "RichEditAlignCenter1", QStringLiteral("&Center"));
    PrintDlg1 = NewAction(this, "PrintDlg1", QStringLiteral("&Print..."), QKeySequence(Qt::CTRL | Qt::Key_P));
    FileSaveAs1 = NewAction(this, "FileSaveAs1", QStringLiteral("Save &As..."));
    acIndentRight = NewAction(this, "acIndentRight", QStringLiteral("Increase"), QKeySequence(Qt::CTRL | Qt::Key_I));
    acIndentLeft = NewAction(this, "acIndentLeft", QStringLiteral("Decrease"),
                             QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_I));

    for (QAction* a : {RichEditBold1, RichEditItalic1, RichEditUnderline1, RichEditStrikeOut1, RichEditBullets1,
                       RichEditAlignLeft1, RichEditAlignRight1, RichEditAlignCenter1})
        a->setCheckable(true);

    connect(acSendMail, &QAction::triggered, this, [this] { SendMailTo(CurrentMail, QString()); });
    connect(BrowseURL1, &QAction::triggered, this, [this] { OpenLink(CurrentLink); });
    connect(EditCut1, &QAction::triggered, RichEdit1, &QTextEdit::cut);
    connect(EditCopy1, &QAction::triggered, RichEdit1, &QTextEdit::copy);
    connect(EditPaste1, &QAction::triggered, RichEdit1, &QTextEdit::paste);
    connect(EditSelectAll1, &QAction::triggered, RichEdit1, &QTextEdit::selectAll);
    connect(EditUndo1, &QAction::triggered, RichEdit1, &QTextEdit::undo);
    connect(EditDelete1, &QAction::triggered, this, [this] {
        if (!RichEdit1->isReadOnly())
            RichEdit1->textCursor().removeSelectedText();
    });
    connect(RichEditBold1, &QAction::triggered, this, [this] { ToggleCharFormat(QTextFormat::FontWeight); });
    connect(RichEditItalic1, &QAction::triggered, this, [this] { ToggleCharFormat(QTextFormat::FontItalic); });
    connect(RichEditUnderline1, &QAction::triggered, this, [this] { ToggleCharFormat(QTextFormat::TextUnderlineStyle); });
    connect(RichEditStrikeOut1, &QAction::triggered, this, [this] { ToggleCharFormat(QTextFormat::FontStrikeOut); });
    connect(RichEditBullets1, &QAction::triggered, this, &TFrmNote::ToggleBullets);
    connect(RichEditAlignLeft1, &QAction::triggered, this, [this] { RichEdit1->setAlignment(Qt::AlignLeft); UpdateActions(); });
    connect(RichEditAlignRight1, &QAction::triggered, this, [this] { RichEdit1->setAlignment(Qt::AlignRight); UpdateActions(); });
    connect(RichEditAlignCenter1, &QAction::triggered, this, [this] { RichEdit1->setAlignment(Qt::AlignHCenter); UpdateActions(); });
    connect(PrintDlg1, &QAction::triggered, this, &TFrmNote::Print);
    connect(FileSaveAs1, &QAction::triggered, this, &TFrmNote::SaveAs);
    connect(acIndentRight, &QAction::triggered, this, [this] { ChangeIndent(true); });
    connect(acIndentLeft, &QAction::triggered, this, [this] { ChangeIndent(false); });

    connect(RichEdit1, &QTextEdit::copyAvailable, this, &TFrmNote::UpdateActions);
    connect(RichEdit1, &QTextEdit::undoAvailable, this, &TFrmNote::UpdateActions);
    connect(RichEdit1, &QTextEdit::currentCharFormatChanged, this, &TFrmNote::UpdateActions);
    connect(RichEdit1, &QTextEdit::cursorPositionChanged, this, &TFrmNote::UpdateActions);
    acSendMail->setEnabled(false);
    BrowseURL1->setEnabled(false);
}

void TFrmNote::CreatePopupMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    // Entries of their own names standing for the cut and copy commands.
    auto entryFor = [this](const char* name, QAction* command) {
        auto* entry = new QAction(command->text(), PopupMenu1);
        entry->setObjectName(QLatin1String(name));
        connect(entry, &QAction::triggered, command, &QAction::trigger);
        connect(command, &QAction::changed, entry, [command, entry] {
            entry->setText(command->text());
            entry->setEnabled(command->isEnabled());
        });
        return entry;
    };
    // Named Cut1, it cuts: a second "Copy" entry in its place would leave
    // the menu without a cut.
    Cut1 = entryFor("Cut1", EditCut1);
    pmRichEdit = entryFor("pmRichEdit", EditCopy1);

    PopupMenu1->addAction(EditUndo1);
    PopupMenu1->addAction(Cut1);
    PopupMenu1->addAction(pmRichEdit);
    PopupMenu1->addAction(EditPaste1);
    PopupMenu1->addAction(EditDelete1);
    PopupMenu1->addAction(EditSelectAll1);
    PopupMenu1->addSeparator();
    QMenu* align = PopupMenu1->addMenu(QStringLiteral("Align"));
    align->setObjectName(QStringLiteral("Align1"));
    align->addActions({RichEditAlignLeft1, RichEditAlignCenter1, RichEditAlignRight1});
    QMenu* format = PopupMenu1->addMenu(QStringLiteral("Format"));
    format->setObjectName(QStringLiteral("Format1"));
    format->addActions({RichEditBold1, RichEditItalic1, RichEditUnderline1, RichEditStrikeOut1, RichEditBullets1});
    QMenu* indent = PopupMenu1->addMenu(QStringLiteral("Indent"));
    indent->setObjectName(QStringLiteral("Indent1"));
    indent->addActions({acIndentLeft, acIndentRight});
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(PrintDlg1);
    PopupMenu1->addAction(FileSaveAs1);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(acSendMail);
    PopupMenu1->addAction(BrowseURL1);

    connect(PopupMenu1, &QMenu::aboutToShow, this, &TFrmNote::UpdateActions);
    connect(RichEdit1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PopupMenu1->popup(RichEdit1->viewport()->mapToGlobal(pos));
    });
}

void TFrmNote::UpdateActions()
{
    const bool editable = !RichEdit1->isReadOnly();
    const bool selection = RichEdit1->textCursor().hasSelection();
    EditCopy1->setEnabled(selection);
    EditCut1->setEnabled(editable && selection);
    EditDelete1->setEnabled(editable && selection);
    EditPaste1->setEnabled(editable && RichEdit1->canPaste());
    EditUndo1->setEnabled(editable && RichEdit1->document()->isUndoAvailable());
    for (QAction* a : {RichEditBold1, RichEditItalic1, RichEditUnderline1, RichEditStrikeOut1, RichEditBullets1,
                       RichEditAlignLeft1, RichEditAlignRight1, RichEditAlignCenter1, acIndentLeft, acIndentRight})
        a->setEnabled(editable);

    const QTextCharFormat f = RichEdit1->currentCharFormat();
    RichEditBold1->setChecked(f.fontWeight() >= QFont::DemiBold);
    RichEditItalic1->setChecked(f.fontItalic());
    RichEditUnderline1->setChecked(f.fontUnderline());
    RichEditStrikeOut1->setChecked(f.fontStrikeOut());
    RichEditBullets1->setChecked(RichEdit1->textCursor().currentList() != nullptr);
    const Qt::Alignment a = RichEdit1->alignment();
    RichEditAlignCenter1->setChecked(a & Qt::AlignHCenter);
    RichEditAlignRight1->setChecked((a & Qt::AlignRight) && !(a & Qt::AlignHCenter));
    RichEditAlignLeft1->setChecked(!(a & (Qt::AlignHCenter | Qt::AlignRight)));
}

void TFrmNote::ToggleCharFormat(int property)
{
    if (RichEdit1->isReadOnly())
        return;
    const QTextCharFormat current = RichEdit1->currentCharFormat();
    QTextCharFormat change;
    switch (property) {
    case QTextFormat::FontWeight:
        change.setFontWeight(current.fontWeight() >= QFont::DemiBold ? QFont::Normal : QFont::Bold);
        break;
    case QTextFormat::FontItalic:
        change.setFontItalic(!current.fontItalic());
        break;
    case QTextFormat::TextUnderlineStyle:
        change.setFontUnderline(!current.fontUnderline());
        break;
    case QTextFormat::FontStrikeOut:
        change.setFontStrikeOut(!current.fontStrikeOut());
        break;
    default:
        return;
    }
    RichEdit1->mergeCurrentCharFormat(change);
    UpdateActions();
}

void TFrmNote::ToggleBullets()
{
    if (RichEdit1->isReadOnly())
        return;
    QTextCursor cursor = RichEdit1->textCursor();
    cursor.beginEditBlock();
    if (cursor.currentList()) {
        const QTextDocument* document = RichEdit1->document();
        const QTextBlock last = document->findBlock(cursor.selectionEnd());
        for (QTextBlock block = document->findBlock(cursor.selectionStart()); block.isValid(); block = block.next()) {
            if (QTextList* list = block.textList()) {
                list->remove(block);
                // Leaving the list adds its indent to the paragraph's: take it off again.
                QTextBlockFormat format = block.blockFormat();
                format.setIndent(0);
                QTextCursor(block).setBlockFormat(format);
            }
            if (block == last)
                break;
        }
    } else {
        QTextListFormat format;
        format.setStyle(QTextListFormat::ListDisc);
        format.setIndent(1);
        cursor.createList(format);
    }
    cursor.endEditBlock();
    UpdateActions();
}

void TFrmNote::ChangeIndent(bool increase)
{
    if (RichEdit1->isReadOnly())
        return;
    QTextCursor cursor = RichEdit1->textCursor();
    const double points = cursor.blockFormat().leftMargin() * kPointsPerUnit;
    double next = points + kIndentStepPoints;
    if (!increase)
        next = points < kIndentStepPoints ? 0.0 : points - kIndentStepPoints;
    QTextBlockFormat format;
    format.setLeftMargin(next / kPointsPerUnit);
    // The first line starts where the others do.
    format.setTextIndent(0);
    cursor.mergeBlockFormat(format);
}
