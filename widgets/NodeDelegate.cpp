#include "widgets/NodeDelegate.h"

#include "model/ViewNodes.h"
#include "widgets/ImageList.h"

#include <QPainter>

namespace {
constexpr int kStateWidth = 18;

TNodeImages ImagesOf(const QModelIndex& index)
{
    const QVariant v = index.data(NodeImagesRole);
    return v.isValid() ? v.value<TNodeImages>() : TNodeImages();
}
} // namespace

TNodeDelegate::TNodeDelegate(const TImageList& images, QObject* parent)
    : QStyledItemDelegate(parent), images(images)
{
}

void TNodeDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const bool selected = option->state.testFlag(QStyle::State_Selected);
    const TNodeImages all = ImagesOf(index);
    const int image = selected ? all.selected : all.image;
    const QIcon icon = images.Icon(image);
    if (!icon.isNull()) {
        option->icon = icon;
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->decorationSize = QSize(16, 16);
    }
}

void TNodeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const
{
    const int state = ImagesOf(index).state;
    const QIcon stateIcon = images.Icon(state);
    if (stateIcon.isNull()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QRect stateRect(option.rect.left() + 1, option.rect.center().y() - 8, 16, 16);
    stateIcon.paint(painter, stateRect);
    QStyleOptionViewItem rest = option;
    rest.rect.setLeft(option.rect.left() + kStateWidth);
    QStyledItemDelegate::paint(painter, rest, index);
}

QSize TNodeDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    if (!images.Icon(ImagesOf(index).state).isNull())
        s.rwidth() += kStateWidth;
    return s.expandedTo(QSize(0, 18));
}
