#pragma once
// Dates of feed items, RFC 822 style ("Sun, 19 May 2002 15:21:36 GMT"), read
// with the program's own month table, which takes the German "Mai" and "Dez"
// beside the English names. Years follow RFC 2822: two digits are 2000-2049
// (00-49) or 1950-1999 (50-99), three digits add 1900, four stand as written.
// A known zone after the time (GMT, UT, UTC, Z, +hhmm/-hhmm, the US zones EST
// to PDT) turns the time into local time; no zone or an unknown one leaves it
// as written. What the RFC reading cannot take is tried as the local
// date-time text; failing that the result is now.
#include "model/DateTime.h"

TDateTime ParseNewsDate(const QString& d);

// A date-time in the form ParseNewsDate reads back to the same second:
// "Sun, 19 May 2002 15:21:36", English names, no zone (the value is local
// time already, so a round trip is exact even where the clocks change).
// "0" for 0 and for values with no such date.
QString FormatNewsDate(TDateTime value);
