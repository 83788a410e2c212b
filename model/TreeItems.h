#pragma once
// The news node record and the owning node pool.
//
// Every node of the tree (folder, feed, news item, web link, file link, note)
// is a TTreeItem told apart by NewsType. NewsList, the pool of the running
// program, only grows or is refilled whole; the hierarchy lives in the
// organiser's tree view, whose nodes hold list indexes. FirstChild and
// NextSibling are valid only in a list just read from a container or just
// reordered by ReorderByTree.
//
// Invariants kept by the setters: Title is always HTMLToText(RawTitle); Text is
// RawText unless RawText holds "<" or "&" (then its conversion); likewise
// PlainDescription() for Description, made when asked. A note ("NTS") keeps
// both verbatim: its text is the user's, not HTML.
#include "model/DateTime.h"
#include "model/Utf8Text.h"
#include "text/TextTools.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QTreeWidget;
class QDataStream;

// Node kinds.
inline const QString kFolder = QStringLiteral("FLD");
inline const QString kFeed = QStringLiteral("RSH");
inline const QString kNewsItem = QStringLiteral("RSS");
inline const QString kWebLink = QStringLiteral("WEB");
inline const QString kFileLink = QStringLiteral("FIL");
inline const QString kNote = QStringLiteral("NTS");

// Feed option keys.
inline const QString kOptStorageDays = QStringLiteral("NSD");
inline const QString kOptShowDescription = QStringLiteral("SDR");
// The name a user gave a feed; the merges keep it in place of the channel's title.
inline const QString kOptUserName = QStringLiteral("UNM");
inline const QString kOptShowNewsFor = QStringLiteral("SNF");
// News item option: the declared audio or video type of an enclosure the item
// links to, kept when its address alone does not tell the kind.
inline const QString kOptMediaType = QStringLiteral("MED");

class TTreeItem {
public:
    TTreeItem();
    TTreeItem(const QString& kind, const QString& title, const QString& link,
              const QString& description, const QString& options, const QString& dateText);
    TTreeItem(const TTreeItem&) = delete;
    TTreeItem& operator=(const TTreeItem&) = delete;
    ~TTreeItem();

    void Assign(const TTreeItem& other);
    void SetTitle(const QString& s);
    void SetText(const QString& s);
    // Text and RawText as stored, taken as they are (not converted again).
    void SetStoredText(const QString& s);
    void SetIconURL(const QString& url);
    void SetDescription(const QString& s);

    int OptionIndex(const QString& name) const;
    QString GetOption(const QString& name) const;
    int GetOptionInt(const QString& name, int def) const;
    bool GetOptionBool(const QString& name, bool def) const;
    void SetOption(const QString& name, const QString& value);

    // Kind test ignoring case.
    bool IsKind(const QString& kind) const;

    QString RawTitle;
    QString Title;
    // Set on few nodes (notes, pasted text, feeds' and links' site icons),
    // so kept apart: a news item, which has none of them, is a size class
    // smaller, and so is each copy the ticker keeps.
    const QString& RawText() const { return rare ? rare->RawText : Empty(); }
    const QString& Text() const { return rare ? rare->Text : Empty(); }
    const QString& IconURL() const { return rare ? rare->IconURL : Empty(); }
    TUtf8Text Description; // reads as a QString; see Utf8Text.h
    // The plain form of Description, made when asked: most descriptions are
    // never shown, and making them all at load time costs a fifth of the
    // start-up and tens of megabytes.
    QString PlainDescription() const;
    TDateTime TimeStamp = 0;
    TDateTime LastShown = 0;
    QString NewsType;
    QString Link;
    QStringList Options;
    qint32 IconIdx = -1;
    qint32 FirstChild = -1;
    qint32 NextSibling = -1;
    qint32 NewIndex = 0;

private:
    struct TRareFields {
        QString RawText;
        QString Text;
        QString IconURL;
    };
    static const QString& Empty();
    TRareFields& Rare();
    // Drops the fields again once all are empty.
    void ForgetEmptyRare();
    std::unique_ptr<TRareFields> rare;
};

using TIndexList = std::vector<qint32>;

class TTreeList {
public:
    TTreeList();
    TTreeList(const TTreeList&) = delete;
    TTreeList& operator=(const TTreeList&) = delete;
    ~TTreeList();

    int Count() const { return static_cast<int>(items.size()); }
    int AddCopy(const TTreeItem& node);
    void AddCopies(const TTreeList& other);
    // Raises "TreeList Range Error" for an index outside 0..Count()-1.
    TTreeItem* Items(int index) const;
    // No raise: nullptr for a bad index.
    TTreeItem* At(int index) const;
    void Clear();
    // Exchanges the nodes of the two lists (indexes go with them).
    void Swap(TTreeList& other) { items.swap(other.items); }
    void Reserve(int count) { items.reserve(static_cast<size_t>(count)); }
    TIndexList RandomOrder() const;

    // Container and tree view translation; see Container.h.
    bool LoadContainer(const QString& fileName);
    bool SaveContainer(const QString& fileName) const;
    // With a branch, only that node and its descendants, as the one top-level record.
    void ReorderByTree(QTreeWidget* view, const class QTreeWidgetItem* branch = nullptr);
    // Fills this list with copies of source's nodes in the order and links of
    // the view (or the branch), as ReorderByTree would reorder source.
    void CopyByTree(const TTreeList& source, QTreeWidget* view, const class QTreeWidgetItem* branch = nullptr);
    void BuildTreeView(QTreeWidget* view) const;

private:
    std::vector<std::unique_ptr<TTreeItem>> items;
};

// Plain form of a raw text: unchanged without "<" and "&", else HTMLToText.
QString PlainForm(const QString& s);

// Whether an item's link is audio or video: its address (MediaKindsOf), else
// the enclosure type kept with it (kOptMediaType).
TMediaKinds ItemMediaKinds(const TTreeItem& item);
// The same for an address scanned already.
TMediaKinds ItemMediaKinds(const TTreeItem& item, TMediaKinds linkKinds);
