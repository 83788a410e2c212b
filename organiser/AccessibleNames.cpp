// What a screen reader gets from the organiser.
//
// Rules kept here:
//  - Each tab page and the tree view on it are named by the tab's caption,
//    as the language left it; the tab control, the menu bar and the Tree
//    tab's popup carry named texts of section "NewsFeeder" (English until a
//    language file translates them); every other menu is named by its title.
//  - Applied after every translation (ApplyInterfaceTexts), so the names
//    never lag behind the captions.
#include "organiser/NewsFeeders.h"

#include "app/NewsGlobals.h"
#include "language/NamedTexts.h"
#include "widgets/AccessibleNames.h"

#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTreeWidget>

namespace {
const QString kSection = QStringLiteral("NewsFeeder");

// Read fresh for every language: one lacking a text falls back to English,
// not to the language before.
struct TOrganiserAccessibleTexts {
    QString SAccViews = QStringLiteral("News views");
    QString SAccMainMenu = QStringLiteral("Main menu");
    QString SAccTreeMenu = QStringLiteral("News tree menu");
    QString SAccMenu = QStringLiteral("Menu");
};

TOrganiserAccessibleTexts ReadAccessibleTexts()
{
    TOrganiserAccessibleTexts texts;
    ReadNamedTexts(kSection, {
                                 {"SAccViews", &texts.SAccViews},
                                 {"SAccMainMenu", &texts.SAccMainMenu},
                                 {"SAccTreeMenu", &texts.SAccTreeMenu},
                                 {"SAccMenu", &texts.SAccMenu},
                             });
    return texts;
}

} // namespace

void TNewsFeeder::ApplyAccessibleNames()
{
    const TOrganiserAccessibleTexts texts = ReadAccessibleTexts();
    if (PageControl1) {
        SetAccessibleName(PageControl1, texts.SAccViews);
        for (int i = 0; i < PageControl1->count(); ++i) {
            QWidget* page = PageControl1->widget(i);
            const QString caption = AccessibleCaption(PageControl1->tabText(i));
            SetAccessibleName(page, caption);
            // The page's tree view, not the views of deeper widgets.
            for (QTreeWidget* view : page->findChildren<QTreeWidget*>(QString(), Qt::FindDirectChildrenOnly))
                SetAccessibleName(view, caption);
        }
    }
    SetAccessibleName(MainMenu1, texts.SAccMainMenu);
    SetAccessibleName(mnMain, texts.SAccTreeMenu);
    for (QMenu* menu : findChildren<QMenu*>()) {
        if (menu != mnMain)
            NameMenuByTitle(menu, texts.SAccMenu);
    }
}
