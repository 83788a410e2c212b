#include "feeds/FeedStates.h"

#include "platform/Downloader.h"

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QLocale>
#include <QTimeZone>
#include <QUrl>

#include <algorithm>

namespace {
const QByteArray kHeader = QByteArrayLiteral("QuorbelFeedStates\t1");
constexpr int kFields = 10;
constexpr int kMaxFailures = 64;

QByteArray Encode(const QByteArray& raw) { return raw.toPercentEncoding(); }
QByteArray Decode(const QByteArray& text) { return QByteArray::fromPercentEncoding(text); }

bool ReadNumber(const QByteArray& text, qint64 low, qint64 high, qint64& value)
{
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    if (!ok || v < low || v > high)
        return false;
    value = v;
    return true;
}

// An HTTP date in any of its three forms; invalid when none fits. The day's
// name is left out: a two-digit year would make it disagree with the date.
QDateTime ParseHttpDate(const QByteArray& value)
{
    QString text = QString::fromLatin1(value).simplified();
    const int comma = static_cast<int>(text.indexOf(QLatin1Char(',')));
    text = comma >= 0 ? text.mid(comma + 1).trimmed() : text.section(QLatin1Char(' '), 1);
    const QLocale c = QLocale::c();
    for (const char* format : {"dd MMM yyyy HH:mm:ss 'GMT'", "dd-MMM-yy HH:mm:ss 'GMT'", "MMM d HH:mm:ss yyyy"}) {
        QDateTime when = c.toDateTime(text, QString::fromLatin1(format));
        if (when.isValid()) {
            if (when.date().year() < 1970)
                when = when.addYears(100); // two-digit years are this century's
            when.setTimeSpec(Qt::UTC);
            return when;
        }
    }
    return {};
}
} // namespace

bool TFeedState::IsEmpty() const
{
    return etag.isEmpty() && lastModified.isEmpty() && failures == 0 && nextTry == 0 && retryAfter == 0
           && movedTo.isEmpty() && !gone;
}

QByteArray TFeedStates::EtagOf(const QString& url) const
{
    const TFeedState* s = Find(url);
    return s ? s->etag : QByteArray();
}

QByteArray TFeedStates::LastModifiedOf(const QString& url) const
{
    const TFeedState* s = Find(url);
    return s ? s->lastModified : QByteArray();
}

bool TFeedStates::MayFetch(const QString& url, qint64 now) const
{
    const TFeedState* s = Find(url);
    return !s || (!s->gone && now >= s->nextTry);
}

bool TFeedStates::IsGone(const QString& url) const
{
    const TFeedState* s = Find(url);
    return s && s->gone;
}

const TFeedState* TFeedStates::Find(const QString& url) const
{
    const auto found = states.constFind(url);
    return found == states.constEnd() ? nullptr : &*found;
}

bool TFeedStates::UsableValidator(const QByteArray& value)
{
    if (value.isEmpty() || value.size() > kMaxValidator)
        return false;
    return std::none_of(value.begin(), value.end(), [](char c) { return uchar(c) < 32 || uchar(c) == 127; });
}

qint64 TFeedStates::BackOff(int failures)
{
    if (failures <= 0)
        return 0;
    const int shift = std::min(failures - 1, 5); // 2^5 h is beyond the cap
    return std::min(kHour << shift, kMaxWait);
}

qint64 TFeedStates::RetryAfterTime(int status, const QByteArray& value, qint64 now)
{
    if ((status != 429 && status != 503) || value.trimmed().isEmpty())
        return 0;
    const QByteArray text = value.trimmed();
    qint64 when = 0;
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        // Seconds; more digits than any sane wait are the cap.
        const qint64 seconds = text.size() > 12 ? kMaxWait / 1000 : text.toLongLong();
        if (seconds <= 0)
            return 0;
        when = now + std::min(seconds * 1000, kMaxWait);
    } else {
        const QDateTime date = ParseHttpDate(text);
        if (!date.isValid())
            return 0;
        when = date.toMSecsSinceEpoch();
    }
    if (when <= now)
        return 0; // in the past: nothing to wait for
    return std::min(when, now + kMaxWait);
}

void TFeedStates::RecordSuccess(const QString& url, const TDownloadAnswer& answer, qint64 /*now*/)
{
    TFeedState& s = states[url];
    s.failures = 0;
    s.nextTry = 0;
    s.retryAfter = 0;
    s.gone = false;
    s.goneTold = false;
    // A 304 may repeat the validators or leave them out: those we sent stay.
    if (!answer.notModified || !answer.etag.isEmpty())
        s.etag = UsableValidator(answer.etag) ? answer.etag : QByteArray();
    if (!answer.notModified || !answer.lastModified.isEmpty())
        s.lastModified = UsableValidator(answer.lastModified) ? answer.lastModified : QByteArray();
    if (s.IsEmpty())
        states.remove(url);
}

void TFeedStates::RecordFailure(const QString& url, const TDownloadAnswer& answer, qint64 now)
{
    if (answer.cancelled)
        return;
    TFeedState& s = states[url];
    s.failures = std::min(s.failures + 1, kMaxFailures);
    s.retryAfter = RetryAfterTime(answer.status, answer.retryAfter, now);
    s.nextTry = std::max(now + BackOff(s.failures), s.retryAfter);
    if (answer.status == 410)
        s.gone = true;
}

QString TFeedStates::RecordMove(const QString& url, const TDownloadAnswer& answer)
{
    if (answer.cancelled)
        return {};
    auto found = states.find(url);
    if (answer.movedTo.isEmpty() || answer.movedTo == url) {
        if (found != states.end()) {
            found->movedTo.clear();
            found->moves = 0;
        }
        return {};
    }
    TFeedState& s = found != states.end() ? *found : states[url];
    if (s.movedTo == answer.movedTo) {
        ++s.moves;
    } else {
        s.movedTo = answer.movedTo;
        s.moves = 1;
    }
    return s.moves >= kMovesToFollow ? s.movedTo : QString();
}

bool TFeedStates::TakeGoneNotice(const QString& url)
{
    auto found = states.find(url);
    if (found == states.end() || !found->gone || found->goneTold)
        return false;
    found->goneTold = true;
    return true;
}

void TFeedStates::Rename(const QString& from, const QString& to)
{
    if (from == to)
        return;
    TFeedState s = states.take(from);
    s.movedTo.clear();
    s.moves = 0;
    if (!s.IsEmpty())
        states.insert(to, s);
}

QByteArray TFeedStates::Serialise(const QSet<QString>& keep) const
{
    QByteArray text = kHeader + '\n';
    // In a fixed order, so that the same states write the same file.
    QStringList urls;
    for (auto it = states.constBegin(); it != states.constEnd(); ++it)
        if (keep.contains(it.key()) && !it->IsEmpty())
            urls << it.key();
    urls.sort();
    for (const QString& url : urls) {
        const TFeedState& s = states[url];
        QList<QByteArray> fields{Encode(url.toUtf8()),
                                 Encode(s.etag),
                                 Encode(s.lastModified),
                                 QByteArray::number(s.failures),
                                 QByteArray::number(s.nextTry),
                                 QByteArray::number(s.retryAfter),
                                 Encode(s.movedTo.toUtf8()),
                                 QByteArray::number(s.moves),
                                 QByteArray::number(s.gone ? 1 : 0),
                                 QByteArray::number(s.goneTold ? 1 : 0)};
        text += fields.join('\t') + '\n';
    }
    return text;
}

bool TFeedStates::Parse(const QByteArray& text)
{
    states.clear();
    const QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || lines.first().trimmed() != kHeader)
        return false;
    constexpr qint64 kFarFuture = 4102444800000LL; // 2100: beyond that a time is nonsense
    for (int i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> f = lines[i].trimmed().split('\t');
        if (f.size() != kFields)
            continue;
        const QString url = QString::fromUtf8(Decode(f[0]));
        TFeedState s;
        qint64 failures = 0, moves = 0, gone = 0, told = 0;
        if (url.isEmpty() || !ReadNumber(f[3], 0, kMaxFailures, failures)
            || !ReadNumber(f[4], 0, kFarFuture, s.nextTry) || !ReadNumber(f[5], 0, kFarFuture, s.retryAfter)
            || !ReadNumber(f[7], 0, kMovesToFollow, moves) || !ReadNumber(f[8], 0, 1, gone)
            || !ReadNumber(f[9], 0, 1, told))
            continue;
        s.etag = Decode(f[1]);
        s.lastModified = Decode(f[2]);
        if (!UsableValidator(s.etag))
            s.etag.clear();
        if (!UsableValidator(s.lastModified))
            s.lastModified.clear();
        s.failures = static_cast<int>(failures);
        s.movedTo = QString::fromUtf8(Decode(f[6]));
        s.moves = s.movedTo.isEmpty() ? 0 : static_cast<int>(moves);
        s.gone = gone != 0;
        s.goneTold = told != 0;
        if (!s.IsEmpty())
            states.insert(url, s);
    }
    return true;
}

bool TFeedStates::Load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        states.clear();
        return false;
    }
    // A file far beyond any plausible size is not ours.
    if (file.size() > 64LL * 1024 * 1024) {
        states.clear();
        return false;
    }
    return Parse(file.readAll());
}
