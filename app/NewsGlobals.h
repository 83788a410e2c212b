#pragma once
// The data module: the shared state of the running program, reached through
// the one global reference NewsData. It owns the node pool NewsList, the
// node icons imIcons and the site-icon registry (IconFiles, IconURLs, kept in
// Images/IconList.csv and Images/IconURLList.csv), and the language manager
// LanMan.
#include "app/NewsFileStart.h"
#include "feeds/XmlDocument.h"
#include "language/LangManager.h"
#include "model/TreeItems.h"
#include "model/ViewNodes.h"
#include "text/TextTools.h"
#include "widgets/ImageList.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QTreeWidget;
class QTreeWidgetItem;

class TNewsData {
public:
    // Creates the module for a program folder ending in "/": makes Images/
    // when missing, loads the icon registry and reads News.qbx, or News.bak
    // when News.qbx is damaged or missing (NewsFileStart.h).
    explicit TNewsData(const QString& programFolder);
    ~TNewsData();
    TNewsData(const TNewsData&) = delete;
    TNewsData& operator=(const TNewsData&) = delete;

    // The item of a view node; nullptr for a negative data value or one not
    // below the list's count. Never raises.
    TTreeItem* NodeItem(const QTreeWidgetItem* node) const;

    // Site and file icons.
    // Site icons may be downloaded: the link is taken by value, as the
    // caller's string may go while events run.
    void AssignNodeIcon(QTreeWidgetItem* node, QString link);
    void AssignSiteIcon(QTreeWidgetItem* node, QString link);
    void AssignFileIcon(QTreeWidgetItem* node);
    int AddIconFile(const QString& iconFile, const QString& url);
    // The image index of the icon file's registry entry; -1 when it has none.
    int RegisteredIcon(const QString& iconFile) const;
    void ReloadIcons();
    // Called at the end of every ReloadIcons, which drops the shell icons of
    // file nodes: whoever shows such nodes gives them their icons again.
    std::function<void()> IconsReloaded;
    // When set, a site icon that must be looked up on the network is handed
    // to it, and AssignSiteIcon returns at once; else the lookup downloads
    // while the caller waits.
    std::function<void(QTreeWidgetItem* node, const QString& link)> LookUpIconLater;

    // Image, selected image and state image of a view node from its item.
    void ApplyNodeImages(const TTreeItem* item, QTreeWidgetItem* node) const;
    // The same images as values, for a link whose media kinds are known.
    static TNodeImages NodeImagesOf(const TTreeItem* item, const TMediaKinds& kinds);

    // Saves a tree-ordered copy of NewsList; NewsList and the views stay as they are.
    bool SaveNewsFile(QTreeWidget* view, const QString& fileName) const;

    // Made first. Reads Language/; with QUORBEL_BUILD_LANGUAGE=1 in the
    // environment it writes the master file Language/English.Ori instead.
    std::unique_ptr<TLangManager> LanMan;

    QString ProgramFolder;
    QString ScratchFile; // program folder + "rss.xml", shared by feed and icon downloads
    bool RefreshIcons = false;
    int PredefinedIconCount = 0;
    QString ImagesFolder;
    QString LanguageFolder;
    QStringList IconFiles;
    QStringList IconURLs;
    QString IconListFile;
    // Sites (lower-case site prefix) whose icon lookup found nothing, and
    // when: not asked again for a day (SiteIcons.cpp).
    QHash<QString, QDateTime> FailedIconSites;
    bool RecentIconFailure(const QString& prefix) const;
    void NoteIconLookup(const QString& prefix, bool found);
    QString NewsFile;
    QString BackupFile; // program folder + "News.bak"
    // What start-up found of News.qbx and News.bak, and which it loaded.
    TNewsStart NewsStart;
    // News.qbx existed at start-up but could not be read to its end.
    bool NewsFileDamaged = false;
    TImageList imIcons;
    TXMLDocument XMLDocument1; // reads news XML files
    TTreeList NewsList;
};

// The data module of the running program (set while one exists).
extern TNewsData* NewsData;

// The item of a view node in the running program's data module; nullptr
// without a data module, a node or an item.
TTreeItem* ItemOf(const QTreeWidgetItem* node);
