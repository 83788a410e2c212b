#pragma once
// HTML character references, read as HTML reads them in text.
//
//  - A named reference is "&" and a name of the standard's table with its
//    ";", or, for the names HTML also accepts bare (the old Latin-1 ones such
//    as "amp", "lt", "copy", "eacute"), without it. The longest name wins:
//    "&notin;" is one sign, "&notit;" is "not" and "it;".
//  - A numeric reference is "&#" with decimal digits or "&#x" ("&#X") with
//    hexadecimal digits, the ";" optional. 0, surrogates and code points past
//    U+10FFFF read as U+FFFD; 128 to 159 as Windows-1252, as HTML does.
//  - Anything else after "&" is no reference: the "&" stays as it is.
//  - A value is never longer than the reference it replaces, so a text can
//    be decoded in place.
#include <QtGlobal>

struct TCharRef {
    qsizetype length = 0; // characters of the reference, "&" included; 0: none
    int valueLength = 0;  // UTF-16 units in value
    char16_t value[2] = {0, 0};
};

// The reference starting at p (p < end, *p is "&").
TCharRef ReadCharRef(const char16_t* p, const char16_t* end);
