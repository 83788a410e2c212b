#include "platform/DialogStacking.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QList>
#include <QWindow>

namespace DialogStacking {
namespace {
class TWatch final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show && event->type() != QEvent::Hide)
            return false;
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (!dialog || !dialog->isWindow() || !dialog->isModal())
            return false;
        if (event->type() == QEvent::Show && !open.contains(dialog))
            Opened(dialog);
        else if (event->type() == QEvent::Hide && open.removeAll(dialog) > 0)
            Closed();
        return false;
    }

    void Opened(QDialog* dialog)
    {
        open.append(dialog);
        QWidget* owner = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
        bool topBeside = false;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() || w == dialog || w == owner || w->isAncestorOf(dialog))
                continue;
            if (w->property(kStepAside).toInt() != 0) {
                w->hide();
                if (w->property(kStepAside).toInt() == kComeBack)
                    hidden.append(w);
            } else if (w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) && !qobject_cast<QDialog*>(w)) {
                topBeside = true;
            }
        }
        if (owner && owner->isVisible() && owner->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            topBeside = true;
        // The dialog's native window exists by now but is not mapped yet: the
        // flag goes to the window manager with the map.
        if (topBeside && dialog->windowHandle())
            dialog->windowHandle()->setFlags(dialog->windowHandle()->flags() | Qt::WindowStaysOnTopHint);
    }

    void Closed()
    {
        open.removeAll(nullptr);
        if (!open.isEmpty())
            return;
        const QList<QPointer<QWidget>> back = hidden;
        hidden.clear();
        for (const QPointer<QWidget>& w : back)
            if (w && w->isHidden() && w->property(kStepAside).toInt() == kComeBack)
                w->show();
    }

    QList<QPointer<QDialog>> open;
    QList<QPointer<QWidget>> hidden;
};

TWatch* watch = nullptr;
} // namespace

void Install()
{
    if (watch || !qApp)
        return;
    watch = new TWatch;
    watch->setParent(qApp);
    qApp->installEventFilter(watch);
}

bool ModalDialogOpen()
{
    if (!watch)
        return false;
    watch->open.removeAll(nullptr);
    return !watch->open.isEmpty();
}

QWidget* DialogOwner()
{
    QWidget* active = QApplication::activeModalWidget();
    if (!active)
        active = QApplication::activeWindow();
    if (active && active->property(kStepAside).toInt() == kHideOnly)
        return nullptr; // a hint asks for nothing; its window does
    return active;
}

void StepAsideForDialogs(QWidget* w, TStepAside how) { w->setProperty(kStepAside, int(how)); }
} // namespace DialogStacking
