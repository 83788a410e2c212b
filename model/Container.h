#pragma once
// The compressed news container (News.qbx and other .qbx files).
//
// The file is one zlib stream (RFC 1950 wrapper, level 9) and nothing else. Its
// payload is a header string followed by one record per node, back to back,
// without a count or trailer:
//
//   string  class name "TTreeItem" (read: also "TNewsItem", any case)
//   double  TimeStamp            double  LastShown       int32 IconIdx
//   string  NewsType             string  Title (plain)   string Text (plain)
//   string  Description (raw)    string  Link
//   string  Options, each line followed by CR LF (only in "Vom 1.0" files)
//   int32   FirstChild           int32   NextSibling
//
// Integers are signed 32-bit little-endian, doubles IEEE 754 little-endian, a
// string is an int32 byte count followed by that many bytes.
//
// Rules kept here on purpose:
//  - Strings are written as UTF-8; bytes read that are not valid UTF-8 are
//    taken as Windows-1252, so files made on a Windows code page still load.
//  - Readers accept string lengths 0..kMaxContainerString and stop with
//    "Error reading stream" outside that range. The writer never writes a
//    string a reader would refuse: longer text is cut at a UTF-8 character
//    boundary.
//  - The payload is bounded by the file's size (PayloadLimit, Inflater.h): a
//    file that inflates beyond it, or a string longer than the rest of the
//    payload can hold, is damaged. A string's memory grows with the bytes
//    that arrive, never ahead of them, so a load costs at most a small
//    multiple of that bound.
//  - Headers: "1.0" is version 0 (no Options field), "Vom 1.0" version 1,
//    anything else -1 (read like 0); compared ignoring ASCII case.
//  - A record with an unknown class name cannot be aligned: reading stops
//    there and the load counts as failed, keeping the nodes read before.
//  - Bytes after the end of the zlib stream make the load fail too (the file
//    is not one we wrote), again keeping every node read.
//  - The file is written and read as a stream, never seeking. A save goes to
//    a temporary file in the target's folder, synced to disk and renamed over
//    the target, so a failed save leaves the previous file as it was.
//
// Between links and a tree view (TTreeList::ReorderByTree, BuildTreeView):
//  - BuildTreeView walks siblings and levels with an explicit stack; a link
//    below -1, past the end or to a record already placed ends that branch.
//    The view's old nodes, and a branch left unfinished, are taken apart
//    without recursion (ClearView, DeleteBranch), so any depth loads.
//    Queued events run before the first node and then at most every 20 ms,
//    not per node; a view destroyed meanwhile ends the build.
//  - ReorderByTree links records by their view nodes' places, so an item
//    shown twice is written twice; a view node standing for no item is kept
//    as a folder with its caption so that its children keep their parent.
#include "model/TreeItems.h"

#include <QByteArray>
#include <QString>
#include <memory>

class QIODevice;

inline constexpr qint32 kMaxContainerString = 16 * 1024 * 1024;
inline constexpr char kContainerHeader[] = "Vom 1.0";
inline constexpr char kContainerClassName[] = "TTreeItem";

// Container format version of a header text: 1, 0 or -1.
int ContainerVersion(const QString& header);

// Inflates a zlib stream from an open device and hands out the payload's
// fields. Every failure (damaged or cut stream, a bad string length, a read
// error) raises EQuorbelError("Error reading stream").
class TContainerReader {
public:
    // With readAhead, a second thread inflates the stream a few chunks ahead;
    // the results, and the errors raised, are the same.
    explicit TContainerReader(QIODevice& source, bool readAhead = false);
    ~TContainerReader();
    TContainerReader(const TContainerReader&) = delete;
    TContainerReader& operator=(const TContainerReader&) = delete;

    // True when no payload byte is left; raises when the stream is damaged or
    // ends before its trailer.
    bool AtEnd();
    // True when the file holds bytes after the end of the zlib stream; only
    // meaningful once AtEnd() returned true.
    bool TrailingData();

    void ReadBytes(char* data, qsizetype count);
    qint32 ReadInt32();
    double ReadDouble();
    QByteArray ReadStringBytes();
    QString ReadString();
    // A string as UTF-8 text: the stored bytes themselves when they are valid.
    TUtf8Text ReadUtf8Text();
    // When the next string's bytes equal bytes, passes over it and returns
    // true; otherwise reads nothing.
    bool SkipStringIf(const QByteArray& bytes);

    // Values that repeat from record to record (kinds, option lists), kept
    // so that equal ones share one copy.
    struct TRepeats {
        QByteArray typeBytes;
        QString type;
        QByteArray optionBytes;
        QStringList options;
    } Repeats;

    // Version of the file's header, which governs how records are read.
    int Version = 1;

private:
    bool Fill();

    struct State;
    std::unique_ptr<State> d;
};

// Deflates at level 9 onto an open device, buffering small writes into large
// chunks. Write failures raise EQuorbelError("Error writing stream").
class TContainerWriter {
public:
    explicit TContainerWriter(QIODevice& sink);
    ~TContainerWriter();
    TContainerWriter(const TContainerWriter&) = delete;
    TContainerWriter& operator=(const TContainerWriter&) = delete;

    void WriteBytes(const char* data, qsizetype count);
    void WriteInt32(qint32 value);
    void WriteDouble(double value);
    // The UTF-8 form, cut to kMaxContainerString bytes at a character boundary.
    void WriteString(const QString& text);
    void WriteStringBytes(const QByteArray& bytes);
    // Flushes the buffer and writes the zlib trailer; nothing may follow.
    void Finish();

private:
    void Deflate(const char* data, qsizetype count, int flush);
    void FlushBuffer(int flush);

    struct State;
    std::unique_ptr<State> d;
};

// The UTF-8 bytes of text, at most maxBytes long, never ending inside a
// multi-byte character.
QByteArray LimitedUtf8(const QString& text, qsizetype maxBytes = kMaxContainerString);

// Syncs the folder of fileName, so that a rename into it survives a crash.
void SyncFolderOf(const QString& fileName);

enum class TRecordResult {
    Read,        // a whole record was read into node
    End,         // the payload ended at the record boundary; node untouched
    UnknownClass // the class name is not ours; the stream cannot be aligned
};

// One record, as laid out above. ReadRecord raises on damage or truncation.
TRecordResult ReadRecord(TTreeItem& node, TContainerReader& stream);
void WriteRecord(const TTreeItem& node, TContainerWriter& stream);
