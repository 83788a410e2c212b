#include "organiser/AgeOptionGroups.h"

#include "organiser/InterfaceTexts.h"
#include "text/TextTools.h"
#include "widgets/Menus.h"

#include <QAction>
#include <QActionGroup>

namespace {
struct TEntry {
    const char* name;
    const char* caption;
    int tag;
};
// Menu order.
const TEntry kKeepEntries[] = {
    {"KeepNewsNever", "Never", 5}, {"KeepNews1d", "1 day", 0},   {"KeepNews5d", "1 week", 1},
    {"KeepNews1m", "1 month", 2},  {"KeepNews6m", "6 month", 3}, {"KeepNewsAlw", "Ever", 4},
};
const TEntry kShowEntries[] = {
    {"ShowNewsNever", "Never", -1}, {"ShowNews3h", "< 3 h", 3},     {"ShowNews6h", "< 6 h", 6},
    {"ShowNews1d", "< 1 day", 24},  {"ShowNews3d", "< 3 days", 72}, {"ShowAllNews", "Always", 0},
};

// The six entries carry their tag; the extra one carries none.
bool IsExtra(const QAction* action) { return !action->data().isValid(); }
} // namespace

int KeepNewsDays(int tag)
{
    switch (tag) {
    case 0: return 1;
    case 1: return 5; // "1 week" keeps five days
    case 2: return 30;
    case 3: return 180;
    case 4: return 0;
    case 5: return -1;
    default: return 5;
    }
}

int AgeOptionValue(TAgeOption kind, int tag) { return kind == TAgeOption::Keep ? KeepNewsDays(tag) : tag; }

QString AgeOptionCaption(TAgeOption kind, int value)
{
    return FormatNumber(kind == TAgeOption::Keep ? OrganiserTexts.SKeepNewsDays : OrganiserTexts.SShowNewsHours,
                        value);
}

QActionGroup* NewAgeOptionGroup(QObject* owner, TAgeOption kind, const char* groupName, const char* prefix)
{
    auto* group = new QActionGroup(owner);
    group->setObjectName(QString::fromLatin1(groupName));
    group->setExclusive(true);
    auto add = [&](const char* name, const QString& caption) {
        const QByteArray fullName = QByteArray(prefix) + name;
        QAction* action = NewOption(owner, fullName.constData(), caption);
        group->addAction(action);
        return action;
    };
    for (const TEntry& entry : kind == TAgeOption::Keep ? kKeepEntries : kShowEntries)
        add(entry.name, QString::fromLatin1(entry.caption))->setData(entry.tag);
    add(kind == TAgeOption::Keep ? "KeepNewsOther" : "ShowNewsOther", QString())->setVisible(false);
    return group;
}

QAction* AgeOptionEntry(QActionGroup* group, TAgeOption kind, int value)
{
    for (QAction* action : group->actions())
        if (!IsExtra(action) && AgeOptionValue(kind, action->data().toInt()) == value)
            return action;
    return nullptr;
}

QAction* ExtraAgeOptionEntry(QActionGroup* group)
{
    for (QAction* action : group->actions())
        if (IsExtra(action))
            return action;
    return nullptr;
}

QAction* MarkAgeOption(QActionGroup* group, TAgeOption kind, int value)
{
    QAction* extra = ExtraAgeOptionEntry(group);
    QAction* entry = AgeOptionEntry(group, kind, value);
    if (!entry) {
        entry = extra;
        extra->setText(AgeOptionCaption(kind, value));
        extra->setVisible(true);
    }
    entry->setChecked(true);
    if (entry != extra)
        extra->setVisible(false);
    return entry;
}
