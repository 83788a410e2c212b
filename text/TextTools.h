#pragma once
// Small text helpers shared by the date parser, the site-icon search, the
// feed merges and the views. Positions are 1-based; 0 means "not found".
// "Ignoring case" folds only A-Z/a-z unless a function says otherwise.
//
// Rules kept here on purpose (stored files and feeds depend on them):
//  - HTMLToText makes one line of readable text. First it drops tags and
//    comments: a tag is a "<" followed by a letter, "/", "!" or "?", up to its
//    ">" (a "<" inside cuts it short and is looked at anew; an unclosed tag
//    swallows the rest); a comment runs from "<!--" to "-->". Any other "<"
//    is text ("x < y"). Then, in one pass from left to right, it decodes the
//    character references (HtmlEntities.h: every HTML name, numeric ones) and
//    folds each run of blanks (spaces, tabs, line breaks and other control
//    characters, no-break spaces, line and paragraph separators; decoded ones
//    too) into one space, none at either end. Decoding comes after the tags
//    and only once, so "&lt;b&gt;" is the text "<b>" and "&amp;lt;" is "&lt;".
//  - ReplaceHTMLEntities decodes the references alone, the same way.
//  - TitleKey is the one duplicate key of the feed merges: a plain title with
//    runs of "&" read as one (titles stored before "&amp;" read as "&" carry
//    "&&") and runs of blanks folded as above. Case is the caller's business.
//  - CutToken removes the token and one character only, even for a longer
//    separator.
#include <QString>
#include <QStringList>

QString HTMLToText(const QString& text);
// pos is 1-based and on entry at the "<" that opens the tag.
bool ReadHTMLTag(const QString& text, int& pos, QString& tagName, QString& attributes);
QString ReplaceHTMLEntities(const QString& text);
// The form in which the merges compare a plain title with the captions and
// titles already under a feed (see the rules above).
QString TitleKey(const QString& plainTitle);

QString CutToken(QString& text, const QString& separator);
bool CutInt(QString& text, int& value);
// Also tells how many digits were written (0 when no number was read), so a
// caller can tell "02" from "2" or "0002".
bool CutInt(QString& text, int& value, int& digits);
bool IsBlank(const QString& text);
// The first line of text that still shows something once read as HTML,
// without surrounding blanks; empty when no line does. A note's caption.
QString FirstVisibleLine(const QString& text);
// Fills the first %d of a caption template with number.
QString FormatNumber(const QString& text, qint64 number);
// Removes leading and trailing characters with codes up to 32.
QString TrimBlanks(const QString& text);
int PosOfAny(const QString& text, const QStringList& patterns);
int LastCharPos(QChar c, const QString& text);

bool IsVideoLink(const QString& link);
bool IsAudioLink(const QString& link);
// Both answers at once, in one pass over an ASCII link.
struct TMediaKinds {
    bool video = false;
    bool audio = false;
};
TMediaKinds MediaKindsOf(const QString& link);
QString SitePrefix(const QString& url);
// The length of SitePrefix(url) when it is the start of url, else -1 (then
// it is the whole url and a backslash).
qsizetype SitePrefixLength(const QString& url);

// ASCII-only case folding and comparison.
QString AsciiUpper(const QString& text);
QString AsciiLower(const QString& text);
bool SameTextAscii(const QString& a, const QString& b);

// A trace line "hh:mm:ss:msec \t" + text on the debug channel.
void DebugTrace(const QString& text);
// printf-style variant for the fixed formats the program traces with.
void DebugTraceFmt(const char* format, const QString& argument);
// The time prefix of a trace line, "%2d:%2d:%2d:%4d \t".
QString TracePrefix(int hour, int minute, int second, int msec);

// Busy wait that keeps processing window events until ms have passed.
void Delay(int ms);
