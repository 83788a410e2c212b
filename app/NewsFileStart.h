#pragma once
// Reading the news tree at start-up, with the back-up copy to fall back on.
//
// Rules kept here:
//  - A News.qbx read to its end is used as it is; News.bak is not read.
//  - A News.qbx that is cut short, unreadable or empty, or missing while a
//    News.bak exists: a News.bak that reads whole is loaded instead.
//  - When neither reads whole, the longer of what could be read is loaded
//    (News.qbx on a tie), and both count as damaged.
//  - Neither file there: a first start.
//  - Nothing is written here: the first store keeps the damaged files aside
//    before anything can replace them.
#include <QDateTime>
#include <QString>

class TTreeList;

enum class TNewsStartKind {
    Whole,        // News.qbx read to its end
    FirstStart,   // neither News.qbx nor News.bak exists
    BackupLoaded, // News.qbx damaged or missing; News.bak read whole and loaded
    PartLoaded,   // no whole file: what could be read of the longer one
};

struct TNewsStart {
    TNewsStartKind kind = TNewsStartKind::FirstStart;
    bool newsFileMissing = false;
    bool newsFileDamaged = false; // News.qbx exists but could not be read whole
    bool backupDamaged = false;   // News.bak exists but could not be read whole
    QString loadedFrom;           // the file whose tree was loaded; empty at a first start
    QDateTime backupTime;         // News.bak's modification time, when it was loaded
};

// Fills list, which must be empty, from newsFile or, as above, backupFile.
TNewsStart LoadNewsAtStart(TTreeList& list, const QString& newsFile, const QString& backupFile);
