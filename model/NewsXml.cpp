#include "model/NewsXml.h"

#include "model/Container.h"
#include "model/DateTime.h"
#include "model/FeedCounts.h"
#include "model/NewsDate.h"
#include "model/ViewNodes.h"
#include "platform/Errors.h"
#include "text/TextTools.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QTreeWidget>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <array>
#include <deque>
#include <new>
#include <unistd.h>
#include <vector>

namespace {
const QString kDeclaration = QStringLiteral("<?xml version=\"1.0\" encoding =\"UTF-8\"?>");
const QString kRootName = QStringLiteral("Quorbel");
// Progress is offered at most this often.
constexpr qint64 kProgressSliceMs = 20;
// Indentation grows no further than this depth, so that the file of a very
// deep tree stays linear in its size (any indentation reads back the same).
constexpr int kCachedIndents = 17;

bool Fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

// Characters XML 1.0 can carry; the rest would make a file no reader takes.
bool IsXmlChar(char16_t c) { return c >= 0x20 ? c < 0xFFFE : (c == '\t' || c == '\n' || c == '\r'); }

// text without characters XML cannot hold (lone surrogates included); the
// text itself, shared, when it has none.
QString XmlSafe(const QString& text)
{
    const qsizetype n = text.size();
    const QChar* p = text.constData();
    qsizetype i = 0;
    for (; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (!IsXmlChar(c))
            break;
        if (QChar::isSurrogate(c)) {
            if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1].unicode()))
                ++i;
            else
                break;
        }
    }
    if (i == n)
        return text;
    QString clean;
    clean.reserve(n);
    clean.append(p, i);
    for (; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (!IsXmlChar(c))
            continue;
        if (QChar::isSurrogate(c)) {
            if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1].unicode())) {
                clean.append(p + i, 2);
                ++i;
            }
            continue;
        }
        clean.append(p[i]);
    }
    return clean;
}

const TTreeItem* ItemOf(const TTreeList& list, const QTreeWidgetItem* node)
{
    if (!node)
        return nullptr;
    const qint64 data = NodeDataValue(node);
    return data >= 0 && data < list.Count() ? list.At(static_cast<int>(data)) : nullptr;
}

// ------------------------------------------------------------------ reading

// Element names the walk asks for have fixed ids; others get ids from kNode
// up, only to tell them apart.
enum TName : qint32 {
    kTitle,
    kNewsType,
    kLink,
    kDescription,
    kOptions,
    kTimeStamp,
    kLastShown,
    kText,
    kIconIdx,
    kIconURL,
    kFieldCount,
    kNode = kFieldCount,
    kFirstOtherName,
};
const char* const kKnownNames[] = {"Title",     "Options", "TimeStamp", "NewsType", "Link", "Description",
                                   "LastShown", "Text",    "IconIdx",   "IconURL",  "node"};
const TName kKnownIds[] = {kTitle,     kOptions, kTimeStamp, kNewsType, kLink, kDescription,
                           kLastShown, kText,    kIconIdx,   kIconURL,  kNode};

// Only what the walk needs: name, text of elements without child elements,
// and the links. A deque, so growing never copies the elements read so far.
struct TElement {
    qint32 name;
    qint32 parent;
    qint32 firstChild = -1;
    qint32 nextSibling = -1;
    QString text;
};

class TElementTree {
public:
    std::deque<TElement> elements;

    qint32 NameId(QStringView name)
    {
        for (size_t i = 0; i < std::size(kKnownNames); ++i)
            if (name == QLatin1String(kKnownNames[i]))
                return kKnownIds[i];
        const QString key = name.toString();
        auto found = otherNames.constFind(key);
        if (found != otherNames.constEnd())
            return *found;
        const qint32 id = kFirstOtherName + static_cast<qint32>(otherNames.size());
        otherNames.insert(key, id);
        return id;
    }

private:
    QHash<QString, qint32> otherNames;
};

class TProgress {
public:
    explicit TProgress(const std::function<void(const QString&)>& report) : report(report) {}
    void Offer(const QString& title)
    {
        if (!report)
            return;
        if (slice.isValid() && slice.elapsed() < kProgressSliceMs)
            return;
        report(title);
        slice.restart();
    }

private:
    const std::function<void(const QString&)>& report;
    QElapsedTimer slice;
};

// Streams the file into tree; element 0 is the root. Raises with the
// parser's message or ours.
void ParseElements(const QString& fileName, TElementTree& tree, TProgress& progress)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EQuorbelError(file.errorString());
    QXmlStreamReader reader(&file);
    // Open elements, each with its child placed last.
    struct Open {
        qint32 element;
        qint32 lastChild;
    };
    std::vector<Open> open;
    std::array<QString, kFieldCount> lastTexts;
    auto& elements = tree.elements;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (elements.empty() && reader.qualifiedName().compare(kRootName, Qt::CaseInsensitive) != 0)
                throw EQuorbelError(QStringLiteral("The root element is not \"%1\"").arg(kRootName));
            const qint32 id = static_cast<qint32>(elements.size());
            const qint32 parent = open.empty() ? -1 : open.back().element;
            elements.push_back({tree.NameId(reader.qualifiedName()), parent, -1, -1, QString()});
            if (parent >= 0) {
                TElement& p = elements[static_cast<size_t>(parent)];
                if (open.back().lastChild >= 0)
                    elements[static_cast<size_t>(open.back().lastChild)].nextSibling = id;
                else
                    p.firstChild = id;
                p.text.clear(); // an element with children has no field text
                open.back().lastChild = id;
            }
            open.push_back({id, -1});
            break;
        }
        case QXmlStreamReader::Characters:
            if (!open.empty()) {
                TElement& e = elements[static_cast<size_t>(open.back().element)];
                if (e.firstChild < 0) {
                    const QStringView text = reader.text();
                    if (!e.text.isEmpty()) {
                        e.text.append(text);
                    } else if (e.name < kFieldCount) {
                        // Field values repeat from node to node ("0", "RSS",
                        // an icon index): share the last one rather than
                        // allocate again, which keeps a long read small.
                        QString& last = lastTexts[static_cast<size_t>(e.name)];
                        if (text != last)
                            last = text.toString();
                        e.text = last;
                    } else {
                        e.text = text.toString();
                    }
                }
            }
            break;
        case QXmlStreamReader::EndElement: {
            const TElement& e = elements[static_cast<size_t>(open.back().element)];
            if (e.name == kTitle)
                progress.Offer(e.text);
            open.pop_back();
            break;
        }
        default:
            break;
        }
    }
    if (reader.hasError())
        throw EQuorbelError(QStringLiteral("%1 (line %2, column %3)")
                                .arg(reader.errorString())
                                .arg(reader.lineNumber())
                                .arg(reader.columnNumber()));
    if (elements.empty())
        throw EQuorbelError(QStringLiteral("The file holds no root element"));
}

// The first child element of each field name, and the first "node" child.
struct TFields {
    std::array<qint32, kFieldCount> field;
    qint32 firstNode = -1;
};

class TWalk {
public:
    TWalk(TElementTree& tree, TTreeList& list, TProgress& progress)
        : elements(tree.elements), list(list), progress(progress)
    {
    }

    void Run(qint32 e)
    {
        qint32 a = -1; // the anchor record, -1 none
        for (;;) {
            TFields f = Scan(e);
            const QString title = Text(f, kTitle);
            progress.Offer(title);
            if (!IsBlank(title))
                a = Create(f, a >= 0 ? records.Parent(a) : -1);
            while (f.firstNode >= 0) {
                e = f.firstNode;
                f = Scan(e);
                a = Create(f, a);
                progress.Offer(list.At(a)->Title);
            }
            if (At(e).nextSibling >= 0) {
                e = At(e).nextSibling;
                continue;
            }
            // Climb to the nearest ancestor with a following sibling; the
            // anchor climbs along but never above the top level.
            e = At(e).parent;
            if (a >= 0)
                a = records.Parent(a);
            while (e >= 0 && At(e).nextSibling < 0) {
                e = At(e).parent;
                if (a >= 0 && records.Parent(a) >= 0)
                    a = records.Parent(a);
            }
            if (e < 0)
                return;
            e = At(e).nextSibling;
        }
    }

private:
    TElement& At(qint32 e) { return elements[static_cast<size_t>(e)]; }

    TFields Scan(qint32 e)
    {
        TFields f;
        f.field.fill(-1);
        for (qint32 c = At(e).firstChild; c >= 0; c = At(c).nextSibling) {
            const qint32 name = At(c).name;
            if (name < kFieldCount) {
                if (f.field[static_cast<size_t>(name)] < 0)
                    f.field[static_cast<size_t>(name)] = c;
            } else if (name == kNode && f.firstNode < 0) {
                f.firstNode = c;
            }
        }
        return f;
    }

    QString Text(const TFields& f, TName name)
    {
        const qint32 c = f.field[static_cast<size_t>(name)];
        if (c < 0)
            return QString();
        if (At(c).firstChild >= 0)
            throw EQuorbelError(QStringLiteral("field element holds elements"));
        return At(c).text;
    }

    // A node from a "node" element's fields, placed as the last child of
    // parent (-1: the top level); returns its record.
    qint32 Create(const TFields& f, qint32 parent)
    {
        TTreeItem item(Text(f, kNewsType), Text(f, kTitle), Text(f, kLink), Text(f, kDescription),
                       Text(f, kOptions), Text(f, kTimeStamp));
        item.SetText(Text(f, kText));
        bool ok = false;
        const int icon = Text(f, kIconIdx).trimmed().toInt(&ok);
        item.IconIdx = ok ? icon : -1;
        item.SetIconURL(Text(f, kIconURL));
        TDateTime shown = 0;
        const QString shownText = Text(f, kLastShown);
        item.LastShown = !IsBlank(shownText) && ParseLocalDateTime(shownText, shown) ? shown : 0;
        // The item shares what it keeps; the rest need not wait for the end.
        for (qint32 c : f.field)
            if (c >= 0)
                At(c).text.clear();
        return records.Append(item, parent);
    }

    std::deque<TElement>& elements;
    TTreeList& list;
    TProgress& progress;
    TLinkedAppender records{list};
};

// ------------------------------------------------------------------ writing

void WriteFields(TXmlFileWriter& out, const TTreeItem& item)
{
    out.TextElement(QStringLiteral("Title"), item.IsKind(kFeed) ? TitleWithoutCount(item.Title) : item.Title);
    out.TextElement(QStringLiteral("NewsType"), item.NewsType);
    if (!IsBlank(item.Link))
        out.TextElement(QStringLiteral("Link"), item.Link);
    if (!IsBlank(item.Description))
        out.TextElement(QStringLiteral("Description"), item.Description);
    if (!item.Options.isEmpty()) {
        // One line per option; the newlines become the file's CR LF line ends.
        QString options;
        for (const QString& line : item.Options)
            options += line + '\n';
        if (!IsBlank(options))
            out.TextElement(QStringLiteral("Options"), options);
    }
    // A news item keeps its date, so its age survives the trip; everything
    // else is "0": an imported feed is fetched afresh.
    out.TextElement(QStringLiteral("TimeStamp"),
                    item.IsKind(kNewsItem) ? FormatNewsDate(item.TimeStamp) : QStringLiteral("0"));
    if (item.IsKind(kNewsItem))
        out.TextElement(QStringLiteral("LastShown"), FormatLocalDateTime(item.LastShown));
    if (!IsBlank(item.Text()))
        out.TextElement(QStringLiteral("Text"), item.Text());
    out.TextElement(QStringLiteral("IconIdx"), QString::number(item.IconIdx));
    if ((item.IsKind(kFeed) || item.IsKind(kWebLink)) && !item.IconURL().isEmpty())
        out.TextElement(QStringLiteral("IconURL"), item.IconURL());
}
} // namespace

// ------------------------------------------------------------ public reading

bool ReadGuarded(TTreeList& list, QString* error, const std::function<void()>& read)
{
    list.Clear();
    try {
        read();
        return true;
    } catch (const EQuorbelError& e) {
        list.Clear();
        return Fail(error, e.Message());
    } catch (const std::bad_alloc&) {
        list.Clear();
        return Fail(error, QStringLiteral("Out of memory"));
    }
}

bool ReadNewsXml(const QString& fileName, TTreeList& list, QString* error,
                 const std::function<void(const QString&)>& progress)
{
    return ReadGuarded(list, error, [&] {
        TProgress offer(progress);
        TElementTree tree;
        ParseElements(fileName, tree, offer);
        const qint32 first = tree.elements.front().firstChild;
        if (first < 0)
            throw EQuorbelError(QStringLiteral("The \"%1\" element holds no elements").arg(kRootName));
        TWalk(tree, list, offer).Run(first);
        if (list.Count() == 0)
            throw EQuorbelError(QStringLiteral("The file holds no node"));
    });
}

// ------------------------------------------------------------ public writing

QString TitleWithoutCount(const QString& title)
{
    const qsizetype counts = CountsLength(title);
    if (counts == 0)
        return title;
    qsizetype end = title.size() - counts;
    while (end > 0 && title[end - 1].unicode() <= ' ')
        --end;
    return end > 0 ? title.left(end) : title;
}

bool DescendInto(const TTreeItem& item, const TTreeItem* firstChildItem, int newsStorageDuration)
{
    const bool keptForever = item.GetOptionInt(kOptStorageDays, newsStorageDuration) == 0;
    if (item.IsKind(kFeed) || keptForever)
        return firstChildItem && (!firstChildItem->IsKind(kNewsItem) || keptForever);
    return true;
}

void WalkForWriting(QTreeWidget* view, const TTreeList& list, const QTreeWidgetItem* start,
                    const std::function<bool(const QTreeWidgetItem*, const TTreeItem&)>& enter,
                    const std::function<void()>& leave)
{
    // Depth-first pre-order with an explicit stack; a level whose parent was
    // entered calls leave when it is done.
    struct Level {
        const QTreeWidgetItem* parent; // nullptr: the view's top level
        int nextChild;
        bool entered;
    };
    std::vector<Level> stack;
    const auto visit = [&](const QTreeWidgetItem* node) {
        const TTreeItem* item = ItemOf(list, node);
        if (!node->text(0).isEmpty() && item && enter(node, *item))
            stack.push_back({node, 0, true});
    };
    if (start)
        visit(start);
    else if (view)
        stack.push_back({nullptr, 0, false});
    while (!stack.empty()) {
        Level& level = stack.back();
        const int count = level.parent ? level.parent->childCount() : view->topLevelItemCount();
        if (level.nextChild >= count) {
            const bool entered = level.entered;
            stack.pop_back();
            if (entered)
                leave();
            continue;
        }
        const QTreeWidgetItem* node =
            level.parent ? level.parent->child(level.nextChild) : view->topLevelItem(level.nextChild);
        ++level.nextChild;
        visit(node); // may grow the stack: level is not used after this
    }
}

bool SaveToXml(QTreeWidget* view, const TTreeList& list, const QString& fileName, bool selectionOnly,
               int newsStorageDuration, QString* error)
{
    const QTreeWidgetItem* start = selectionOnly ? SelectedNode(view) : nullptr;
    if (selectionOnly && !start)
        return Fail(error, QStringLiteral("No node selected"));
    return SaveToXml(view, list, fileName, start, newsStorageDuration, error);
}

bool SaveToXml(QTreeWidget* view, const TTreeList& list, const QString& fileName,
               const QTreeWidgetItem* start, int newsStorageDuration, QString* error)
{
    if (!view)
        return Fail(error, QStringLiteral("No tree to save"));

    TXmlFileWriter out(fileName);
    if (!out.Open(kDeclaration, error))
        return false;
    out.StartElement(kRootName);

    WalkForWriting(
        view, list, start,
        [&](const QTreeWidgetItem* node, const TTreeItem& item) {
            out.StartElement(QStringLiteral("node"));
            WriteFields(out, item);
            if (node->childCount() > 0 && DescendInto(item, ItemOf(list, node->child(0)), newsStorageDuration))
                return true; // closed by leave
            out.EndElement();
            return false;
        },
        [&out] { out.EndElement(); });
    out.EndElement();
    return out.Commit(error);
}

// ----------------------------------------------------------- TLinkedAppender

qint32 TLinkedAppender::Append(const TTreeItem& item, qint32 parent)
{
    const qint32 index = list.AddCopy(item);
    TTreeItem* record = list.At(index);
    record->FirstChild = -1;
    record->NextSibling = -1;
    parents.push_back(parent);
    lastChildren.push_back(-1);
    qint32& last = parent >= 0 ? lastChildren[static_cast<size_t>(parent - base)] : lastTop;
    if (last >= 0)
        list.At(last)->NextSibling = index;
    else if (parent >= 0)
        list.At(parent)->FirstChild = index;
    last = index;
    return index;
}

// ------------------------------------------------------------ TXmlFileWriter

struct TXmlFileWriter::State {
    explicit State(const QString& fileName) : fileName(fileName), file(fileName) {}

    // A line break and the indentation of depth.
    void NewLine(int depth)
    {
        depth = std::min(depth, kCachedIndents - 1);
        QString& indent = indents[static_cast<size_t>(depth)];
        if (indent.isEmpty())
            indent = QStringLiteral("\r\n") + QString(2 * depth, ' ');
        writer.writeCharacters(indent);
    }

    // A newline is written as a CR LF line end and a carriage return as a
    // character reference: read back, both are what they were.
    void Content(const QString& value)
    {
        const QString text = XmlSafe(value);
        if (!text.contains('\n') && !text.contains('\r')) {
            writer.writeCharacters(text);
            return;
        }
        QString run;
        run.reserve(text.size() + 16);
        for (QChar c : text) {
            if (c == '\r') {
                if (!run.isEmpty())
                    writer.writeCharacters(run);
                run.clear();
                writer.writeEntityReference(QStringLiteral("#13"));
            } else if (c == '\n') {
                run += QLatin1String("\r\n");
            } else {
                run += c;
            }
        }
        if (!run.isEmpty())
            writer.writeCharacters(run);
    }

    QString fileName;
    QSaveFile file;
    QXmlStreamWriter writer;
    std::vector<bool> hasChildren; // per open element
    std::array<QString, kCachedIndents> indents;
    bool opened = false;
};

TXmlFileWriter::TXmlFileWriter(const QString& fileName) : d(std::make_unique<State>(fileName)) {}

TXmlFileWriter::~TXmlFileWriter() = default; // an uncommitted QSaveFile removes its temporary file

bool TXmlFileWriter::Open(const QString& declaration, QString* error)
{
    if (!d->file.open(QIODevice::WriteOnly))
        return Fail(error, d->file.errorString());
    // The declaration is written as is (the writer's own has no blank before
    // "="); the root element's line break ends its line.
    const QByteArray first = declaration.toUtf8();
    if (d->file.write(first) != first.size())
        return Fail(error, d->file.errorString());
    d->writer.setDevice(&d->file);
    d->opened = true;
    return true;
}

void TXmlFileWriter::StartElement(const QString& name)
{
    if (!d->hasChildren.empty())
        d->hasChildren.back() = true;
    d->NewLine(static_cast<int>(d->hasChildren.size()));
    d->writer.writeStartElement(name);
    d->hasChildren.push_back(false);
}

void TXmlFileWriter::Attribute(const QString& name, const QString& value)
{
    d->writer.writeAttribute(name, XmlSafe(value));
}

void TXmlFileWriter::TextElement(const QString& name, const QString& value)
{
    if (!d->hasChildren.empty())
        d->hasChildren.back() = true;
    d->NewLine(static_cast<int>(d->hasChildren.size()));
    d->writer.writeStartElement(name);
    d->Content(value);
    d->writer.writeEndElement();
}

void TXmlFileWriter::EndElement()
{
    if (d->hasChildren.empty())
        return;
    const bool children = d->hasChildren.back();
    d->hasChildren.pop_back();
    if (children)
        d->NewLine(static_cast<int>(d->hasChildren.size()));
    d->writer.writeEndElement();
}

bool TXmlFileWriter::Commit(QString* error)
{
    if (!d->opened)
        return Fail(error, QStringLiteral("The file is not open"));
    while (!d->hasChildren.empty())
        EndElement();
    if (d->writer.hasError() || d->file.write("\r\n", 2) != 2 || !d->file.flush() ||
        ::fsync(d->file.handle()) != 0) {
        const QString message = d->file.errorString();
        d->file.cancelWriting();
        return Fail(error, message.isEmpty() ? QStringLiteral("Error writing file") : message);
    }
    if (!d->file.commit())
        return Fail(error, d->file.errorString());
    SyncFolderOf(d->fileName);
    return true;
}
