#include "widgets/NodeDelegate.h"

#include "model/ViewNodes.h"
#include "widgets/ImageList.h"

#include <QImage>
#include <QPainter>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
QImage Drawn(int image, int state)
{
    TImageList images;
    images.AddPredefined();
    QTreeWidget view;
    view.setItemDelegate(new TNodeDelegate(images, &view));
    view.resize(200, 60);
    QTreeWidgetItem* node = AddViewNode(&view, nullptr, "caption", 0);
    SetNodeImages(node, image, image, state);
    return view.viewport()->grab().toImage();
}

// Stored files from other installations carry any image index: one outside
// the list draws nothing, exactly like no image at all.
TEST(NodeDelegateTest, ImageIndexOutsideTheListDrawsNothing)
{
    const QImage none = Drawn(-1, -1);
    for (int bad : {10, 100000, -7, 2147483647})
        EXPECT_EQ(Drawn(bad, bad), none) << bad;
    EXPECT_NE(Drawn(3, -1), none); // a real image does draw
}
} // namespace
