#pragma once
// The strip's small pictures, drawn by code: the 11 x 11 close glyph, the
// 16 pixel speaker mark and the 32 pixel film mark.
#include <QPixmap>

QPixmap CloseGlyph();
QPixmap SpeakerGlyph();
QPixmap FilmGlyph();
