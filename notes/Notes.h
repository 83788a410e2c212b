#pragma once
// The note window: a small frameless always-on-top window that shows and
// edits one note node's rich text, or shows a formatted message read-only.
//
// Rules it keeps:
//  - It holds its node weakly, with the item and data value it was opened
//    for. When the node is gone, or now stands for another item (the tree
//    was replaced meanwhile), closing leaves the tree alone.
//  - Every way the window closes (its glyph, the window manager, program end
//    through CloseStep) stores the text once, so typed text is never lost.
//  - The text is stored as RTF (lines ending in CR LF); the tree is stored
//    when that differs from the text as opened: formatting and letter case
//    count as changes.
//  - The node's caption is the first visible line, SEmptyNote without one.
//  - Links and addresses open after a press and a release in the text area
//    with no drag of the strip or the grip and no selection made; only http
//    and https links open ("www." words as http), and a mail address goes to
//    the mail program percent-encoded, alone.
//  - The text area is marked "quorbelNoTranslate": translating the window on
//    every show must not replace the note.
//  - A note taller than the screen opens at the screen's available height
//    and scrolls.
//  - A note of the tree keeps its window's place and size in its options
//    (NotePlace.h); a move or resize alone is stored as a change.
#include "model/ViewNodes.h"

#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPrinter;
class QTextDocument;
class QTextEdit;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class TTreeItem;

enum class TNoteAnswer { Yes, No, Cancel };

// What the caret stands in: a web link or a mail address (at most one is set).
struct TCaretWord {
    QString link;
    QString mail;
};

class TFrmNote : public QWidget {
    Q_OBJECT
public:
    explicit TFrmNote(QWidget* owner = nullptr);
    ~TFrmNote() override;

    // Fills the window with text (RTF or plain) and sizes and centres it.
    // node is the note's node in the organiser's tree, nullptr for a message.
    void LoadNote(const QString& title, const QString& text, QTreeWidgetItem* node);
    // Puts a note of the tree where it was last (see NotePlace.h), else
    // beside occupied (the strip and its description; may be empty).
    void PlaceBeside(const QRect& occupied);
    // The message display: the strip shows NoteTitle, the text is read-only,
    // and this returns when the window has been closed. The caller deletes
    // the window afterwards.
    void ShowMessage();
    // Stores the text into the note's node (see the rules above). Runs once;
    // later calls do nothing. Closing the window runs it; the organiser runs
    // it for every open note at program end, before it stores the tree.
    void CloseStep();
    // CloseStep for every note window that exists.
    static void CloseStepForAll();

    // Link handling, shared with the about box. Positions are 1-based.
    static void HighlightLinks(QTextEdit* edit);
    static QString WordAround(const QString& text, int position);
    static TCaretWord WordAtCaret(const QTextEdit* edit);
    static bool IsMailAddress(const QString& word);
    // The URL a link word opens: from its "http://" or "https://" on, or
    // "http://" + the word from its "www." on; empty unless that is a valid
    // http or https URL with a host.
    static QString LinkTarget(const QString& word);

    // The note text as stored: RTF, every line followed by CR LF.
    static QString StoredText(const QTextDocument& document);
    // The plain text as saved to a text file: every line followed by CR LF.
    static QString PlainFileText(const QTextDocument& document);

    // Handlers (public so that the commands can be driven directly).
    void Timer1Timer();
    void WordAtCaretChanged();
    void SaveAs();
    bool SaveToFile(const QString& fileName, bool plain);
    void Print();
    void PrintTo(QPrinter& printer);
    void ChangeIndent(bool increase);
    void ToggleBullets();
    void SendMailTo(const QString& address, const QString& subject);
    void OpenLink(const QString& word);

    // Called with the window on every show; the language manager is wired here.
    static std::function<void(QWidget*)> TranslateHook;
    // Replaces the Yes/No/Cancel question (tests).
    static std::function<TNoteAnswer(const QString&)> AskYesNoCancelHook;
    // Replaces the print dialog: true to print on the printer as set up (tests).
    static std::function<bool(QPrinter&)> PrintDialogHook;

    // Texts.
    static QString SStoreWithoutFormatting;
    static QString SMailFailed;
    static QString SCannotCreateFile;
    static QString SSaveAsTitle;
    static QString SNoteFileFilter;

    // Components.
    QLabel* Panel1 = nullptr;
    QLabel* imClose = nullptr;
    QTextEdit* RichEdit1 = nullptr;
    QFrame* Panel2 = nullptr;
    QTimer* Timer1 = nullptr;
    QMenu* PopupMenu1 = nullptr;

    QAction* acSendMail = nullptr;
    QAction* BrowseURL1 = nullptr;
    QAction* EditCut1 = nullptr;
    QAction* EditCopy1 = nullptr;
    QAction* EditPaste1 = nullptr;
    QAction* EditSelectAll1 = nullptr;
    QAction* EditUndo1 = nullptr;
    QAction* EditDelete1 = nullptr;
    QAction* RichEditBold1 = nullptr;
    QAction* RichEditItalic1 = nullptr;
    QAction* RichEditUnderline1 = nullptr;
    QAction* RichEditStrikeOut1 = nullptr;
    QAction* RichEditBullets1 = nullptr;
    QAction* RichEditAlignLeft1 = nullptr;
    QAction* RichEditAlignRight1 = nullptr;
    QAction* RichEditAlignCenter1 = nullptr;
    QAction* PrintDlg1 = nullptr;
    QAction* FileSaveAs1 = nullptr;
    QAction* acIndentRight = nullptr;
    QAction* acIndentLeft = nullptr;
    // The popup's two copy entries.
    QAction* Cut1 = nullptr;
    QAction* pmRichEdit = nullptr;

    // Fields.
    TNodeRef NoteNode;
    QString NoteTitle;
    QString LastText;
    QString openedText; // the stored form of the text as it was opened
    QString CurrentLink;
    QString CurrentMail;
    QPoint MoveAnchor{-1, -1};
    QPoint SizeAnchor{-1, -1};

    static constexpr int kStripHeight = 18;
    static constexpr int kGripSize = 17;
    static constexpr int kMinSize = 100;

signals:
    // The window has closed (after its close step).
    void Closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void CreateComponents();
    void CreateActions();
    void CreatePopupMenu();
    void UpdateActions();
    void SizeToText();
    bool OnGrip(const QPoint& inEdit) const;
    bool MouseEvent(QWidget* control, QEvent* event);
    void ToggleCharFormat(int property);
    TNoteAnswer AskYesNoCancel(const QString& text);

    // The item and data value the node had when the note was opened.
    QPointer<QTreeWidget> noteTree;
    const TTreeItem* noteItem = nullptr;
    qint64 noteData = -1;
    bool loading = false;
    bool closeStepDone = false;
    bool shownOnce = false; // its place is worth keeping
    bool pressInText = false;
};
