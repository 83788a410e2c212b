#pragma once
// Notes are kept as RTF, the form the notes of earlier versions were stored
// in. Qt reads and writes no RTF, so this is a small reader and writer for
// what the note window can format: paragraphs, bold, italic, underline,
// strike-out, font size, colour, alignment, left and first-line indent,
// bullets, line breaks, tabs and any Unicode character.
//
// Rules the reader keeps:
//  - It never recurses and never fails: the group stack is capped (deeper
//    groups share the state of the deepest one), unbalanced braces and cut
//    control words end quietly, and whatever text was read stays.
//  - Destinations it does not show (font table, style sheet, info, pictures,
//    anything marked \*) are skipped whole; unknown control words are ignored.
//  - "\'hh" is Windows-1252; "\uN" is followed by \ucN fallback characters,
//    which are skipped.
//  - A "\par" at the very end closes the last paragraph and opens none.
//  - "{\pntext ...}", "{\listtext ...}" and "\pn..." mark a bulleted
//    paragraph; the bullet text itself is not read as text. Bulleted
//    paragraphs in a row make lists of at most a hundred items each
//    (they look as one): Qt's time for adding to a list grows with its length.
//  - Text that does not begin with "{\rtf" is plain text.
//  - A note is RTF only when it is whole RTF (IsWholeRtf): a plain note that
//    happens to begin with "{\rtf" (dropped, pasted or imported text) stays
//    plain text, braces and lines included.
//
// The writer puts one paragraph per line ("\par" then CR LF), escapes every
// character outside printable ASCII, and writes indents in twips with one
// document unit (a pixel at 96 dpi) as 15 twips.
#include <QString>

class QTextDocument;

// True when text, after leading blanks and control characters, begins with "{\rtf".
bool IsRtf(const QString& text);
// True when text is RTF to its end: it begins as IsRtf says, the group it
// opens there closes (escaped braces and \bin data not counted), and only
// blanks and control characters follow.
bool IsWholeRtf(const QString& text);
QString DocumentToRtf(const QTextDocument& document);
// Replaces the content of document with rtf (or with plain text when it is not RTF).
void RtfToDocument(const QString& rtf, QTextDocument& document);
// Replaces the content of document with a note's text: RTF when it is whole
// RTF, plain text otherwise.
void NoteTextToDocument(const QString& text, QTextDocument& document);
// The plain text of a stored note: whole RTF read as above, anything else unchanged.
QString RtfToPlainText(const QString& text);

// Twips per document unit.
constexpr double kTwipsPerUnit = 15.0;
// The deepest group nesting the reader keeps state for.
constexpr int kMaxRtfGroupDepth = 10000;
