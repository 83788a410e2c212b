#pragma once
// The counts after a feed's title in its caption: "(3)" when every item is
// new, else "(3 of 9)", the word between the counts being the organiser's
// named text SCountOf in the language shown.
//
// Rules kept here:
//  - Captions are stored as titles, so the counts of a stored caption may be
//    in the English word or in the word of the language shown: reading the
//    counts back accepts both.
//  - Counts are digits only, with one blank on each side of the word; the
//    word is compared exactly.
#include <QString>

// Where the word of the language shown lives (the organiser's named text);
// nullptr: the English "of". The text must outlive its use here.
void SetCountWordSource(const QString* word);
// The word between the counts in the language shown.
QString CountWord();
// "(3 of 9)" in the language shown.
QString CountPair(int newCount, int childCount);
// The number of characters of the counts that end caption ("(3)", "(3 of 9)"
// or the same with the word of the language shown), 0 when it ends in none.
qsizetype CountsLength(const QString& caption);
