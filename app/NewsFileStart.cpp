#include "app/NewsFileStart.h"

#include "model/TreeItems.h"

#include <QFileInfo>

TNewsStart LoadNewsAtStart(TTreeList& list, const QString& newsFile, const QString& backupFile)
{
    TNewsStart start;
    const bool newsExists = QFileInfo::exists(newsFile);
    if (newsExists && list.LoadContainer(newsFile)) {
        start.kind = TNewsStartKind::Whole;
        start.loadedFrom = newsFile;
        return start;
    }
    start.newsFileMissing = !newsExists;
    start.newsFileDamaged = newsExists;
    if (newsExists)
        start.loadedFrom = newsFile;
    const QFileInfo backupInfo(backupFile);
    if (!backupInfo.exists()) {
        start.kind = newsExists ? TNewsStartKind::PartLoaded : TNewsStartKind::FirstStart;
        return start;
    }

    TTreeList backup;
    const bool backupWhole = backup.LoadContainer(backupFile);
    start.backupDamaged = !backupWhole;
    if (backupWhole || backup.Count() > list.Count() || !newsExists) {
        list.Swap(backup);
        start.loadedFrom = backupFile;
        start.backupTime = backupInfo.lastModified();
    }
    start.kind = backupWhole ? TNewsStartKind::BackupLoaded : TNewsStartKind::PartLoaded;
    return start;
}
