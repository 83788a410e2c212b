// The node hint, what a click prepares, and the ticker's "Show All News".
#include "organiser/OrganiserFixture.h"

#include "ticker/DescriptionWindow.h"

#include <QAction>
#include <QMouseEvent>
#include <QTimer>

namespace {
class NavigationTest : public OrganiserFixture {
protected:
    void SetUp() override
    {
        CreateOrganiser();
        organiser->resize(500, 400);
        organiser->PageControl1->setCurrentIndex(5);
        organiser->show();
    }

    // A mouse move over the middle of node's row.
    void HoverOver(QTreeWidget* view, QTreeWidgetItem* node)
    {
        const QPoint at = view->visualItemRect(node).center();
        QMouseEvent move(QEvent::MouseMove, at, view->viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &move);
    }
};

TEST_F(NavigationTest, HoverHintShowsDescriptionSiteAndDate)
{
    const TDateTime stamp = ToDateTime(QDate(2026, 12, 9), QTime(10, 0));
    struct {
        const char* kind;
        QString description;
        const char* link;
        TDateTime stamp;
        QString hint; // empty: no hint shows
    } cases[] = {
        {"RSS", "", "http://host/dir/item", stamp, "http://host/ 2026-12-09 10:00:00"},
        {"FLD", "", "", stamp, "2026-12-09 10:00:00"},
        {"RSS", "<p>Short</p>", "http://host/x", 0, "Short\r\nhttp://host/ "},
        {"WEB", "", "", 0, ""},
    };
    for (auto& c : cases) {
        organiser->tvTree->clear();
        organiser->HintWindow->hide();
        QTreeWidgetItem* node = AddNode(nullptr, c.kind, "node", c.link, c.stamp);
        Item(node)->SetDescription(c.description);
        HoverOver(organiser->tvTree, node);
        EXPECT_EQ(organiser->HintWindow->isVisible(), !c.hint.isEmpty()) << c.kind;
        if (!c.hint.isEmpty())
            EXPECT_EQ(organiser->HintWindow->HintText(), c.hint) << c.kind;
    }
    EXPECT_EQ(organiser->HintTimer->interval(), 5000); // the hint goes 5 s after the last move
}

TEST_F(NavigationTest, LongHintsAreWrappedAndCut)
{
    QTreeWidgetItem* node = AddNode(nullptr, "RSS", "long", "http://host/x", NowDateTime());
    Item(node)->SetDescription(QString("word ").repeated(5000));
    HoverOver(organiser->tvTree, node);
    ASSERT_TRUE(organiser->HintWindow->isVisible());
    EXPECT_LE(organiser->HintWindow->width(), 350 + 10);
    EXPECT_EQ(organiser->HintWindow->height(), 500);
    // Placed under the node, 50 pixels right of the mouse, as a point of the window.
    const QRect label = organiser->tvTree->visualItemRect(node);
    EXPECT_EQ(organiser->HintWindow->pos(),
              organiser->mapToGlobal(QPoint(label.center().x() + 50, label.bottom())));

    // Hidden by a press in the tree, by a click and by the hint timer.
    QMouseEvent press(QEvent::MouseButtonPress, label.center(), organiser->tvTree->viewport()->mapToGlobal(label.center()),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(organiser->tvTree->viewport(), &press);
    EXPECT_FALSE(organiser->HintWindow->isVisible());
    HoverOver(organiser->tvTree, node);
    organiser->ViewClicked(organiser->tvTree);
    EXPECT_FALSE(organiser->HintWindow->isVisible());
}

TEST_F(NavigationTest, ClickPreparesThePopupOfTheTreeOnly)
{
    if (!organiser->acContext)
        organiser->acContext = new QAction("File Context Menu", organiser.get());
    QTreeWidgetItem* there = AddNode(nullptr, "FIL", "here", home.Path());
    QTreeWidgetItem* gone = AddNode(nullptr, "FIL", "gone", home.File("no such file"));
    QTreeWidgetItem* folder = AddNode(nullptr, "FLD", "folder");
    struct {
        QTreeWidgetItem* node;
        bool context;
    } cases[] = {{there, true}, {gone, false}, {folder, false}, {there, true}};
    for (auto& c : cases) {
        organiser->tvTree->setCurrentItem(c.node);
        organiser->ViewClicked(organiser->tvTree);
        EXPECT_EQ(organiser->acContext->isVisible(), c.context) << c.node->text(0).toStdString();
        EXPECT_EQ(organiser->tvTree->contextMenuPolicy(), Qt::CustomContextMenu);
    }
    // Another view has no popup, and leaves the Tree tab's state alone.
    organiser->ViewClicked(organiser->tvWeb);
    EXPECT_EQ(organiser->tvWeb->contextMenuPolicy(), Qt::NoContextMenu);
    EXPECT_TRUE(organiser->acContext->isVisible());
}

TEST_F(NavigationTest, ShowAllNewsShowsTheOrganiser)
{
    organiser->hide();
    organiser->ShowAllNews();
    EXPECT_TRUE(organiser->isVisible());
}
} // namespace
