#include "model/Container.h"

#include "app/NewsGlobals.h"
#include "model/Inflater.h"
#include "model/ViewNodes.h"
#include "platform/Encoding.h"
#include "platform/Errors.h"
#include "text/TextTools.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSaveFile>
#include <QTreeWidget>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>
#include <memory>
#include <vector>
#include <zlib.h>

namespace {
// Compressed bytes gathered before each write.
constexpr qsizetype kOutputChunk = 256 * 1024;
// Files from this size on are inflated ahead on a second thread.
constexpr qint64 kReadAheadSize = 1024 * 1024;
// Records are gathered into chunks this large before deflate sees them, so the
// compressor is called a few dozen times per megabyte rather than per field.
constexpr qsizetype kWriteChunk = 1024 * 1024;
// BuildTreeView lets queued events run at most this often.
constexpr qint64 kEventSliceMs = 20;

[[noreturn]] void ReadError() { throw EQuorbelError(QStringLiteral("Error reading stream")); }
[[noreturn]] void WriteError() { throw EQuorbelError(QStringLiteral("Error writing stream")); }

bool IsAscii(const char* p, qsizetype n)
{
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 w;
        std::memcpy(&w, p + i, 8);
        if (w & 0x8080808080808080ULL)
            return false;
    }
    for (; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) & 0x80)
            return false;
    return true;
}

QString DecodeStored(const QByteArray& bytes)
{
    if (IsAscii(bytes.constData(), bytes.size()))
        return QString::fromLatin1(bytes);
    return DecodeText(bytes);
}

bool SameAsciiName(const QByteArray& bytes, const char* name)
{
    const qsizetype n = static_cast<qsizetype>(std::strlen(name));
    if (bytes.size() != n)
        return false;
    for (qsizetype i = 0; i < n; ++i) {
        char a = bytes[i];
        char b = name[i];
        if (a >= 'a' && a <= 'z')
            a = static_cast<char>(a - 32);
        if (b >= 'a' && b <= 'z')
            b = static_cast<char>(b - 32);
        if (a != b)
            return false;
    }
    return true;
}

QStringList OptionLines(const QString& text)
{
    if (text.isEmpty())
        return {};
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = t.split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString OptionText(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}

QByteArray CutAtCharBoundary(QByteArray bytes, qsizetype maxBytes)
{
    if (bytes.size() <= maxBytes)
        return bytes;
    qsizetype cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
        --cut;
    bytes.truncate(cut);
    return bytes;
}

} // namespace

int ContainerVersion(const QString& header)
{
    if (SameTextAscii(header, QStringLiteral("Vom 1.0")))
        return 1;
    if (SameTextAscii(header, QStringLiteral("1.0")))
        return 0;
    return -1;
}

QByteArray LimitedUtf8(const QString& text, qsizetype maxBytes)
{
    return CutAtCharBoundary(text.toUtf8(), maxBytes);
}

// ---------------------------------------------------------------- reading

struct TContainerReader::State {
    std::unique_ptr<TInflater> direct;
    std::unique_ptr<TReadAhead> ahead;
    bool streamEnd = false;
    QByteArray out;
    const char* pos = nullptr;
    const char* end = nullptr;
    qint64 limit = 0;    // the most payload the file may hold
    qint64 received = 0; // payload bytes inflated into out so far

    // Payload bytes that may still follow the read position.
    qint64 Remaining() const { return limit - (received - (end - pos)); }
};

TContainerReader::TContainerReader(QIODevice& source, bool readAhead) : d(std::make_unique<State>())
{
    // Of a source whose size is unknown the inflater alone keeps the bound.
    d->limit = source.isSequential() ? std::numeric_limits<qint64>::max() : PayloadLimit(source.size());
    if (readAhead) {
        d->ahead = std::make_unique<TReadAhead>(source);
    } else {
        d->direct = std::make_unique<TInflater>(source);
        d->out.resize(kInflateOutputChunk);
    }
}

TContainerReader::~TContainerReader() = default;

bool TContainerReader::Fill()
{
    State& s = *d;
    if (s.streamEnd)
        return false;
    if (s.ahead) {
        s.out = s.ahead->Next();
        if (s.out.isEmpty()) {
            s.streamEnd = true;
            return false;
        }
        s.pos = s.out.constData();
        s.end = s.pos + s.out.size();
        s.received += s.out.size();
        return true;
    }
    const qsizetype produced = s.direct->Next(s.out.data(), s.out.size());
    if (produced == 0) {
        s.streamEnd = true;
        return false;
    }
    s.pos = s.out.constData();
    s.end = s.pos + produced;
    s.received += produced;
    return true;
}

bool TContainerReader::AtEnd() { return d->pos == d->end && !Fill(); }

bool TContainerReader::TrailingData()
{
    if (!d->streamEnd)
        return false;
    return d->ahead ? d->ahead->Trailing() : d->direct->Trailing();
}

void TContainerReader::ReadBytes(char* data, qsizetype count)
{
    State& s = *d;
    while (count > 0) {
        if (s.pos == s.end && !Fill())
            ReadError(); // the payload ends inside a field
        const qsizetype n = std::min<qsizetype>(count, s.end - s.pos);
        std::memcpy(data, s.pos, static_cast<size_t>(n));
        s.pos += n;
        data += n;
        count -= n;
    }
}

qint32 TContainerReader::ReadInt32()
{
    char b[4];
    if (d->end - d->pos >= 4) {
        std::memcpy(b, d->pos, 4);
        d->pos += 4;
    } else {
        ReadBytes(b, 4);
    }
    return qFromLittleEndian<qint32>(b);
}

double TContainerReader::ReadDouble()
{
    char b[8];
    ReadBytes(b, 8);
    const quint64 bits = qFromLittleEndian<quint64>(b);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QByteArray TContainerReader::ReadStringBytes()
{
    const qint32 n = ReadInt32();
    // A string longer than the rest the payload can hold is damage, found
    // before anything is allocated for it.
    if (n < 0 || n > kMaxContainerString || n > d->Remaining())
        ReadError();
    if (n == 0)
        return {};
    if (d->end - d->pos >= n) {
        QByteArray bytes(d->pos, n);
        d->pos += n;
        return bytes;
    }
    // Grown as the bytes arrive: a stream that ends early never costs the
    // length it announced.
    QByteArray bytes;
    qsizetype missing = n;
    while (missing > 0) {
        if (d->pos == d->end && !Fill())
            ReadError();
        const qsizetype take = std::min<qsizetype>(missing, d->end - d->pos);
        bytes.append(d->pos, take);
        d->pos += take;
        missing -= take;
    }
    return bytes;
}

QString TContainerReader::ReadString()
{
    // Most strings lie whole in the inflated chunk: decode them in place.
    if (d->end - d->pos >= 4) {
        const qint32 n = qFromLittleEndian<qint32>(d->pos);
        if (n >= 0 && n <= d->end - d->pos - 4) {
            const char* bytes = d->pos + 4;
            d->pos += 4 + n;
            if (IsAscii(bytes, n))
                return QString::fromLatin1(bytes, n);
            return DecodeText(QByteArray::fromRawData(bytes, n));
        }
    }
    return DecodeStored(ReadStringBytes());
}

// ---------------------------------------------------------------- writing

struct TContainerWriter::State {
    explicit State(QIODevice& sink) : sink(sink) {}
    ~State()
    {
        if (initialised)
            deflateEnd(&zs);
    }
    QIODevice& sink;
    z_stream zs{};
    bool initialised = false;
    QByteArray buffer;
    qsizetype used = 0;
    QByteArray out;
};

TContainerWriter::TContainerWriter(QIODevice& sink) : d(std::make_unique<State>(sink))
{
    d->buffer.resize(kWriteChunk);
    d->out.resize(kOutputChunk);
    if (deflateInit(&d->zs, 9) != Z_OK)
        WriteError();
    d->initialised = true;
}

TContainerWriter::~TContainerWriter() = default;

void TContainerWriter::Deflate(const char* data, qsizetype count, int flush)
{
    State& s = *d;
    s.zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    s.zs.avail_in = static_cast<uInt>(count);
    for (;;) {
        s.zs.next_out = reinterpret_cast<Bytef*>(s.out.data());
        s.zs.avail_out = static_cast<uInt>(s.out.size());
        const int ret = deflate(&s.zs, flush);
        if (ret == Z_STREAM_ERROR)
            WriteError();
        const qint64 have = s.out.size() - static_cast<qint64>(s.zs.avail_out);
        if (have > 0 && s.sink.write(s.out.constData(), have) != have)
            WriteError();
        if (flush == Z_FINISH ? ret == Z_STREAM_END : s.zs.avail_out != 0)
            break;
    }
}

void TContainerWriter::FlushBuffer(int flush)
{
    Deflate(d->buffer.constData(), d->used, flush);
    d->used = 0;
}

void TContainerWriter::WriteBytes(const char* data, qsizetype count)
{
    State& s = *d;
    if (count >= s.buffer.size()) {
        // A large string goes to deflate directly instead of through the chunk.
        FlushBuffer(Z_NO_FLUSH);
        Deflate(data, count, Z_NO_FLUSH);
        return;
    }
    if (s.used + count > s.buffer.size())
        FlushBuffer(Z_NO_FLUSH);
    std::memcpy(s.buffer.data() + s.used, data, static_cast<size_t>(count));
    s.used += count;
}

void TContainerWriter::WriteInt32(qint32 value)
{
    char b[4];
    qToLittleEndian<qint32>(value, b);
    WriteBytes(b, 4);
}

void TContainerWriter::WriteDouble(double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    char b[8];
    qToLittleEndian<quint64>(bits, b);
    WriteBytes(b, 8);
}

void TContainerWriter::WriteStringBytes(const QByteArray& bytes)
{
    if (bytes.size() > kMaxContainerString) {
        WriteStringBytes(CutAtCharBoundary(bytes, kMaxContainerString));
        return;
    }
    WriteInt32(static_cast<qint32>(bytes.size()));
    WriteBytes(bytes.constData(), bytes.size());
}

TUtf8Text TContainerReader::ReadUtf8Text()
{
    // The stored bytes are kept as they are when they are UTF-8 already.
    const QByteArray bytes = ReadStringBytes();
    if (IsAscii(bytes.constData(), bytes.size()) || IsValidUtf8(bytes))
        return TUtf8Text::FromValidUtf8(bytes);
    return TUtf8Text(DecodeText(bytes));
}

bool TContainerReader::SkipStringIf(const QByteArray& bytes)
{
    const qsizetype n = bytes.size();
    if (d->end - d->pos < 4 + n || qFromLittleEndian<qint32>(d->pos) != n
        || std::memcmp(d->pos + 4, bytes.constData(), static_cast<size_t>(n)) != 0)
        return false;
    d->pos += 4 + n;
    return true;
}

void TContainerWriter::WriteString(const QString& text) { WriteStringBytes(LimitedUtf8(text)); }

void TContainerWriter::Finish() { FlushBuffer(Z_FINISH); }

// ---------------------------------------------------------------- records

TRecordResult ReadRecord(TTreeItem& node, TContainerReader& stream)
{
    if (stream.AtEnd())
        return TRecordResult::End;
    static const QByteArray ownClass(kContainerClassName);
    if (!stream.SkipStringIf(ownClass)) {
        const QByteArray className = stream.ReadStringBytes();
        if (!SameAsciiName(className, kContainerClassName) && !SameAsciiName(className, "TNewsItem"))
            return TRecordResult::UnknownClass;
    }
    node.TimeStamp = stream.ReadDouble();
    node.LastShown = stream.ReadDouble();
    node.IconIdx = stream.ReadInt32();
    // Kinds and option lists mostly repeat: equal ones share one string.
    TContainerReader::TRepeats& repeats = stream.Repeats;
    if (repeats.typeBytes.isNull() || !stream.SkipStringIf(repeats.typeBytes)) {
        repeats.typeBytes = stream.ReadStringBytes();
        repeats.type = DecodeStored(repeats.typeBytes);
    }
    node.NewsType = repeats.type;
    // Title and Text are stored in their plain forms already: taken as they
    // are, not converted again ("Inflation &lt; 2%" is stored as
    // "Inflation < 2%", which a second conversion would cut short).
    node.Title = stream.ReadString();
    node.RawTitle = node.Title;
    node.SetStoredText(stream.ReadString());
    node.Description = stream.ReadUtf8Text();
    node.Link = stream.ReadString();
    node.Options.clear();
    if (stream.Version > 0) {
        if (repeats.optionBytes.isNull() || !stream.SkipStringIf(repeats.optionBytes)) {
            repeats.optionBytes = stream.ReadStringBytes();
            repeats.options = OptionLines(DecodeStored(repeats.optionBytes));
        }
        node.Options = repeats.options;
    }
    node.FirstChild = stream.ReadInt32();
    node.NextSibling = stream.ReadInt32();
    return TRecordResult::Read;
}

void WriteRecord(const TTreeItem& node, TContainerWriter& stream)
{
    stream.WriteStringBytes(QByteArray::fromRawData(kContainerClassName,
                                                    sizeof kContainerClassName - 1));
    stream.WriteDouble(node.TimeStamp);
    stream.WriteDouble(node.LastShown);
    stream.WriteInt32(node.IconIdx);
    stream.WriteString(node.NewsType);
    stream.WriteString(node.Title);
    stream.WriteString(node.Text());
    stream.WriteStringBytes(node.Description.Utf8());
    stream.WriteString(node.Link);
    stream.WriteString(OptionText(node.Options));
    stream.WriteInt32(node.FirstChild);
    stream.WriteInt32(node.NextSibling);
}

// ---------------------------------------------------------------- the list

// A finished rename is made durable; a folder that cannot be opened or synced
// costs only durability, not the file's content.
void SyncFolderOf(const QString& fileName)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(fileName).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool TTreeList::LoadContainer(const QString& fileName)
{
    QFile file(fileName);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return false;
    try {
        // Inflating on a second thread pays off once there is much to read.
        TContainerReader reader(file, file.size() >= kReadAheadSize);
        reader.Version = ContainerVersion(reader.ReadString());
        for (;;) {
            auto node = std::make_unique<TTreeItem>();
            switch (ReadRecord(*node, reader)) {
            case TRecordResult::Read:
                items.push_back(std::move(node));
                break;
            case TRecordResult::End:
                return !reader.TrailingData();
            case TRecordResult::UnknownClass:
                return false;
            }
        }
    } catch (const EQuorbelError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool TTreeList::SaveContainer(const QString& fileName) const
{
    // The new content goes to a temporary file beside the target and replaces
    // it only once it is complete and on disk; QSaveFile removes the temporary
    // file on every early return.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    try {
        TContainerWriter writer(file);
        writer.WriteString(QString::fromLatin1(kContainerHeader));
        for (const auto& node : items)
            WriteRecord(*node, writer);
        writer.Finish();
    } catch (const EQuorbelError&) {
        file.cancelWriting();
        return false;
    } catch (const std::bad_alloc&) {
        file.cancelWriting();
        return false;
    }
    // QSaveFile syncs before its rename too, but ignores a failure there.
    if (!file.flush() || ::fsync(file.handle()) != 0) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;
    SyncFolderOf(fileName);
    return true;
}

void TTreeList::ReorderByTree(QTreeWidget* view, const QTreeWidgetItem* branch)
{
    TTreeList ordered;
    ordered.CopyByTree(*this, view, branch);
    items.swap(ordered.items);
}

void TTreeList::CopyByTree(const TTreeList& source, QTreeWidget* view, const QTreeWidgetItem* branch)
{
    if (&source == this) {
        ReorderByTree(view, branch);
        return;
    }
    TUpdateGuard updating(view);
    TTreeList& ordered = *this;
    ordered.Clear();
    ordered.Reserve(source.Count());

    // Depth-first pre-order with an explicit stack. Links are taken from the
    // pre-order positions of the view nodes themselves, so every view node
    // gets its own record even when two of them show the same list node.
    struct Level {
        QTreeWidgetItem* parent; // nullptr: the top level
        int parentIndex;         // record of parent, -1 at the top level
        int nextChild;
        int previousIndex;       // record of the sibling placed last, -1 none
    };
    std::vector<Level> stack;
    if (view)
        stack.push_back({nullptr, -1, 0, -1});
    while (!stack.empty()) {
        Level& level = stack.back();
        const int count = level.parent ? level.parent->childCount() : branch ? 1 : view->topLevelItemCount();
        if (level.nextChild >= count) {
            stack.pop_back();
            continue;
        }
        QTreeWidgetItem* viewNode = level.parent ? level.parent->child(level.nextChild)
                                    : branch     ? const_cast<QTreeWidgetItem*>(branch)
                                                 : view->topLevelItem(level.nextChild);
        ++level.nextChild;

        const qint64 data = NodeDataValue(viewNode);
        const TTreeItem* item = data >= 0 && data < source.Count() ? source.At(static_cast<int>(data)) : nullptr;
        int index;
        if (item) {
            index = ordered.AddCopy(*item);
        } else {
            // A view node that stands for no item still holds its children
            // together: it is kept as a folder with its caption.
            TTreeItem folder;
            folder.NewsType = kFolder;
            folder.SetTitle(viewNode->text(0));
            index = ordered.AddCopy(folder);
        }
        TTreeItem& record = *ordered.items.back();
        record.FirstChild = -1;
        record.NextSibling = -1;
        if (level.previousIndex >= 0)
            ordered.items[static_cast<size_t>(level.previousIndex)]->NextSibling = index;
        else if (level.parentIndex >= 0)
            ordered.items[static_cast<size_t>(level.parentIndex)]->FirstChild = index;
        level.previousIndex = index;
        if (viewNode->childCount() > 0)
            stack.push_back({viewNode, index, 0, -1}); // level is invalid from here
    }
}

void TTreeList::BuildTreeView(QTreeWidget* view) const
{
    if (!view)
        return;
    TUpdateGuard updating(view);
    ClearView(view);

    const int count = Count();
    std::vector<bool> placed(static_cast<size_t>(count), false);
    // A pending sibling chain: the records from index onwards, placed under
    // parent. A child chain is taken up at once and the rest of its parent's
    // chain waits here, so the view's order is the file's pre-order.
    struct Chain {
        QTreeWidgetItem* parent;
        qint32 index;
    };
    std::vector<Chain> pending{{nullptr, 0}};
    QElapsedTimer slice;
    // Each top-level node is built outside the view and goes in whole once
    // its branch is complete: the view's model then sees one insert per
    // branch instead of one per node. Until then the branch is ours.
    std::unique_ptr<QTreeWidgetItem, TBranchDeleter> branch;
    auto placeBranch = [&] {
        if (branch)
            view->addTopLevelItem(branch.release());
    };

    while (!pending.empty()) {
        Chain chain = pending.back();
        pending.pop_back();
        // A link below -1, past the end or to a record already placed ends
        // the branch (damaged files, cycles).
        while (chain.index >= 0 && chain.index < count && !placed[static_cast<size_t>(chain.index)]) {
            // Icon look-ups may download; queued events run now and then so
            // the windows stay responsive without paying for it per node.
            if (!slice.isValid() || slice.elapsed() >= kEventSliceMs) {
                if (QCoreApplication::instance())
                    QCoreApplication::processEvents();
                if (!updating.Alive())
                    return;
                slice.restart();
            }
            const qint32 index = chain.index;
            placed[static_cast<size_t>(index)] = true;
            TTreeItem* item = items[static_cast<size_t>(index)].get();
            QTreeWidgetItem* viewNode = NewViewNode(item->Title);
            SetNodeDataValue(viewNode, index);
            if (chain.parent) {
                chain.parent->addChild(viewNode);
            } else {
                placeBranch();
                branch.reset(viewNode);
            }
            if (item->IsKind(kFolder))
                item->IconIdx = imgFolder;
            if (NewsData) {
                NewsData->AssignNodeIcon(viewNode, item->Link); // may download, running events
                if (!updating.Alive())
                    return;
                NewsData->ApplyNodeImages(item, viewNode);
            }
            if (item->FirstChild != -1) {
                if (item->NextSibling != -1)
                    pending.push_back({chain.parent, item->NextSibling});
                chain = {viewNode, item->FirstChild};
            } else {
                chain.index = item->NextSibling;
            }
        }
    }
    placeBranch();
}

// ---------------------------------------------------------------- data module

bool TNewsData::SaveNewsFile(QTreeWidget* view, const QString& fileName) const
{
    TTreeList ordered;
    ordered.CopyByTree(NewsList, view);
    return ordered.SaveContainer(fileName);
}
