#include "model/Utf8Text.h"

QByteArray TUtf8Text::EncodeUtf8(const QString& text)
{
    const qsizetype n = text.size();
    const QChar* p = text.constData();
    qsizetype i = 0;
    for (; i < n; ++i) {
        if (!p[i].isSurrogate())
            continue;
        if (p[i].isHighSurrogate() && i + 1 < n && p[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        break; // an unpaired one: take the slow road
    }
    if (i == n)
        return text.toUtf8();
    QString kept;
    kept.reserve(n);
    for (i = 0; i < n; ++i) {
        if (!p[i].isSurrogate()) {
            kept.append(p[i]);
        } else if (p[i].isHighSurrogate() && i + 1 < n && p[i + 1].isLowSurrogate()) {
            kept.append(p[i]);
            kept.append(p[++i]);
        }
    }
    return kept.toUtf8();
}
