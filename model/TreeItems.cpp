#include "model/TreeItems.h"

#include "model/NewsDate.h"
#include "platform/Clock.h"
#include "platform/Errors.h"
#include "text/TextTools.h"

#include <random>

namespace {
std::mt19937& Random()
{
    static std::mt19937 generator;
    return generator;
}
} // namespace

QString PlainForm(const QString& s)
{
    if (s.isEmpty() || (!s.contains('<') && !s.contains('&')))
        return s;
    return HTMLToText(s);
}

// A tree of 300,000 items holds 600,000 of these with the ticker's copies:
// the allocator's next size class up would cost 13 MB per 100,000 items.
static_assert(sizeof(TTreeItem) <= 192, "tree items are meant to stay small");

TTreeItem::TTreeItem() = default;

TTreeItem::TTreeItem(const QString& kind, const QString& title, const QString& link,
                     const QString& description, const QString& options, const QString& dateText)
{
    NewsType = kind;
    SetTitle(title);
    Link = link;
    IconIdx = -1;
    NewIndex = 0;
    if (!options.isEmpty()) {
        QString o = options;
        o.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        Options = o.split('\n');
        if (!Options.isEmpty() && Options.last().isEmpty())
            Options.removeLast();
    }
    SetDescription(description);
    TimeStamp = ParseNewsDate(dateText);
    LastShown = 0;
    FirstChild = 0;
    NextSibling = 0;
}

TTreeItem::~TTreeItem() = default;

void TTreeItem::Assign(const TTreeItem& other)
{
    RawTitle = other.RawTitle;
    Title = other.Title;
    rare = other.rare ? std::make_unique<TRareFields>(*other.rare) : nullptr;
    Description = other.Description;
    TimeStamp = other.TimeStamp;
    LastShown = other.LastShown;
    IconIdx = other.IconIdx;
    NewsType = other.NewsType;
    Link = other.Link;
    Options = other.Options;
    FirstChild = other.FirstChild;
    NextSibling = other.NextSibling;
}

void TTreeItem::SetTitle(const QString& s)
{
    RawTitle = s;
    Title = HTMLToText(s);
}

const QString& TTreeItem::Empty()
{
    static const QString empty;
    return empty;
}

TTreeItem::TRareFields& TTreeItem::Rare()
{
    if (!rare)
        rare = std::make_unique<TRareFields>();
    return *rare;
}

void TTreeItem::ForgetEmptyRare()
{
    if (rare && rare->RawText.isEmpty() && rare->Text.isEmpty() && rare->IconURL.isEmpty())
        rare.reset();
}

void TTreeItem::SetText(const QString& s)
{
    if (s.isEmpty() && !rare)
        return;
    TRareFields& r = Rare();
    r.RawText = s;
    // A note is the user's own text, not HTML: "a < b" and "&" stay as typed.
    r.Text = IsKind(kNote) ? s : PlainForm(s);
    ForgetEmptyRare();
}

void TTreeItem::SetStoredText(const QString& s)
{
    if (s.isEmpty() && !rare)
        return;
    TRareFields& r = Rare();
    r.RawText = s;
    r.Text = s;
    ForgetEmptyRare();
}

void TTreeItem::SetIconURL(const QString& url)
{
    if (url.isEmpty() && !rare)
        return;
    Rare().IconURL = url;
    ForgetEmptyRare();
}

void TTreeItem::SetDescription(const QString& s)
{
    Description = s;
}

QString TTreeItem::PlainDescription() const
{
    const QString text = Description;
    return IsKind(kNote) ? text : PlainForm(text);
}

bool TTreeItem::IsKind(const QString& kind) const
{
    return NewsType.compare(kind, Qt::CaseInsensitive) == 0;
}

int TTreeItem::OptionIndex(const QString& name) const
{
    for (int i = 0; i < Options.size(); ++i)
        if (Options[i].startsWith(name, Qt::CaseInsensitive))
            return i;
    return -1;
}

QString TTreeItem::GetOption(const QString& name) const
{
    const int i = OptionIndex(name);
    if (i < 0)
        return {};
    const QString& line = Options[i];
    const int eq = static_cast<int>(line.indexOf('='));
    return eq < 0 ? QString() : line.mid(eq + 1);
}

int TTreeItem::GetOptionInt(const QString& name, int def) const
{
    const QString v = GetOption(name);
    if (v.isEmpty())
        return def;
    bool ok = false;
    const int n = v.trimmed().toInt(&ok, 10);
    return ok ? n : def;
}

bool TTreeItem::GetOptionBool(const QString& name, bool def) const
{
    return (GetOptionInt(name, def ? 1 : 0) & 0xFF) != 0;
}

void TTreeItem::SetOption(const QString& name, const QString& value)
{
    const QString line = name + '=' + value;
    const int i = OptionIndex(name);
    if (i >= 0)
        Options[i] = line;
    else
        Options.append(line);
}

TTreeList::TTreeList()
{
    Random().seed(Clock().TickCount() ^ static_cast<quint32>(Clock().Now().toMSecsSinceEpoch()));
}

TTreeList::~TTreeList() { Clear(); }

int TTreeList::AddCopy(const TTreeItem& node)
{
    auto copy = std::make_unique<TTreeItem>();
    copy->Assign(node);
    items.push_back(std::move(copy));
    return Count() - 1;
}

void TTreeList::AddCopies(const TTreeList& other)
{
    items.reserve(items.size() + other.items.size());
    for (const auto& node : other.items)
        AddCopy(*node);
}

TTreeItem* TTreeList::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EQuorbelError(QStringLiteral("TreeList Range Error"));
    return items[static_cast<size_t>(index)].get();
}

TTreeItem* TTreeList::At(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return items[static_cast<size_t>(index)].get();
}

void TTreeList::Clear() { items.clear(); }

TIndexList TTreeList::RandomOrder() const
{
    TIndexList order;
    const int n = Count();
    if (n == 0)
        return order;
    order.reserve(static_cast<size_t>(n));
    std::uniform_int_distribution<qint32> pick(0, n - 1);
    for (int i = 0; i < n; ++i)
        order.push_back(pick(Random()));
    return order;
}

TMediaKinds ItemMediaKinds(const TTreeItem& item) { return ItemMediaKinds(item, MediaKindsOf(item.Link)); }

TMediaKinds ItemMediaKinds(const TTreeItem& item, TMediaKinds linkKinds)
{
    if (linkKinds.audio || linkKinds.video || item.Options.isEmpty())
        return linkKinds;
    const QString type = item.GetOption(kOptMediaType);
    if (type.isEmpty())
        return linkKinds;
    return {type.startsWith(QLatin1String("video/"), Qt::CaseInsensitive),
            type.startsWith(QLatin1String("audio/"), Qt::CaseInsensitive)};
}
