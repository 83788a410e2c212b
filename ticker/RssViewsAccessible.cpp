// What a screen reader gets from the strip.
//
// Rules kept here:
//  - The feed icon, the audio and video marks and the close glyph carry a
//    name and a description, named texts of section "RSSView" (English until
//    a language file translates them); the popups carry names too.
//  - The close glyph is a button to assistive tools: its press action, and
//    Space while it has the focus, do what a click on it does.
//  - The headline's accessible name is the whole title (the label may show
//    it elided) and its description the hint; every item shown is announced.
#include "ticker/RssViews.h"

#include "app/NewsGlobals.h"
#include "language/NamedTexts.h"
#include "text/TextTools.h"
#include "ticker/DescriptionWindow.h"
#include "widgets/AccessibleNames.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>

namespace {
const QString kSection = QStringLiteral("RSSView");

// The strip's accessible texts, read fresh for every language so that a
// language lacking one falls back to English, not to the previous language.
struct TTickerAccessibleTexts {
    QString SAccIcon = QStringLiteral("News source");
    QString SAccIconDescr = QStringLiteral("The icon of the feed the news item comes from");
    QString SAccAudio = QStringLiteral("Audio");
    QString SAccAudioDescr = QStringLiteral("The news item links to an audio file");
    QString SAccVideo = QStringLiteral("Video");
    QString SAccVideoDescr = QStringLiteral("The news item links to a video");
    QString SAccClose = QStringLiteral("Close");
    QString SAccCloseDescr = QStringLiteral("Hides the news strip");
    QString SAccPopup = QStringLiteral("News ticker menu");
    QString SAccTrayMenu = QStringLiteral("Quorbel menu");
};

TTickerAccessibleTexts ReadAccessibleTexts()
{
    TTickerAccessibleTexts texts;
    ReadNamedTexts(kSection, {
                                 {"SAccIcon", &texts.SAccIcon},
                                 {"SAccIconDescr", &texts.SAccIconDescr},
                                 {"SAccAudio", &texts.SAccAudio},
                                 {"SAccAudioDescr", &texts.SAccAudioDescr},
                                 {"SAccVideo", &texts.SAccVideo},
                                 {"SAccVideoDescr", &texts.SAccVideoDescr},
                                 {"SAccClose", &texts.SAccClose},
                                 {"SAccCloseDescr", &texts.SAccCloseDescr},
                                 {"SAccPopup", &texts.SAccPopup},
                                 {"SAccTrayMenu", &texts.SAccTrayMenu},
                             });
    return texts;
}

TRSSView* StripOf(QObject* part)
{
    return part ? qobject_cast<TRSSView*>(part->parent()) : nullptr;
}

bool IsCloseGlyph(QObject* object)
{
    TRSSView* strip = StripOf(object);
    return strip && strip->imClose == object;
}

// The close glyph is a plain picture label; to assistive tools it is a
// button whose press closes like the click.
class TCloseGlyphAccessible : public QAccessibleWidget {
public:
    explicit TCloseGlyphAccessible(QWidget* glyph) : QAccessibleWidget(glyph, QAccessible::Button) {}

    QStringList actionNames() const override
    {
        return QStringList(pressAction()) + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& actionName) override
    {
        if (actionName != pressAction()) {
            QAccessibleWidget::doAction(actionName);
            return;
        }
        if (TRSSView* strip = StripOf(widget()))
            strip->CloseGlyphClick();
    }
    QStringList keyBindingsForAction(const QString& actionName) const override
    {
        if (actionName == pressAction())
            return {QStringLiteral("Space")};
        return QAccessibleWidget::keyBindingsForAction(actionName);
    }
};

QAccessibleInterface* CloseGlyphFactory(const QString&, QObject* object)
{
    if (!IsCloseGlyph(object))
        return nullptr;
    return new TCloseGlyphAccessible(static_cast<QWidget*>(object));
}

// Space on the focused close glyph: the keyboard's way to the click.
class TCloseGlyphKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space
            && static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
            if (TRSSView* strip = StripOf(watched)) {
                strip->CloseGlyphClick();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void TRSSView::ApplyAccessibleNames()
{
    // Interfaces are cached once made: the factory must be there before the
    // glyph's first one is asked for.
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(CloseGlyphFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    const TTickerAccessibleTexts texts = ReadAccessibleTexts();
    SetAccessibleName(Image1, texts.SAccIcon, texts.SAccIconDescr);
    SetAccessibleName(imSpeaker, texts.SAccAudio, texts.SAccAudioDescr);
    SetAccessibleName(imVideo, texts.SAccVideo, texts.SAccVideoDescr);
    SetAccessibleName(imClose, texts.SAccClose, texts.SAccCloseDescr);
    SetAccessibleName(PopupMenu1, texts.SAccPopup);
    SetAccessibleName(pmIcon, texts.SAccTrayMenu);
    for (QMenu* menu : {Options1, ShowNewsbefore1, KeepNewsfor1, FileImportExport1, mnLanguage})
        NameMenuByTitle(menu);

    if (imClose && imClose->focusPolicy() == Qt::NoFocus) {
        imClose->setFocusPolicy(Qt::TabFocus);
        imClose->installEventFilter(new TCloseGlyphKeys(imClose));
    }
}

void TRSSView::AnnounceItem()
{
    const QString& title = CurrentItem.Title; // plain already, as on the strip
    SetAccessibleName(lbRss, title, hint);
    // The same title again is still a new item on the strip: say it again.
    QAccessibleEvent changed(lbRss, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent announcement(lbRss, title);
    QAccessible::updateAccessibility(&announcement);
#endif
}
