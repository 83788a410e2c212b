#pragma once
// The keep and show entries: what each stands for, and which entry a value
// in force checks.
//
// Rules kept here:
//  - A keep entry stands for a number of days (its tag through
//    KeepNewsDays: "1 week" keeps five), a show entry for a number of hours
//    (its tag).
//  - A value checks the entry that stands for exactly that value. A value no
//    entry stands for (a stored 7 or 12 days, 12 hours) checks the group's
//    extra entry, shown and captioned with the value itself ("12 days",
//    "< 12 h"); the extra entry hides again once an entry of its own is
//    checked. No entry ever claims a value it does not stand for.
#include <QString>

class QAction;
class QActionGroup;
class QObject;

enum class TAgeOption { Keep, Show };

// Days kept for a keep entry's tag; any tag but the six gives 5.
int KeepNewsDays(int tag);
// The value an entry of that kind and tag stands for.
int AgeOptionValue(TAgeOption kind, int tag);
// The extra entry's caption for a value (the named texts SKeepNewsDays and
// SShowNewsHours, filled in).
QString AgeOptionCaption(TAgeOption kind, int value);

// A radio group of the six entries in menu order, then the extra entry,
// hidden. Names are prefix + the entry's name ("ac" + "KeepNews1d"); the
// extra one is prefix + "KeepNewsOther" or "ShowNewsOther".
QActionGroup* NewAgeOptionGroup(QObject* owner, TAgeOption kind, const char* groupName, const char* prefix);
// Checks the entry of value in group (see the rules above) and returns it.
QAction* MarkAgeOption(QActionGroup* group, TAgeOption kind, int value);
// The entry of group that stands for value, nullptr when none does.
QAction* AgeOptionEntry(QActionGroup* group, TAgeOption kind, int value);
// The group's extra entry.
QAction* ExtraAgeOptionEntry(QActionGroup* group);
