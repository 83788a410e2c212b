#pragma once
// Container files built byte by byte from the layout, independently of the
// writer, and the zlib helpers to pack and unpack them.
#include "model/TreeItems.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstring>
#include <optional>
#include <string>
#include <zlib.h>

class TPayload {
public:
    TPayload& Int(qint32 v)
    {
        const auto u = static_cast<quint32>(v);
        for (int i = 0; i < 4; ++i)
            bytes += static_cast<char>((u >> (8 * i)) & 0xFF);
        return *this;
    }
    TPayload& Dbl(double d)
    {
        quint64 bits;
        std::memcpy(&bits, &d, 8);
        for (int i = 0; i < 8; ++i)
            bytes += static_cast<char>((bits >> (8 * i)) & 0xFF);
        return *this;
    }
    TPayload& Str(const QByteArray& s)
    {
        Int(static_cast<qint32>(s.size()));
        bytes += s;
        return *this;
    }
    TPayload& Raw(const QByteArray& raw)
    {
        bytes += raw;
        return *this;
    }
    QByteArray bytes;
};

struct TRecordBytes {
    QByteArray className = "TTreeItem";
    double timeStamp = 0;
    double lastShown = 0;
    qint32 iconIdx = -1;
    QByteArray newsType;
    QByteArray title;
    QByteArray text;
    QByteArray description;
    QByteArray link;
    std::optional<QByteArray> options; // absent in "1.0" files
    qint32 firstChild = -1;
    qint32 nextSibling = -1;
};

inline void AppendRecord(TPayload& p, const TRecordBytes& r)
{
    p.Str(r.className).Dbl(r.timeStamp).Dbl(r.lastShown).Int(r.iconIdx);
    p.Str(r.newsType).Str(r.title).Str(r.text).Str(r.description).Str(r.link);
    if (r.options)
        p.Str(*r.options);
    p.Int(r.firstChild).Int(r.nextSibling);
}

inline QByteArray ZlibCompress(const QByteArray& payload)
{
    uLongf size = compressBound(static_cast<uLong>(payload.size()));
    QByteArray out(static_cast<qsizetype>(size), Qt::Uninitialized);
    const int rc = compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                             reinterpret_cast<const Bytef*>(payload.constData()),
                             static_cast<uLong>(payload.size()), 9);
    if (rc != Z_OK)
        return {};
    out.truncate(static_cast<qsizetype>(size));
    return out;
}

// The payload of a complete zlib stream; nullopt when it is damaged, cut
// short or followed by other bytes.
inline std::optional<QByteArray> ZlibInflate(const QByteArray& file)
{
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return std::nullopt;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(file.constData()));
    zs.avail_in = static_cast<uInt>(file.size());
    QByteArray out;
    char chunk[65536];
    int rc = Z_OK;
    while (rc == Z_OK) {
        zs.next_out = reinterpret_cast<Bytef*>(chunk);
        zs.avail_out = sizeof chunk;
        rc = inflate(&zs, Z_NO_FLUSH);
        out.append(chunk, static_cast<qsizetype>(sizeof chunk - zs.avail_out));
    }
    const bool complete = rc == Z_STREAM_END && zs.avail_in == 0;
    inflateEnd(&zs);
    if (!complete)
        return std::nullopt;
    return out;
}

// Replaces the file by a new one: truncating a file in place makes ext4 flush
// it to disk on close, which would slow the many rewrites of the damage tests.
inline bool WriteBytesToFile(const QString& path, const QByteArray& bytes)
{
    QFile::remove(path);
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray ReadBytesFromFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A payload made of the "Vom 1.0" header and the given records.
inline QByteArray ContainerFile(std::initializer_list<TRecordBytes> records,
                                const QByteArray& header = "Vom 1.0")
{
    TPayload p;
    p.Str(header);
    for (const TRecordBytes& r : records)
        AppendRecord(p, r);
    return ZlibCompress(p.bytes);
}

// Everything the container keeps of a node, in one comparable line.
inline std::string StoredFields(const TTreeItem& n)
{
    const QStringList fields{QString::number(n.TimeStamp, 'g', 17),
                             QString::number(n.LastShown, 'g', 17),
                             QString::number(n.IconIdx),
                             n.NewsType,
                             n.Title,
                             n.Text(),
                             n.Description,
                             n.Link,
                             n.Options.join(QStringLiteral("\\n")),
                             QString::number(n.FirstChild),
                             QString::number(n.NextSibling)};
    return fields.join('|').toStdString();
}
