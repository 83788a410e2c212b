#include "model/Inflater.h"

#include "platform/Errors.h"

#include <algorithm>
#include <limits>

namespace {
[[noreturn]] void ReadError() { throw EQuorbelError(QStringLiteral("Error reading stream")); }
} // namespace

qint64 PayloadLimit(qint64 compressedSize)
{
    if (compressedSize <= 0)
        return kMinPayloadLimit;
    if (compressedSize > std::numeric_limits<qint64>::max() / kMaxInflationRatio)
        return std::numeric_limits<qint64>::max();
    return std::max(kMinPayloadLimit, compressedSize * kMaxInflationRatio);
}

TInflater::TInflater(QIODevice& source)
    : source(source), sourceSize(source.isSequential() ? 0 : std::max<qint64>(0, source.size()))
{
    in.resize(kInflateInputChunk);
    if (inflateInit(&zs) != Z_OK)
        ReadError();
    initialised = true;
}

TInflater::~TInflater()
{
    if (initialised)
        inflateEnd(&zs);
}

qsizetype TInflater::Next(char* out, qsizetype capacity)
{
    for (;;) {
        if (streamEnd)
            return 0;
        if (zs.avail_in == 0 && !sourceEnd) {
            const qint64 n = source.read(in.data(), in.size());
            if (n < 0)
                ReadError();
            if (n == 0)
                sourceEnd = true;
            compressedRead += n;
            zs.next_in = reinterpret_cast<Bytef*>(in.data());
            zs.avail_in = static_cast<uInt>(n);
        }
        const uInt inBefore = zs.avail_in;
        zs.next_out = reinterpret_cast<Bytef*>(out);
        zs.avail_out = static_cast<uInt>(capacity);
        const int ret = inflate(&zs, Z_NO_FLUSH);
        if (ret == Z_STREAM_END)
            streamEnd = true;
        else if (ret != Z_OK && ret != Z_BUF_ERROR)
            ReadError(); // damaged data, a preset dictionary, no memory
        const qsizetype produced = capacity - static_cast<qsizetype>(zs.avail_out);
        inflated += produced;
        if (Allowance() < 0)
            ReadError(); // far more payload than a file of this size holds
        if (produced > 0)
            return produced;
        if (streamEnd)
            return 0;
        if (zs.avail_in == 0 && sourceEnd)
            ReadError(); // the file ends before the stream does
        if (inBefore > 0 && zs.avail_in == inBefore)
            ReadError(); // inflate can make no progress
    }
}

qint64 TInflater::Allowance() const
{
    // A source of unknown size is judged by what has been read of it so far.
    return PayloadLimit(std::max(sourceSize, compressedRead)) - inflated;
}

bool TInflater::Trailing()
{
    if (!streamEnd)
        return false;
    if (zs.avail_in > 0)
        return true;
    if (sourceEnd)
        return false;
    char c;
    return source.read(&c, 1) != 0;
}

TReadAhead::TReadAhead(QIODevice& source) : inflater(source)
{
    worker = std::thread([this] { Run(); });
}

TReadAhead::~TReadAhead()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stop = true;
    }
    changed.notify_all();
    worker.join();
}

QByteArray TReadAhead::Next()
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return !chunks.empty() || finished; });
    if (!chunks.empty()) {
        QByteArray chunk = std::move(chunks.front());
        chunks.pop_front();
        changed.notify_all();
        return chunk;
    }
    if (failed)
        ReadError();
    return QByteArray();
}

bool TReadAhead::Trailing()
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return finished; });
    return trailing;
}

void TReadAhead::Run()
{
    bool error = false, hasTrailing = false;
    try {
        for (;;) {
            QByteArray chunk(kInflateOutputChunk, Qt::Uninitialized);
            const qsizetype n = inflater.Next(chunk.data(), chunk.size());
            if (n == 0)
                break;
            chunk.truncate(n);
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return chunks.size() < kChunksAhead || stop; });
            if (stop)
                return;
            chunks.push_back(std::move(chunk));
            changed.notify_all();
        }
        hasTrailing = inflater.Trailing();
    } catch (...) {
        error = true; // EQuorbelError or no memory: the reader raises in turn
    }
    std::lock_guard<std::mutex> lock(mutex);
    failed = error;
    trailing = hasTrailing;
    finished = true;
    changed.notify_all();
}
