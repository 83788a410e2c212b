#include "app/NewsGlobals.h"

#include "model/ViewNodes.h"
#include "text/TextTools.h"

#include <QDir>

TNewsData* NewsData = nullptr;

// The language files compiled into the program (resources/Language). Outside
// any namespace: the resource's initialiser is a global function.
static void InitLanguageResources() { Q_INIT_RESOURCE(language); }

TNewsData::TNewsData(const QString& programFolder)
{
    NewsData = this;
    LanMan = std::make_unique<TLangManager>();
    LanMan->setObjectName(QStringLiteral("LanMan"));
    LanMan->BuildLanguage = qEnvironmentVariable("QUORBEL_BUILD_LANGUAGE") == QLatin1String("1");
    LanMan->Created = QStringLiteral("\"03.09.2006 by Plimora\"");
    ProgramFolder = programFolder;
    ScratchFile = ProgramFolder + QStringLiteral("rss.xml");
    LanguageFolder = ProgramFolder + QStringLiteral("Language/");
    InitLanguageResources();
    // Shipped files the user lacks are added; ones there, perhaps edited, stay.
    CopyShippedLanguageFiles(QStringLiteral(":/Language"), LanguageFolder);
    if (LanMan->BuildLanguage) {
        QDir().mkpath(LanguageFolder); // the master file goes there
        LanMan->SetFileName(LanguageFolder + QStringLiteral("English.Ori"));
    } else {
        LanMan->SetLanguageFolder(LanguageFolder);
    }

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
    BackupFile = ProgramFolder + QStringLiteral("News.bak");
    // A damaged file is kept aside by the first store before it is replaced.
    NewsStart = LoadNewsAtStart(NewsList, NewsFile, BackupFile);
    NewsFileDamaged = NewsStart.newsFileDamaged;
}

TNewsData::~TNewsData()
{
    if (NewsData == this)
        NewsData = nullptr;
}

TTreeItem* ItemOf(const QTreeWidgetItem* node) { return NewsData ? NewsData->NodeItem(node) : nullptr; }

TTreeItem* TNewsData::NodeItem(const QTreeWidgetItem* node) const
{
    if (!node)
        return nullptr;
    const qint64 index = NodeDataValue(node);
    if (index < 0 || index >= NewsList.Count())
        return nullptr;
    return NewsList.At(static_cast<int>(index));
}

TNodeImages TNewsData::NodeImagesOf(const TTreeItem* item, const TMediaKinds& kinds)
{
    const int state = kinds.audio ? imgAudio : kinds.video ? imgVideo : -1;
    return TNodeImages{item->IconIdx, item->IconIdx, state};
}

void TNewsData::ApplyNodeImages(const TTreeItem* item, QTreeWidgetItem* node) const
{
    if (!item || !node)
        return;
    SetNodeImages(node, NodeImagesOf(item, MediaKindsOf(item->Link)));
}
