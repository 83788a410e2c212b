#pragma once
// Keeps the program's dialogs and message boxes visible above its own
// always-on-top windows.
//
// Rules kept here:
//  - A window takes part by carrying the property kStepAside: the strip,
//    the description and hint windows, notes. While a modal dialog of the
//    program is open, the windows taking part hide (the one the dialog
//    belongs to excepted); when the last modal dialog closes, those marked
//    kComeBack show again if nothing hid or deleted them meanwhile. Code
//    that would show such a window asks ModalDialogOpen first.
//  - A dialog belongs to the active window of the program (which then stays
//    shown); a hint window owns none.
//  - A modal dialog stays on top when a window that stays on top is still
//    shown beside it (its owner: a note, the Reload All window), so that it
//    is above that window, not under it.
#include <QPointer>
#include <QWidget>

namespace DialogStacking {
// The property's name and values.
inline constexpr const char* kStepAside = "quorbelStepAside";
enum TStepAside { kHideOnly = 1, kComeBack = 2 };

// Installs the application-wide watch (once; the application object exists).
void Install();
// True while a modal dialog or message box of the program is shown.
bool ModalDialogOpen();
// The window a new dialog belongs to (see the rules above); may be null.
QWidget* DialogOwner();
// Marks w as taking part.
void StepAsideForDialogs(QWidget* w, TStepAside how);
} // namespace DialogStacking
