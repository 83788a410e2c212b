#pragma once
// Draws a tree-view node's state image and image from the shared image list,
// by the indexes the node keeps in its roles.
#include <QStyledItemDelegate>

class TImageList;

class TNodeDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TNodeDelegate(const TImageList& images, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    const TImageList& images;
};
