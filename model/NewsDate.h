#pragma once
// Dates of feed items, RFC 822 style ("Sun, 19 May 2002 15:21:36 GMT"), read
// with the program's own month table: the fifth and twelfth months are "Mai"
// and "Dez". Years below 2000 get 2000 added (so 02 is 2002 and 1999 is 3999).
// The zone is ignored. What the RFC reading cannot take is tried as the local
// date-time text; failing that the result is now.
#include "model/DateTime.h"

TDateTime ParseNewsDate(const QString& d);
