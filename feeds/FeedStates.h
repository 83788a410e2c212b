#pragma once
// What we remember of each feed's server between fetches, keyed by the
// feed's URL: the validators it sent, how often it failed in a row and when
// it may be asked again, where it said it moved, and whether it is gone.
// Kept in a small file beside the news file (News.qbx's format is not
// touched), written with each store.
//
// Rules kept here:
//  - ETag and Last-Modified of a whole answer are kept and sent back; values
//    longer than kMaxValidator bytes, or holding control characters, are
//    neither kept nor sent.
//  - A failed fetch (no answer, an HTTP error, a document that is no feed)
//    waits 1 h, then 2, 4, 8, 16 and 24 h at most before the scheduler tries
//    it again. A 429 or 503 with a readable Retry-After in the future (in
//    seconds or as an HTTP date) waits at least that long, 24 h at most;
//    other Retry-After values are ignored.
//  - A success (a merged document or a 304) clears failures and waits.
//  - The same 301/308 target seen kMovesToFollow times in a row is where
//    the feed lives now; any other answer starts the count again.
//  - 410 Gone marks the feed gone: the scheduler leaves it alone until a
//    fetch of it succeeds again. The user is told once.
//  - The file starts with a header line naming its format; a file with
//    another header (damaged, another version) is ignored as a whole, a
//    line that cannot be read is skipped. Every text is percent-encoded.
#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QtGlobal>

struct TDownloadAnswer;

struct TFeedState {
    QByteArray etag;
    QByteArray lastModified;
    int failures = 0;        // failed fetches in a row
    qint64 nextTry = 0;      // ms since the epoch; 0: at once
    qint64 retryAfter = 0;   // ms since the epoch the server asked us to wait until; 0: none
    QString movedTo;         // the permanent redirect target seen last
    int moves = 0;           // times in a row it was seen
    bool gone = false;       // 410: no more scheduled fetches
    bool goneTold = false;   // the user has been told
    bool IsEmpty() const;
};

class TFeedStates {
public:
    static constexpr int kMaxValidator = 1024;
    static constexpr int kMovesToFollow = 3;
    static constexpr qint64 kHour = 3600 * 1000;
    static constexpr qint64 kMaxWait = 24 * kHour;

    // The validators to send for url (empty when we hold none).
    QByteArray EtagOf(const QString& url) const;
    QByteArray LastModifiedOf(const QString& url) const;
    // False while url waits (a back-off, a Retry-After) or is gone.
    bool MayFetch(const QString& url, qint64 now) const;
    bool IsGone(const QString& url) const;

    // A fetch that merged a document or got a 304.
    void RecordSuccess(const QString& url, const TDownloadAnswer& answer, qint64 now);
    // A fetch that failed; a cancelled one changes nothing.
    void RecordFailure(const QString& url, const TDownloadAnswer& answer, qint64 now);
    // The URL the feed has moved to for good, once seen often enough in a
    // row; empty otherwise. Counts this answer.
    QString RecordMove(const QString& url, const TDownloadAnswer& answer);
    // True the first time a gone feed asks for its notice.
    bool TakeGoneNotice(const QString& url);
    // The feed's state goes with it to its new address.
    void Rename(const QString& from, const QString& to);

    const TFeedState* Find(const QString& url) const;
    int Count() const { return static_cast<int>(states.size()); }
    void Clear() { states.clear(); }

    // The file's text: only the URLs in keep (the feeds still in the tree).
    QByteArray Serialise(const QSet<QString>& keep) const;
    // Replaces what is held by the file's text; false (and nothing held)
    // when it is not ours.
    bool Parse(const QByteArray& text);
    bool Load(const QString& path);

    // The wait after the n-th failure in a row: 1, 2, 4, 8, 16, 24 h.
    static qint64 BackOff(int failures);
    // A Retry-After value as a time, 0 when unreadable, not in the future
    // or for a status that does not ask for it.
    static qint64 RetryAfterTime(int status, const QByteArray& value, qint64 now);
    static bool UsableValidator(const QByteArray& value);

private:
    QHash<QString, TFeedState> states;
};
