// Which view the commands act on, tab changes, and the ticker's marks.
#include "organiser/NewsFeeders.h"

#include "app/NewsGlobals.h"
#include "model/DateTime.h"
#include "model/ViewNodes.h"
#include "ticker/DescriptionWindow.h"
#include "text/TextTools.h"

#include <QLabel>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

QTreeWidget* TNewsFeeder::ActiveTreeView() const
{
    switch (PageControl1->currentIndex()) {
    case 0: return tvTime;
    case 1: return tvWeb;
    case 2: return tvVideo;
    case 3: return tvAudio;
    case 4: return tvTheme;
    case 5: return tvTree;
    default: return nullptr;
    }
}

void TNewsFeeder::UpdateTabViews()
{
    const int page = PageControl1->currentIndex();
    if (page == 0 || page == 1 || page == 4) {
        tvTime->setVisible(true);
        tvTree->setVisible(false);
    } else if (page == 5) {
        tvTime->setVisible(false);
        tvTree->setVisible(true);
    }
    if (HintWindow)
        HintWindow->hide();
}

void TNewsFeeder::MarkShownByTitle(const QString& title)
{
    if (!NewsData)
        return;
    for (QTreeWidgetItemIterator it(tvTree); *it; ++it) {
        if (SameTextAscii((*it)->text(0), title)) {
            if (TTreeItem* item = NewsData->NodeItem(*it))
                item->LastShown = NowDateTime();
            return;
        }
    }
}

TNewsViews TNewsFeeder::Views() const
{
    TNewsViews v;
    v.tvTree = tvTree;
    v.tvTheme = tvTheme;
    v.tvWeb = tvWeb;
    v.tvTime = tvTime;
    v.tvVideo = tvVideo;
    v.tvAudio = tvAudio;
    return v;
}

void TNewsFeeder::UpdateViews(QTreeWidgetItem* node, int mode) { ::UpdateViews(Views(), node, mode); }

void TNewsFeeder::DeleteChildNodes(QTreeWidgetItem* node) { ::DeleteChildNodes(Views(), node); }
