#include "ticker/DescriptionWindow.h"

#include "platform/DialogStacking.h"

#include <QFontMetrics>

namespace {
constexpr int kMargin = 3;
}

TDescriptionWindow::TDescriptionWindow(QWidget* owner)
    : QLabel(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("DescriptionWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Hidden while a dialog is open; the window it belongs to brings it back.
    DialogStacking::StepAsideForDialogs(this, DialogStacking::kHideOnly);
    setFocusPolicy(Qt::NoFocus);
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setMargin(kMargin);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setMaximumWidth(kMaxWidth + 2 * (kMargin + 1));
    setAutoFillBackground(true);
    SetColor(palette().color(QPalette::ToolTipBase));
    hide();
}

QString TDescriptionWindow::DisplayText(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace('\r', '\n');
    return shown;
}

QRect TDescriptionWindow::CalcHintRect(int maxWidth, const QString& text) const
{
    const QRect box = fontMetrics().boundingRect(QRect(0, 0, maxWidth, 100000),
                                                 Qt::TextWordWrap | Qt::TextExpandTabs,
                                                 DisplayText(text));
    const int frame = 2 * (kMargin + lineWidth());
    return QRect(0, 0, box.width() + frame, box.height() + frame);
}

void TDescriptionWindow::ActivateHint(const QRect& rect, const QString& text)
{
    hintText = text;
    setText(DisplayText(text));
    setGeometry(rect);
    show();
}

void TDescriptionWindow::SetColor(const QColor& color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    p.setColor(QPalette::WindowText, p.color(QPalette::ToolTipText));
    setPalette(p);
}
