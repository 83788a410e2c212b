#include "model/ViewNodes.h"

QTreeWidgetItem* AddViewNode(QTreeWidget* view, QTreeWidgetItem* parent, const QString& caption,
                             qint64 data)
{
    auto* node = new QTreeWidgetItem(QStringList{caption});
    SetNodeDataValue(node, data);
    if (parent)
        parent->addChild(node);
    else
        view->addTopLevelItem(node);
    return node;
}

QTreeWidgetItem* FirstNode(QTreeWidget* view)
{
    return view && view->topLevelItemCount() > 0 ? view->topLevelItem(0) : nullptr;
}

