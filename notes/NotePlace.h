#pragma once
// Where a note window opens. A note keeps its window's place and size in its
// item's options (kOptNoteGeometry, "left,top,width,height" in screen
// pixels) and opens there again, on a screen that still exists; a note
// without one opens beside the strip and its description window, never
// under them.
//
// Rules kept here:
//  - A stored place that overlaps no screen any more (a monitor was
//    unplugged) counts as none. One that overlaps a screen is pulled fully
//    onto the available part of the screen it overlaps most, its size cut to
//    that part.
//  - Beside the strip: to the right of the area the strip and its
//    description take (8 pixels apart, top edges level); when that leaves
//    the screen, to its left; when neither fits, below it. Always within the
//    screen's available area.
#include <QList>
#include <QRect>
#include <QString>

inline const QString kOptNoteGeometry = QStringLiteral("NWG");

// "left,top,width,height"; an empty rectangle for text that is not four
// integers with a positive size.
QRect ParseNoteGeometry(const QString& text);
QString NoteGeometryText(const QRect& rect);

// The rectangle the note window takes. stored: the kept place (may be
// empty); size: the size the note wants without one; occupied: the strip
// with its description window (empty when there is no strip); screens: the
// available areas of the screens, the primary first.
QRect NotePlace(const QRect& stored, const QSize& size, const QRect& occupied, const QList<QRect>& screens);
