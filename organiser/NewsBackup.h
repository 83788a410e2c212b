#pragma once
// The daily back-up of the news file.
#include <QDateTime>
#include <QString>

// True when the back-up exists and the start of today is later than its
// modification time plus one day. No back-up file: none is made.
bool BackupIsDue(const QString& backupFile, const QDateTime& now);
// Copies source over target through a temporary file in the target's folder,
// so a failed copy never damages the target.
bool CopyFileSafely(const QString& source, const QString& target);
