// The ticker's texts in the current language: its components through the
// language manager, then its named texts (section "RSSView").
#include "ticker/RssViews.h"

#include "app/NewsGlobals.h"
#include "language/LangManager.h"
#include "model/Intervals.h"
#include "language/NamedTexts.h"
#include "ticker/DescriptionWindow.h"
#include "text/TextTools.h"

#include <QAction>
#include <QMenu>
#include <QShowEvent>

namespace {
const QString kSection = QStringLiteral("RSSView");
} // namespace

std::vector<TNamedText> TRSSView::NamedTexts()
{
    return {
        {"SShowNewsFor", &SShowNewsFor},
        {"SQuorbelTitle", &SQuorbelTitle},
        {"SQuorbelDescr", &SQuorbelDescr},
        {"SShowNewsDuration", &SShowNewsDuration},
        {"SNewsDurationInput", &SNewsDurationInput},
        {"SNewsIntervalTitle", &SNewsIntervalTitle},
        {"SNewsIntervalInput", &SNewsIntervalInput},
        {"SIntervalRefused", &SIntervalRefused},
        {"SIntervalCaption", &SIntervalCaption},
        {"SUpdateInterval", &SUpdateInterval},
        {"SUpdateIntervalInput", &SUpdateIntervalInput},
        {"SNewsStorageDuration", &SNewsStorageDuration},
        {"SNewsStorDurationInput", &SNewsStorDurationInput},
        {"SLanguage", &SLanguage},
    };
}

void TRSSView::ApplyTickerTexts(bool force)
{
    TLangManager* lan = NewsData ? NewsData->LanMan.get() : nullptr;
    if (!lan)
        return;
    lan->TranslateForm(this, force);
    for (const TNamedText& named : NamedTexts())
        lan->ReadText(kSection, QString::fromLatin1(named.key), *named.text);
    // A translated caption would carry the number it was written with: the
    // interval entry is filled from its template again.
    if (Interval1)
        Interval1->setText(FormatNumber(SIntervalCaption, ShownIntervalSeconds(RSSInterval)));
    if (mnLanguage)
        mnLanguage->setTitle(SLanguage);
    ApplyAccessibleNames();
}

void TRSSView::showEvent(QShowEvent* event)
{
    ApplyTickerTexts();
    QWidget::showEvent(event);
    // The description comes back with the strip, as the settings say.
    if (DescriptionShown)
        ShowDescriptionWindow();
}

void TRSSView::hideEvent(QHideEvent* event)
{
    // The description never stays behind without its strip.
    DescriptionWindow->hide();
    QWidget::hideEvent(event);
}
