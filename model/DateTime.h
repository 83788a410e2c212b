#pragma once
// Date-times are days since 30 December 1899 00:00 as a double, the fraction
// being the time of day, local time without zone; 0 stands for "never".
// All conversions go through these helpers.
#include <QDateTime>
#include <QString>

using TDateTime = double;

TDateTime ToDateTime(const QDateTime& dt);
TDateTime ToDateTime(const QDate& date, const QTime& time);
QDateTime FromDateTime(TDateTime value);
// The wall date and time of value, also where the local clock skips them
// (FromDateTime is then invalid); false for values with no date.
bool SplitDateTime(TDateTime value, QDate& date, QTime& time);
// Validated encode from parts; false when any part is out of range.
bool TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec,
                       TDateTime& result);
// Now, from the program's clock.
TDateTime NowDateTime();
// The whole-day part (the date at 00:00).
TDateTime DateOf(TDateTime value);

// The program's one local date-time text: "yyyy-MM-dd hh:mm:ss", the time left
// out when it is exactly midnight. The reader also takes a date alone and a
// time alone ("0", "15:20", "15:20:30"), which gives that time on day 0, and
// reads any text in linear time (dates come from feeds).
QString FormatLocalDateTime(TDateTime value);
bool ParseLocalDateTime(const QString& text, TDateTime& result);
// The date alone in the same form, for captions.
QString FormatLocalDate(const QDate& date);
