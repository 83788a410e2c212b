// The first start of a new user: no tree yet, so no headline will ever
// replace the start-up status on the strip. The organiser opens on the Tree
// tab, where feeds are added, and the strip says how to begin until the
// first feed brings headlines.
#include "organiser/NewsFeeders.h"

#include "organiser/InterfaceTexts.h"
#include "ticker/RssViews.h"

#include <QTabWidget>

void TNewsFeeder::ShowFirstSteps()
{
    PageControl1->setCurrentWidget(tbTree);
    show();
    raise();
    ShowStatus(OrganiserTexts.SNoNewsYet);
    if (ticker)
        ticker->FitStripToTitle();
}
