#include "model/Opml.h"

#include "model/DateTime.h"
#include "model/NewsXml.h"
#include "model/ViewNodes.h"
#include "platform/Errors.h"
#include "platform/WebLinks.h"
#include "text/TextTools.h"

#include <QFile>
#include <QTreeWidget>
#include <QXmlStreamReader>

#include <new>
#include <vector>

namespace {
bool Fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

bool Named(QStringView name, const char* expected)
{
    return name.compare(QLatin1String(expected), Qt::CaseInsensitive) == 0;
}

QString FirstNonBlank(const QString& a, const QString& b, const QString& fallback)
{
    return !IsBlank(a) ? a : !IsBlank(b) ? b : fallback;
}

QString XmlUrlOf(const QXmlStreamAttributes& attributes)
{
    if (attributes.hasAttribute(QLatin1String("xmlUrl")))
        return attributes.value(QLatin1String("xmlUrl")).toString().trimmed();
    for (const QXmlStreamAttribute& a : attributes)
        if (Named(a.qualifiedName(), "xmlurl"))
            return a.value().toString().trimmed();
    return QString();
}

// What an open element is to the reader.
enum class TRole {
    Root,
    Body,
    Pending, // an outline without xmlUrl: a folder once an outline shows up inside
    Folder,
    Feed,
    Skipped,
    Ignored, // anything else, with everything inside it
};

struct TFrame {
    TRole role;
    qint32 container; // where outlines inside this element go (-1: top level)
    QString title;    // a pending folder's title
};

void Read(const QString& fileName, TTreeList& list)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EQuorbelError(file.errorString());
    QXmlStreamReader reader(&file);
    TLinkedAppender records(list);
    std::vector<TFrame> open;
    bool sawBody = false;

    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::EndElement) {
            const TFrame& done = open.back();
            if (done.role == TRole::Pending)
                DebugTrace(QStringLiteral("OPML: empty outline \"%1\" skipped").arg(done.title));
            open.pop_back();
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = reader.qualifiedName();
        if (open.empty()) {
            if (!Named(name, "opml"))
                throw EQuorbelError(QStringLiteral("The root element is not \"opml\""));
            open.push_back({TRole::Root, -1, {}});
            continue;
        }
        TFrame& parent = open.back();
        const bool outlineHere = parent.role != TRole::Root && parent.role != TRole::Ignored;
        if (parent.role == TRole::Root && Named(name, "body")) {
            sawBody = true;
            open.push_back({TRole::Body, -1, {}});
            continue;
        }
        if (!outlineHere || !Named(name, "outline")) {
            open.push_back({TRole::Ignored, -1, {}});
            continue;
        }
        // An outline inside an outline without xmlUrl makes that one a folder,
        // placed before anything inside it.
        if (parent.role == TRole::Pending) {
            TTreeItem folder;
            folder.NewsType = kFolder;
            folder.SetTitle(parent.title.toHtmlEscaped());
            folder.TimeStamp = 0;
            parent.container = records.Append(folder, parent.container);
            parent.role = TRole::Folder;
        }
        const qint32 container = parent.container;
        const QXmlStreamAttributes attributes = reader.attributes();
        const QString text = attributes.value(QLatin1String("text")).toString();
        const QString title = attributes.value(QLatin1String("title")).toString();
        const QString url = XmlUrlOf(attributes);
        if (url.isEmpty()) {
            // Its own place is decided by its first inner outline.
            open.push_back({TRole::Pending, container, FirstNonBlank(text, title, QStringLiteral("Folder"))});
        } else if (IsWebURL(url)) {
            TTreeItem feed;
            feed.NewsType = kFeed;
            // The attribute is text already: escaped, so that the title
            // conversion gives it back whole ("x < y", "&lt;b&gt;").
            feed.SetTitle(FirstNonBlank(text, title, url).toHtmlEscaped());
            feed.Link = url;
            feed.TimeStamp = 0;
            feed.IconIdx = -1;
            records.Append(feed, container);
            open.push_back({TRole::Feed, container, {}});
        } else {
            DebugTrace(QStringLiteral("OPML: outline with feed address \"%1\" skipped").arg(url));
            open.push_back({TRole::Skipped, container, {}});
        }
    }
    if (reader.hasError())
        throw EQuorbelError(QStringLiteral("%1 (line %2, column %3)")
                                .arg(reader.errorString())
                                .arg(reader.lineNumber())
                                .arg(reader.columnNumber()));
    if (!sawBody)
        throw EQuorbelError(QStringLiteral("The file holds no OPML body"));
    if (list.Count() == 0)
        throw EQuorbelError(QStringLiteral("The file holds no feed"));
}

} // namespace

bool ReadOpml(const QString& fileName, TTreeList& list, QString* error)
{
    return ReadGuarded(list, error, [&] { Read(fileName, list); });
}

bool SaveToOpml(QTreeWidget* view, const TTreeList& list, const QString& fileName, bool selectionOnly,
                QString* error)
{
    const QTreeWidgetItem* start = selectionOnly ? SelectedNode(view) : nullptr;
    if (selectionOnly && !start)
        return Fail(error, QStringLiteral("No node selected"));
    return SaveToOpml(view, list, fileName, start, error);
}

bool SaveToOpml(QTreeWidget* view, const TTreeList& list, const QString& fileName,
                const QTreeWidgetItem* start, QString* error)
{
    if (!view)
        return Fail(error, QStringLiteral("No tree to save"));

    TXmlFileWriter out(fileName);
    if (!out.Open(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"), error))
        return false;
    out.StartElement(QStringLiteral("opml"));
    out.Attribute(QStringLiteral("version"), QStringLiteral("2.0"));
    out.StartElement(QStringLiteral("head"));
    out.TextElement(QStringLiteral("title"), QStringLiteral("Quorbel subscriptions"));
    out.TextElement(QStringLiteral("dateCreated"), FromDateTime(NowDateTime()).toString(Qt::RFC2822Date));
    out.EndElement();
    out.StartElement(QStringLiteral("body"));

    // Only folders are descended into.
    WalkForWriting(
        view, list, start,
        [&](const QTreeWidgetItem*, const TTreeItem& node) {
            const TTreeItem* item = &node;
            if (item->IsKind(kFolder)) {
                out.StartElement(QStringLiteral("outline"));
                out.Attribute(QStringLiteral("text"), item->Title);
                out.Attribute(QStringLiteral("title"), item->Title);
                return true; // closed by leave
            }
            if (item->IsKind(kFeed) && !IsBlank(item->Link)) {
                const QString title = TitleWithoutCount(item->Title);
                out.StartElement(QStringLiteral("outline"));
                out.Attribute(QStringLiteral("type"), QStringLiteral("rss"));
                out.Attribute(QStringLiteral("text"), title);
                out.Attribute(QStringLiteral("title"), title);
                out.Attribute(QStringLiteral("xmlUrl"), item->Link.trimmed());
                out.EndElement();
            }
            // News items, notes, file and web links have no place in a subscription list.
            return false;
        },
        [&out] { out.EndElement(); });
    out.EndElement(); // body
    out.EndElement(); // opml
    return out.Commit(error);
}
