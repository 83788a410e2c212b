#include "organiser/NewsBackup.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

bool BackupIsDue(const QString& backupFile, const QDateTime& now)
{
    const QFileInfo info(backupFile);
    if (!info.exists())
        return false;
    const QDateTime startOfToday(now.date(), QTime(0, 0));
    return startOfToday > info.lastModified().addDays(1);
}

bool CopyFileSafely(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    char buffer[1 << 16];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0) {
            out.cancelWriting();
            return false;
        }
        if (n == 0)
            break;
        if (out.write(buffer, n) != n) {
            out.cancelWriting();
            return false;
        }
    }
    return out.commit();
}
