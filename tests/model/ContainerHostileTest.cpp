// Damaged and hostile container files: every load ends, never crashes, and
// keeps exactly the records that were read before the damage.
#include "model/Container.h"

#include "model/ContainerPayload.h"
#include "model/Inflater.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Deterministic pseudo-random text, poorly compressible, so that the cut and
// flip positions fall inside real deflate data rather than long matches.
class TNoise {
public:
    explicit TNoise(quint32 seed) : state(seed) {}
    quint32 Next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    QString Words(int count)
    {
        QString s;
        for (int w = 0; w < count; ++w) {
            const int len = 2 + static_cast<int>(Next() % 8);
            for (int i = 0; i < len; ++i)
                s += QChar(u'a' + static_cast<char16_t>(Next() % 26));
            s += ' ';
        }
        return s;
    }

private:
    quint32 state;
};

void FillList(TTreeList& list, int count, quint32 seed)
{
    TNoise noise(seed);
    for (int i = 0; i < count; ++i) {
        TTreeItem n;
        n.NewsType = i % 5 == 0 ? kFeed : kNewsItem;
        n.SetTitle(noise.Words(6));
        n.SetDescription(noise.Words(static_cast<int>(noise.Next() % 40)));
        n.Link = "http://example.com/" + noise.Words(2).trimmed().replace(' ', '/');
        n.TimeStamp = 45000 + i / 7.0;
        n.IconIdx = i % 13;
        if (i % 5 == 0)
            n.Options = QStringList{"NSD=7", "SDR=1"};
        n.FirstChild = i % 5 == 0 ? i + 1 : -1;
        n.NextSibling = i + 1 < count ? i + 1 : -1;
        list.AddCopy(n);
    }
}

// True when the first count records of loaded equal those of original.
::testing::AssertionResult IsPrefix(const TTreeList& loaded, const TTreeList& original, int count)
{
    if (loaded.Count() < count)
        return ::testing::AssertionFailure() << "only " << loaded.Count() << " of " << count;
    for (int i = 0; i < count; ++i)
        if (StoredFields(*loaded.Items(i)) != StoredFields(*original.Items(i)))
            return ::testing::AssertionFailure() << "record " << i << " differs";
    return ::testing::AssertionSuccess();
}

// A zlib stream of header and then copies of record, made without ever
// holding the inflated payload: the record is deflated once after a full
// flush, so its compressed bytes stand alone and can be repeated.
QByteArray RepeatedRecordFile(const QByteArray& header, const QByteArray& record, int copies)
{
    z_stream zs{};
    if (deflateInit2(&zs, 9, Z_DEFLATED, -15, 8, Z_RLE) != Z_OK)
        return {};
    const auto deflateAll = [&zs](const QByteArray& in, int flush) {
        QByteArray out;
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
        zs.avail_in = static_cast<uInt>(in.size());
        char chunk[65536];
        do {
            zs.next_out = reinterpret_cast<Bytef*>(chunk);
            zs.avail_out = sizeof chunk;
            deflate(&zs, flush);
            out.append(chunk, static_cast<qsizetype>(sizeof chunk - zs.avail_out));
        } while (zs.avail_out == 0 || zs.avail_in > 0);
        return out;
    };
    QByteArray file("\x78\xDA", 2); // the zlib header of a level-9 stream
    file += deflateAll(header, Z_FULL_FLUSH);
    const QByteArray once = deflateAll(record, Z_FULL_FLUSH);
    for (int i = 0; i < copies; ++i)
        file += once;
    file += deflateAll(QByteArray(), Z_FINISH);
    deflateEnd(&zs);
    const auto adler = [](const QByteArray& b) {
        return adler32(1, reinterpret_cast<const Bytef*>(b.constData()), static_cast<uInt>(b.size()));
    };
    uLong sum = adler(header);
    const uLong recordSum = adler(record);
    for (int i = 0; i < copies; ++i)
        sum = adler32_combine(sum, recordSum, static_cast<z_off_t>(record.size()));
    for (int shift = 24; shift >= 0; shift -= 8)
        file += static_cast<char>((sum >> shift) & 0xFF);
    return file;
}

class ContainerHostileTest : public ::testing::Test {
protected:
    QString File() const { return home.File("damaged.qbx"); }
    TempProgramFolder home;
};

TEST_F(ContainerHostileTest, TruncatedFilesKeepWhatCameBefore)
{
    TTreeList original;
    FillList(original, 40, 7);
    ASSERT_TRUE(original.SaveContainer(home.File("whole.qbx")));
    const QByteArray whole = ReadBytesFromFile(home.File("whole.qbx"));
    ASSERT_GT(whole.size(), 2000);

    int previousCount = 0;
    for (qsizetype cut = 0; cut <= whole.size(); ++cut) {
        ASSERT_TRUE(WriteBytesToFile(File(), whole.left(cut)));
        TTreeList list;
        const bool ok = list.LoadContainer(File());
        ASSERT_EQ(ok, cut == whole.size()) << cut;
        ASSERT_LE(list.Count(), original.Count()) << cut;
        ASSERT_TRUE(IsPrefix(list, original, list.Count())) << cut;
        ASSERT_GE(list.Count(), previousCount) << cut; // a longer file never yields less
        previousCount = list.Count();
        if (cut == whole.size() - 1) {
            EXPECT_EQ(list.Count(), original.Count()); // only the checksum is missing
        }
    }
    EXPECT_EQ(previousCount, original.Count());
}

TEST_F(ContainerHostileTest, FlippedBitsAreCaughtOrHarmless)
{
    TTreeList original;
    FillList(original, 12, 11);
    ASSERT_TRUE(original.SaveContainer(home.File("whole.qbx")));
    const QByteArray whole = ReadBytesFromFile(home.File("whole.qbx"));

    int failures = 0;
    for (qsizetype at = 0; at < whole.size(); ++at) {
        for (int bit : {static_cast<int>(at % 8), static_cast<int>((at + 3) % 8)}) {
            QByteArray damaged = whole;
            damaged[at] = static_cast<char>(damaged[at] ^ (1 << bit));
            ASSERT_TRUE(WriteBytesToFile(File(), damaged));
            TTreeList list;
            if (list.LoadContainer(File())) {
                // Only bits zlib ignores (padding after the last block) can pass.
                ASSERT_EQ(list.Count(), original.Count()) << at << ":" << bit;
                ASSERT_TRUE(IsPrefix(list, original, original.Count())) << at << ":" << bit;
            } else {
                ++failures;
            }
        }
    }
    EXPECT_GT(failures, whole.size()); // nearly every flip is noticed
}

// Damage inside a well-formed zlib stream reaches the record parser itself.
TEST_F(ContainerHostileTest, DamagedPayloadKeepsRecordsBeforeTheDamage)
{
    TPayload p;
    p.Str("Vom 1.0");
    std::vector<qsizetype> recordEnds;
    const TRecordBytes records[] = {
        {"TTreeItem", 1, 2, 3, "FLD", "folder", "", "", "", QByteArray(), 1, -1},
        {"TTreeItem", 4, 0, 2, "RSH", "feed", "", "<b>d</b>", "http://f/", QByteArray("NSD=1\r\n"), 2, -1},
        {"TNewsItem", 5, 6, 2, "RSS", "item", "t", "desc", "http://f/1", QByteArray("SDR=1\r\n"), -1, 3},
        {"TTreeItem", 7, 0, 0, "NTS", "note", "body", "body", "", QByteArray(), -1, -1},
    };
    for (const TRecordBytes& r : records) {
        AppendRecord(p, r);
        recordEnds.push_back(p.bytes.size());
    }
    ASSERT_TRUE(WriteBytesToFile(File(), ZlibCompress(p.bytes)));
    TTreeList original;
    ASSERT_TRUE(original.LoadContainer(File()));
    ASSERT_EQ(original.Count(), 4);

    const unsigned char values[] = {0x00, 0x01, 0x7F, 0x80, 0xFF};
    for (qsizetype at = 0; at < p.bytes.size(); ++at) {
        int intact = 0;
        while (intact < 4 && recordEnds[static_cast<size_t>(intact)] <= at)
            ++intact;
        for (unsigned char v : values) {
            if (static_cast<unsigned char>(p.bytes[at]) == v)
                continue;
            QByteArray damaged = p.bytes;
            damaged[at] = static_cast<char>(v);
            ASSERT_TRUE(WriteBytesToFile(File(), ZlibCompress(damaged)));
            TTreeList list;
            list.LoadContainer(File());
            ASSERT_TRUE(IsPrefix(list, original, intact)) << at << "=" << int(v);
            // Each record takes at least 65 payload bytes.
            ASSERT_LE(list.Count(), damaged.size() / 65) << at << "=" << int(v);
        }
    }
}

// Every title as long as a string may be, and each compressed a thousand
// times over: 4.9 MB on disk, 4.8 GB inflated.
TEST_F(ContainerHostileTest, FileInflatingFarBeyondItsSizeIsRefused)
{
    TPayload header;
    header.Str("Vom 1.0");
    TPayload record;
    TRecordBytes r;
    r.newsType = "RSS";
    r.title = QByteArray(kMaxContainerString, 'A');
    r.options = QByteArray();
    AppendRecord(record, r);

    // Two such records are a valid file within the bound for small files.
    ASSERT_TRUE(WriteBytesToFile(File(), RepeatedRecordFile(header.bytes, record.bytes, 2)));
    {
        TTreeList two;
        EXPECT_TRUE(two.LoadContainer(File()));
        ASSERT_EQ(two.Count(), 2);
        EXPECT_EQ(two.Items(1)->Title.size(), kMaxContainerString);
    }

    const QByteArray bomb = RepeatedRecordFile(header.bytes, record.bytes, 300);
    ASSERT_LT(bomb.size(), 6 * 1024 * 1024);
    ASSERT_TRUE(WriteBytesToFile(File(), bomb));
    TTreeList list;
    EXPECT_FALSE(list.LoadContainer(File()));
    // The records within the bound were read and stay; the rest never was.
    EXPECT_GE(list.Count(), 1);
    EXPECT_LE(list.Count(), PayloadLimit(bomb.size()) / kMaxContainerString);
}

} // namespace
