#pragma once
// Dates of Atom and JSON feeds: RFC 3339 ("2026-12-10T09:30:00Z",
// "2026-12-10T10:30:00.250+01:00"), kept apart from ParseNewsDate so that no
// date an RSS feed gives reads differently.
//
// Rules kept here:
//  - Date, "T" (or "t" or a blank), time with optional seconds and a fraction
//    of any length (milliseconds kept), then "Z", "+hh:mm", "-hh:mm" or
//    "+hhmm". A zone turns the time into local time; a date-time without zone
//    stays as written, as does a date alone (at midnight).
//  - A leap second (":60") reads as ":59". Anything else out of range (month
//    13, 30 February, year 0, zone +24:00), or any other text, is not an RFC
//    3339 date.
//  - ParseFeedDate falls back to ParseNewsDate, so an RSS-style date in an Atom
//    feed still reads, and an unreadable date reads as now.
#include "model/DateTime.h"

bool ParseRfc3339Date(const QString& text, TDateTime& result);
TDateTime ParseFeedDate(const QString& text);
