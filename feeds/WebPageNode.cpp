#include "feeds/WebPageNode.h"

#include "app/NewsGlobals.h"
#include "feeds/RssMerge.h"
#include "model/DateTime.h"
#include "model/TreeItems.h"
#include "model/ViewNodes.h"
#include "text/TextTools.h"

#include <QTreeWidget>

namespace {
// The first place of tag (upper-case ASCII) in text, ignoring ASCII case, or -1.
qsizetype FindTag(const QString& text, QLatin1String tag)
{
    const qsizetype n = text.size();
    const qsizetype m = tag.size();
    const QChar* data = text.constData();
    for (qsizetype i = text.indexOf(u'<'); i >= 0 && i + m <= n; i = text.indexOf(u'<', i + 1)) {
        qsizetype k = 1;
        for (; k < m; ++k) {
            char16_t c = data[i + k].unicode();
            if (c >= u'a' && c <= u'z')
                c = static_cast<char16_t>(c - u'a' + u'A');
            if (c != static_cast<unsigned char>(tag.at(k).toLatin1()))
                break;
        }
        if (k == m)
            return i;
    }
    return -1;
}
} // namespace

QString WebPageTitle(const QString& pageText, const QString& url)
{
    const qsizetype open = FindTag(pageText, QLatin1String("<TITLE>"));
    const qsizetype close = FindTag(pageText, QLatin1String("</TITLE>"));
    if (open < 0 || close < 0)
        return url;
    const qsizetype start = open + 7;
    return close < start ? QString() : pageText.mid(start, close - start);
}

QTreeWidgetItem* AddWebPageNode(QTreeWidget* tree, const QString& url, const QString& pageText)
{
    if (!tree || !NewsData)
        return nullptr;
    TUpdateGuard bracket(tree);
    const QString title = WebPageTitle(pageText, url);
    if (QTreeWidgetItem* existing = FindNodeByURL(FirstNode(tree), url))
        return existing;
    TTreeItem page(kWebLink, title, url, QString(), QString(), FormatLocalDateTime(NowDateTime()));
    const int index = NewsData->NewsList.AddCopy(page);
    QTreeWidgetItem* node = NewViewNode(HTMLToText(title));
    SetNodeDataValue(node, index);
    tree->insertTopLevelItem(0, node);
    // The icon download lets events run: hand back only a live node.
    const TNodeRef nodeRef(node);
    NewsData->AssignNodeIcon(node, url);
    return nodeRef.In(tree);
}
