#pragma once
// Reading the zlib stream of a container: in line (TInflater), or on a thread
// of its own a few chunks ahead of the parser (TReadAhead). Both raise
// EQuorbelError("Error reading stream") on damaged data and on a source that
// ends before the stream does, at the same point of the payload.
//
// The payload may be at most kMaxInflationRatio times as long as the
// compressed file (never less than kMinPayloadLimit): news trees compress a
// few times over, and a file that inflates far beyond that is damaged or
// made to exhaust memory. Its reading fails there, like any damaged stream.
#include <QByteArray>
#include <QIODevice>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <zlib.h>

inline constexpr qsizetype kInflateInputChunk = 256 * 1024;
inline constexpr qsizetype kInflateOutputChunk = 256 * 1024;
inline constexpr qint64 kMaxInflationRatio = 32;
inline constexpr qint64 kMinPayloadLimit = 64 * 1024 * 1024;

// The most payload a stream of compressedSize bytes may inflate to.
qint64 PayloadLimit(qint64 compressedSize);

// The zlib side of reading: file chunks in, payload chunks out.
class TInflater {
public:
    explicit TInflater(QIODevice& source);
    ~TInflater();
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;

    // Inflates the next payload bytes into out; 0 once the stream has ended.
    qsizetype Next(char* out, qsizetype capacity);
    // True when the source holds bytes after the end of the stream.
    bool Trailing();
    // The payload bytes that may still follow those inflated so far.
    qint64 Allowance() const;

private:
    QIODevice& source;
    qint64 sourceSize; // 0 when unknown (a sequential source)
    qint64 compressedRead = 0;
    qint64 inflated = 0;
    z_stream zs{};
    bool initialised = false;
    bool streamEnd = false;
    bool sourceEnd = false;
    QByteArray in;
};

// Inflates on a thread of its own, a few chunks ahead of the reader, so that
// parsing and inflating a large file share the two halves of the work. The
// source is touched only by that thread until it has finished.
class TReadAhead {
public:
    explicit TReadAhead(QIODevice& source);
    ~TReadAhead();
    TReadAhead(const TReadAhead&) = delete;
    TReadAhead& operator=(const TReadAhead&) = delete;

    // The next payload chunk; an empty one at the end of the stream. Raises
    // where the stream is damaged, in the same place a direct read would.
    QByteArray Next();
    // Waits for the end of the stream; true when bytes follow it.
    bool Trailing();

private:
    static constexpr size_t kChunksAhead = 4;
    void Run();

    TInflater inflater;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<QByteArray> chunks;
    bool stop = false;
    bool finished = false;
    bool failed = false;
    bool trailing = false;
    std::thread worker;
};
