// Moving about the views: what a click prepares (the Tree tab's popup), the
// hint that shows a node's description, site and date while the mouse rests
// on it, and the ticker's "Show All News".
#include "organiser/NewsFeeders.h"

#include "app/NewsGlobals.h"
#include "model/ViewNodes.h"
#include "organiser/InterfaceTexts.h"
#include "ticker/DescriptionWindow.h"
#include "ticker/HintText.h"
#include "ticker/RssViews.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

namespace {
constexpr int kHintWidth = 350;
constexpr int kHintMaxHeight = 500;
constexpr int kHintShowMs = 5000;

// Routes the views' mouse events to the organiser's handlers.
class TViewMouseFilter final : public QObject {
public:
    TViewMouseFilter(TNewsFeeder* organiser, QTreeWidget* view) : QObject(view), organiser(organiser), view(view) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (NewsFeeder != organiser)
            return false; // the organiser is on its way out
        switch (event->type()) {
        case QEvent::MouseMove:
            organiser->ViewMouseMoved(view, static_cast<QMouseEvent*>(event)->position().toPoint());
            break;
        case QEvent::MouseButtonPress:
            if (view == organiser->tvTree && organiser->HintWindow)
                organiser->HintWindow->hide();
            break;
        case QEvent::Leave:
            if (organiser->HintWindow)
                organiser->HintWindow->hide();
            break;
        default:
            break;
        }
        return false;
    }

private:
    TNewsFeeder* organiser;
    QTreeWidget* view;
};
} // namespace

void TNewsFeeder::CreateNavigation()
{
    HintWindow = new TDescriptionWindow(this);
    HintWindow->setObjectName(QStringLiteral("HintWindow"));
    HintWindow->hide();

    for (QTreeWidget* view : {tvTime, tvWeb, tvVideo, tvAudio, tvTheme, tvTree}) {
        view->setMouseTracking(true);
        view->viewport()->setMouseTracking(true);
        view->viewport()->installEventFilter(new TViewMouseFilter(this, view));
        connect(view, &QTreeWidget::itemClicked, this, [this, view] { ViewClicked(view); });
    }
    // The file menu is offered only once a click has found an existing file node.
    if (acContext)
        acContext->setVisible(false);
    // Only the Tree tab has a popup; a right click selects the node under
    // the mouse first, as the commands act on the selected node.
    tvTree->setContextMenuPolicy(Qt::CustomContextMenu);
    // The options entries name the selected node however it became selected
    // (a click, the keyboard, a command). A mouse press makes a node current
    // before it selects it: the selection's change prepares again.
    auto prepareTree = [this] { PrepareNodeMenu(tvTree, SelectedNode(tvTree)); };
    connect(tvTree, &QTreeWidget::currentItemChanged, this, prepareTree);
    connect(tvTree, &QTreeWidget::itemSelectionChanged, this, prepareTree);
    connect(tvTree, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (QTreeWidgetItem* node = tvTree->itemAt(pos))
            tvTree->setCurrentItem(node);
        PrepareNodeMenu(tvTree, SelectedNode(tvTree));
        if (HintWindow)
            HintWindow->hide();
        mnMain->popup(tvTree->viewport()->mapToGlobal(pos));
    });
}

void TNewsFeeder::ViewClicked(QTreeWidget* view)
{
    PrepareNodeMenu(view, SelectedNode(view));
    if (HintWindow)
        HintWindow->hide();
}

QString TextBeforeParen(const QString& text)
{
    const qsizetype paren = text.indexOf('(');
    return paren < 0 ? text : text.left(paren);
}

void TNewsFeeder::PrepareNodeMenu(QTreeWidget* view, QTreeWidgetItem* node)
{
    if (view != tvTree) {
        view->setContextMenuPolicy(Qt::NoContextMenu);
        return;
    }
    tvTree->setContextMenuPolicy(Qt::CustomContextMenu);
    if (acContext)
        acContext->setVisible(false);
    if (mnOptions)
        mnOptions->menuAction()->setVisible(false);
    const TTreeItem* item = ItemOf(node);
    // The options entries name this feed, and act on it, until the next
    // Tree-tab selection; their marks show its values.
    SetOptionsFeed(node);
    if (item && item->IsKind(kFeed) && mnOptions) {
        mnOptions->setTitle(FormatText(OrganiserTexts.SOptions, TextBeforeParen(item->Title)));
        mnOptions->menuAction()->setVisible(true);
        acShowDescription->setChecked((ticker && ticker->ShowDescription)
                                      || item->GetOptionBool(kOptShowDescription, false));
    }
    // A file node offers its file menu only while the file or folder exists.
    if (item && item->IsKind(kFileLink) && acContext)
        acContext->setVisible(!item->Link.isEmpty() && QFileInfo::exists(item->Link));
    // The main menu's feed options follow the popup's: shown for a feed only.
    if (mnOptions && mnOptions1) {
        mnOptions1->setTitle(mnOptions->title());
        mnOptions1->menuAction()->setVisible(mnOptions->menuAction()->isVisible());
    }
}

void TNewsFeeder::ViewMouseMoved(QTreeWidget* view, const QPoint& pos)
{
    // The handler lets events run at its end, which may deliver the next move.
    if (hintMoveRunning)
        return;
    hintMoveRunning = true;
    HintTimer->stop();
    HintTimer->setInterval(kHintShowMs);
    HintTimer->start();
    {
        TUpdateGuard updates(view);
        QTreeWidgetItem* node = view->itemAt(pos);
        const TTreeItem* item = ItemOf(node);
        if (node && item) {
            const QRect label = view->visualItemRect(node);
            // The point counts in the view, and is then taken as a point of
            // the organiser window (the view's own offset in its tab is 0).
            ShowNodeHint(QPoint(pos.x() + 50, view->y() + label.bottom()), item);
        } else if (HintWindow) {
            HintWindow->hide();
        }
    }
    QCoreApplication::processEvents();
    hintMoveRunning = false;
}

void TNewsFeeder::ShowNodeHint(const QPoint& point, const TTreeItem* item)
{
    if (!item || !HintWindow)
        return;
    HintWindow->SetColor(palette().color(QPalette::ToolTipBase));
    const QString text = DescriptionText(*item);
    if (text.isEmpty())
        return; // a hint already showing stays
    QRect rect = HintWindow->CalcHintRect(kHintWidth, text);
    rect.setHeight(qMin(rect.height(), kHintMaxHeight));
    rect.moveTopLeft(mapToGlobal(point));
    HintWindow->ActivateHint(rect, text);
}

void TNewsFeeder::ShowAllNews()
{
    UpdateTabViews();
    ShowWindow();
}

void TNewsFeeder::ShowWindow()
{
    show();
    raise();
    activateWindow();
}

void TNewsFeeder::ToggleWindow()
{
    if (isVisible())
        hide();
    else
        ShowWindow();
}

QAction* TNewsFeeder::SharedAction(const QString& name) const
{
    return name.isEmpty() ? nullptr : findChild<QAction*>(name);
}
