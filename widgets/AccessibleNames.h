#pragma once
// What both windows tell screen readers.
//
// Rules kept here:
//  - A name or description is set only when it changes: every change is an
//    event a screen reader may speak.
//  - A caption is spoken without its mnemonic marks: "&" goes, "&&" is one "&".
//  - A menu is named by its title as spoken; an untitled one by the fallback.
#include <QString>

class QMenu;
class QWidget;

void SetAccessibleName(QWidget* widget, const QString& name);
void SetAccessibleName(QWidget* widget, const QString& name, const QString& description);
QString AccessibleCaption(const QString& caption);
void NameMenuByTitle(QMenu* menu, const QString& fallback = QString());
