// The note window: components, loading and sizing, the timer, showing and
// the close step.
#include "notes/Notes.h"

#include "app/NewsGlobals.h"
#include "model/DateTime.h"
#include "notes/NotePlace.h"
#include "notes/Rtf.h"
#include "organiser/InterfaceTexts.h"
#include "organiser/NewsFeeders.h"
#include "platform/DialogStacking.h"
#include "text/TextTools.h"
#include "ticker/TickerGlyphs.h"
#include "widgets/ImageList.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

std::function<void(QWidget*)> TFrmNote::TranslateHook;

namespace {
constexpr int kTimerMs = 2000;
constexpr int kMinClient = 150;
constexpr int kMaxClientWidth = 350;

QString UnifiedLines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace('\r', '\n');
    return text;
}
} // namespace

TFrmNote::TFrmNote(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("FrmNote"));
    setAttribute(Qt::WA_DeleteOnClose);
    DialogStacking::StepAsideForDialogs(this, DialogStacking::kComeBack);
    CreateComponents();
    CreateActions();
    CreatePopupMenu();
    resize(296, 371);
    move(376, 165);
}

TFrmNote::~TFrmNote() = default;

void TFrmNote::CreateComponents()
{
    auto* layout = new QVBoxLayout(this);
    // The one-pixel border is painted around the components.
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);

    Panel1 = new QLabel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(kStripHeight);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel1->setIndent(4);
    Panel1->setAutoFillBackground(true);
    QPalette strip = Panel1->palette();
    strip.setColor(QPalette::Window, Qt::blue);
    strip.setColor(QPalette::WindowText, QApplication::palette().color(QPalette::WindowText));
    Panel1->setPalette(strip);
    layout->addWidget(Panel1);

    imClose = new QLabel(Panel1);
    imClose->setObjectName(QStringLiteral("imClose"));
    imClose->setPixmap(CloseGlyph());
    imClose->setFixedSize(11, 11);
    imClose->setCursor(Qt::ArrowCursor);
    imClose->installEventFilter(this);

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setFrameStyle(QFrame::NoFrame);
    RichEdit1->setAcceptRichText(true);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    RichEdit1->setFont(font);
    RichEdit1->document()->setDefaultFont(font);
    QPalette tip = RichEdit1->palette();
    const QPalette tipColours = QApplication::palette("QToolTip");
    tip.setColor(QPalette::Base, tipColours.color(QPalette::ToolTipBase));
    tip.setColor(QPalette::Text, tipColours.color(QPalette::ToolTipText));
    // The selection stays visible while another window has the focus.
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        tip.setColor(QPalette::Inactive, role, tip.color(QPalette::Active, role));
    RichEdit1->setPalette(tip);
    RichEdit1->setContextMenuPolicy(Qt::CustomContextMenu);
    // The note is the user's text: the language manager leaves it alone.
    RichEdit1->setProperty("quorbelNoTranslate", true);
    RichEdit1->viewport()->setMouseTracking(true);
    RichEdit1->viewport()->installEventFilter(this);
    RichEdit1->verticalScrollBar()->installEventFilter(this);
    layout->addWidget(RichEdit1, 1);

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(kGripSize);
    Panel2->hide();
    layout->addWidget(Panel2);

    Panel1->installEventFilter(this);
    Panel2->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTimerMs);
    connect(Timer1, &QTimer::timeout, this, &TFrmNote::Timer1Timer);
    Timer1->start();

    connect(RichEdit1, &QTextEdit::cursorPositionChanged, this, &TFrmNote::WordAtCaretChanged);
}

void TFrmNote::LoadNote(const QString& title, const QString& text, QTreeWidgetItem* node)
{
    NoteNode = TNodeRef(node);
    noteTree = node ? node->treeWidget() : nullptr;
    noteItem = ItemOf(node);
    noteData = NodeDataValue(node);
    NoteTitle = title;
    Panel1->setText(QString());

    // No caret handling while the text is replaced.
    loading = true;
    QTextDocument* document = RichEdit1->document();
    NoteTextToDocument(text, *document);
    document->setDefaultFont(RichEdit1->font());
    RichEdit1->moveCursor(QTextCursor::Start);
    HighlightLinks(RichEdit1);
    // Loading is not an edit the user could undo.
    document->clearUndoRedoStacks();
    document->setModified(false);
    openedText = StoredText(*document);
    SizeToText();
    loading = false;
    UpdateActions();
}

void TFrmNote::SizeToText()
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    const QRect full = screen ? screen->geometry() : area;
    const QFontMetrics metrics(RichEdit1->font());
    const QRect measured = metrics.boundingRect(QRect(0, 0, full.width() / 2, 1 << 20),
                                                Qt::TextWordWrap | Qt::TextExpandTabs,
                                                RichEdit1->document()->toPlainText());
    int height = std::max(kMinClient, measured.height() + kStripHeight + 8);
    int width = std::min(kMaxClientWidth, std::max(kMinClient, measured.width() + 25));
    // A note taller than the screen scrolls; its strip and glyph stay on screen.
    height = std::min(height, area.height());
    width = std::min(width, area.width());
    resize(width, height);
    move(area.x() + (area.width() - width) / 2, area.y() + (area.height() - height) / 2);
}

void TFrmNote::PlaceBeside(const QRect& occupied)
{
    const TTreeItem* item = ItemOf(NoteNode.In(noteTree));
    const QRect stored = item ? ParseNoteGeometry(item->GetOption(kOptNoteGeometry)) : QRect();
    QList<QRect> screens;
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        screens << primary->availableGeometry();
    for (const QScreen* s : QGuiApplication::screens())
        if (s != QGuiApplication::primaryScreen())
            screens << s->availableGeometry();
    setGeometry(NotePlace(stored, size(), occupied, screens));
}

void TFrmNote::ShowMessage()
{
    Panel1->setText(NoteTitle);
    RichEdit1->setReadOnly(true);
    UpdateActions();
    // The caller frees the window once this returns.
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &TFrmNote::Closed, &loop, &QEventLoop::quit);
    show();
    if (isVisible())
        loop.exec();
}

void TFrmNote::CloseStep()
{
    if (closeStepDone)
        return;
    closeStepDone = true;
    Timer1->stop();
    QTreeWidgetItem* node = NoteNode.In(noteTree);
    if (!node || !NewsData)
        return;
    TTreeItem* item = NewsData->NodeItem(node);
    // The tree was replaced or the node reused meanwhile: not our note any more.
    if (!item || item != noteItem || NodeDataValue(node) != noteData)
        return;

    const QTextDocument& document = *RichEdit1->document();
    const QString plain = document.toPlainText();
    QString title = FirstVisibleLine(plain);
    if (title.isEmpty())
        title = OrganiserTexts.SEmptyNote;
    // Any change counts, a word made bold or a letter's case as well as text.
    const QString stored = StoredText(document);
    // Where the window stood is kept with the note; a move alone is a change.
    const QString place = shownOnce ? NoteGeometryText(geometry()) : item->GetOption(kOptNoteGeometry);
    const bool changed = stored != openedText || place != item->GetOption(kOptNoteGeometry);
    if (!place.isEmpty())
        item->SetOption(kOptNoteGeometry, place);

    node->setText(0, title);
    item->SetText(stored);
    item->TimeStamp = NowDateTime();
    item->SetTitle(node->text(0));
    item->SetDescription(plain);
    item->IconIdx = imgNote;
    SetNodeImages(node, imgNote, imgNote, NodeStateImage(node));
    if (changed && NewsFeeder)
        NewsFeeder->SaveNewsWithBackup();
}

void TFrmNote::CloseStepForAll()
{
    for (QWidget* w : QApplication::allWidgets())
        if (auto* note = qobject_cast<TFrmNote*>(w))
            note->CloseStep();
}

QString TFrmNote::StoredText(const QTextDocument& document)
{
    const QStringList lines = UnifiedLines(DocumentToRtf(document)).split('\n');
    QString out;
    for (qsizetype k = 0; k < lines.size(); ++k) {
        // The writer's last line ends without a line break; no empty line is added.
        if (k == lines.size() - 1 && lines[k].isEmpty())
            break;
        out += lines[k] + QLatin1String("\r\n");
    }
    return out;
}

QString TFrmNote::PlainFileText(const QTextDocument& document)
{
    QString out;
    for (const QString& line : document.toPlainText().split('\n'))
        out += line + QLatin1String("\r\n");
    return out;
}

void TFrmNote::Timer1Timer()
{
    const QString plain = RichEdit1->document()->toPlainText();
    if (!SameTextAscii(plain, LastText))
        HighlightLinks(RichEdit1);
    LastText = plain;
}

void TFrmNote::closeEvent(QCloseEvent* event)
{
    CloseStep();
    event->accept();
    QWidget::closeEvent(event);
    emit Closed();
}

void TFrmNote::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    shownOnce = true;
    if (TranslateHook)
        TranslateHook(this);
}

void TFrmNote::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The glyph stays at the strip's right end.
    imClose->move(Panel1->width() - imClose->width() - 4, (Panel1->height() - imClose->height()) / 2);
}

void TFrmNote::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
