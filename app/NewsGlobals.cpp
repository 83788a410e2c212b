#include "app/NewsGlobals.h"

#include "model/ViewNodes.h"
#include "text/TextTools.h"

#include <QDir>
#include <QFileInfo>

TNewsData* NewsData = nullptr;

TNewsData::TNewsData(const QString& programFolder)
{
    NewsData = this;
    ProgramFolder = programFolder;
    ScratchFile = ProgramFolder + QStringLiteral("rss.xml");
    LanguageFolder = ProgramFolder + QStringLiteral("Language/");

    imIcons.AddPredefined();
    PredefinedIconCount = imIcons.Count();

    ImagesFolder = ProgramFolder + QStringLiteral("Images/");
    RefreshIcons = !QDir(ImagesFolder).exists();
    if (RefreshIcons)
        QDir().mkdir(ImagesFolder); // a failure shows later as icons that never stick

    IconListFile = ImagesFolder + QStringLiteral("IconList.csv");
    for (int i = 0; i < PredefinedIconCount; ++i) {
        IconFiles << QStringLiteral("predefined");
        IconURLs << QStringLiteral("predefined");
    }
    ReloadIcons();

    NewsFile = ProgramFolder + QStringLiteral("News.qbx");
    // A missing or damaged file keeps what could be read; a damaged one is
    // kept aside before the first store replaces it.
    NewsFileDamaged = !NewsList.LoadContainer(NewsFile) && QFileInfo::exists(NewsFile);
}

TNewsData::~TNewsData()
{
    if (NewsData == this)
        NewsData = nullptr;
}

TTreeItem* TNewsData::NodeItem(const QTreeWidgetItem* node) const
{
    if (!node)
        return nullptr;
    const qint64 index = NodeDataValue(node);
    if (index < 0 || index >= NewsList.Count())
        return nullptr;
    return NewsList.At(static_cast<int>(index));
}

void TNewsData::ApplyNodeImages(const TTreeItem* item, QTreeWidgetItem* node) const
{
    if (!item || !node)
        return;
    int state = -1;
    if (IsAudioLink(item->Link))
        state = imgAudio;
    else if (IsVideoLink(item->Link))
        state = imgVideo;
    SetNodeImages(node, item->IconIdx, item->IconIdx, state);
}
