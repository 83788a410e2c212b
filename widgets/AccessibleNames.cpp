#include "widgets/AccessibleNames.h"

#include <QMenu>
#include <QWidget>

void SetAccessibleName(QWidget* widget, const QString& name)
{
    if (widget && widget->accessibleName() != name)
        widget->setAccessibleName(name);
}

void SetAccessibleName(QWidget* widget, const QString& name, const QString& description)
{
    SetAccessibleName(widget, name);
    if (widget && widget->accessibleDescription() != description)
        widget->setAccessibleDescription(description);
}

QString AccessibleCaption(const QString& caption)
{
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] != '&')
            plain += caption[i];
        else if (i + 1 < caption.size() && caption[i + 1] == '&')
            plain += caption[++i];
    }
    return plain;
}

void NameMenuByTitle(QMenu* menu, const QString& fallback)
{
    if (!menu)
        return;
    const QString title = AccessibleCaption(menu->title());
    SetAccessibleName(menu, title.isEmpty() ? fallback : title);
}
