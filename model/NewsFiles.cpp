#include "model/NewsFiles.h"

#include "model/NewsXml.h"
#include "model/Opml.h"
#include "model/TreeItems.h"

#include <QTreeWidget>

namespace {
void SetError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}
} // namespace

TNewsFileFormat NewsFileFormat(const QString& path)
{
    const struct {
        const char* extension;
        TNewsFileFormat format;
    } formats[] = {
        {".xml", TNewsFileFormat::Xml},
        {".qbx", TNewsFileFormat::Container},
        {".opml", TNewsFileFormat::Opml},
    };
    TNewsFileFormat found = TNewsFileFormat::None;
    qsizetype foundAt = -1;
    for (const auto& f : formats) {
        const qsizetype at = path.lastIndexOf(QLatin1String(f.extension), -1, Qt::CaseInsensitive);
        if (at > foundAt) {
            foundAt = at;
            found = f.format;
        }
    }
    return found;
}

bool ReadNewsFile(const QString& path, TTreeList& list, QString* error,
                  const std::function<void(const QString&)>& progress)
{
    list.Clear();
    bool ok = false;
    switch (NewsFileFormat(path)) {
    case TNewsFileFormat::Xml:
        ok = ReadNewsXml(path, list, error, progress);
        break;
    case TNewsFileFormat::Opml:
        ok = ReadOpml(path, list, error);
        break;
    case TNewsFileFormat::Container:
        // A container read to its end only: a damaged one would replace the
        // tree with whatever came before the damage.
        ok = list.LoadContainer(path);
        if (!ok)
            SetError(error, QStringLiteral("the file is missing, unreadable or damaged"));
        break;
    case TNewsFileFormat::None:
        SetError(error, QStringLiteral("the name ends in none of .xml, .qbx or .opml"));
        break;
    }
    if (ok && list.Count() == 0) {
        ok = false;
        SetError(error, QStringLiteral("the file holds no node"));
    }
    if (!ok)
        list.Clear();
    return ok;
}

bool WriteNewsFile(QTreeWidget* view, const TTreeList& list, const QString& path,
                   const QTreeWidgetItem* branch, int newsStorageDuration, QString* error)
{
    switch (NewsFileFormat(path)) {
    case TNewsFileFormat::Xml:
        return SaveToXml(view, list, path, branch, newsStorageDuration, error);
    case TNewsFileFormat::Opml:
        return SaveToOpml(view, list, path, branch, error);
    case TNewsFileFormat::Container: {
        TTreeList ordered;
        ordered.AddCopies(list); // the same indexes as the view's data values
        ordered.ReorderByTree(view, branch);
        if (!ordered.SaveContainer(path)) {
            SetError(error, QStringLiteral("the file could not be written"));
            return false;
        }
        return true;
    }
    case TNewsFileFormat::None:
        break;
    }
    SetError(error, QStringLiteral("the name ends in none of .xml, .qbx or .opml"));
    return false;
}
