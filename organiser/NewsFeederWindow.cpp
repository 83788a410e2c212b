// The organiser window itself: components, menus, settings, store and lifecycle.
#include "organiser/NewsFeeders.h"

#include "app/NewsGlobals.h"
#include "feeds/FeedStates.h"
#include "model/Intervals.h"
#include "model/ViewNodes.h"
#include "ticker/DescriptionWindow.h"
#include "language/LangManager.h"
#include "notes/Notes.h"
#include "organiser/InterfaceTexts.h"
#include "organiser/NewsBackup.h"
#include "organiser/NewsStore.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"
#include "text/TextTools.h"
#include "ticker/RssViews.h"
#include "widgets/AccessibleNames.h"
#include "widgets/Gradient.h"
#include "widgets/NodeDelegate.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

TNewsFeeder* NewsFeeder = nullptr;

namespace {
const QString kSection = QStringLiteral("NewsFeeder");
constexpr int kDesignLeft = 249, kDesignTop = 132, kDesignWidth = 536, kDesignHeight = 508;
constexpr int kDesignPageIndex = 5; // the Tree tab: where a new user starts
} // namespace

TNewsFeeder::TNewsFeeder(TRSSView* ticker, QWidget* parent)
    : QWidget(parent, Qt::Window), ticker(ticker)
{
    NewsFeeder = this;
    Busy = new TBusyState(this);
    CreatePipeline();
    Store = std::make_unique<TNewsStore>([this](const TStoreResult& result) { ReportStoreResult(result); });
    setObjectName(QStringLiteral("NewsFeeder"));
    setWindowTitle(QStringLiteral("Quorbel        Stay Tivaleo"));
    setGeometry(kDesignLeft, kDesignTop, kDesignWidth, kDesignHeight);
    CreateComponents();
    CreateIconLookups();
    CreateWindowActions();
    CreateReloadActions();
    CreateEditActions();
    CreateIntakeActions();
    CreateOpenActions();
    CreateAgeOptionActions();
    CreateImportExportActions();
    CreateMenus();

    // The user's application-data folder gets its (empty) program folder.
    const QString appData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QDir().mkpath(appData + QStringLiteral("/Plimora"));

    NewsInterval = 300000;
    NewsStorageDuration = 5;
    LoadingSettings = true;
    ApplyInterfaceTexts();
    LoadSettings();
    TreeLoaded = false;
    UpdatePosition = nullptr;
    const QString folder = NewsData ? NewsData->ProgramFolder : ProgramFolder();
    NewsXmlPath = folder + QStringLiteral("News.xml");
    NewsStorePath = folder + QStringLiteral("News.qbx");
    // A damaged or foreign file is no loss: the feeds are fetched in full once.
    FeedStates = std::make_unique<TFeedStates>();
    FeedStates->Load(FeedStatesPath());
    // Only a file read whole may become the back-up.
    if (NewsData && NewsData->NewsStart.kind == TNewsStartKind::Whole && NewsData->NewsFile == NewsStorePath)
        Store->TrustNewsFile(NewsStorePath);
    BuildLanguageMenu(mnLanguage);
    acLanguage->setVisible(!mnLanguage->actions().isEmpty()); // no entry that leads nowhere
    LoadingSettings = false;

    if (NewsData)
        NewsData->IconsReloaded = [this] { ReassignFileIcons(); };
    // Note windows share one name: translated again on every show.
    TFrmNote::TranslateHook = [](QWidget* note) {
        TLangManager* lan = NewsData ? NewsData->LanMan.get() : nullptr;
        if (!lan)
            return;
        lan->TranslateForm(note, true);
        const QString section = QStringLiteral("FrmNote");
        lan->ReadText(section, QStringLiteral("SStoreWithoutFormatting"), TFrmNote::SStoreWithoutFormatting);
        lan->ReadText(section, QStringLiteral("SMailFailed"), TFrmNote::SMailFailed);
        lan->ReadText(section, QStringLiteral("SCannotCreateFile"), TFrmNote::SCannotCreateFile);
        lan->ReadText(section, QStringLiteral("SSaveAsTitle"), TFrmNote::SSaveAsTitle);
        lan->ReadText(section, QStringLiteral("SNoteFileFilter"), TFrmNote::SNoteFileFilter);
    };
    SetNoteDisplay([](const QString& title, const QString& text) {
        TFrmNote note(NewsFeeder);
        note.LoadNote(title, text, nullptr);
        note.ShowMessage();
    });

    CreateNavigation();
}

TNewsFeeder::~TNewsFeeder()
{
    // First: the views' event filters, which still see events while the
    // views go after this body, check it before calling back.
    if (NewsFeeder == this)
        NewsFeeder = nullptr;
    if (ticker) {
        ticker->SetHost(nullptr); // the ticker must not call back into a window on its way out
        ticker->ShowItem(ticker->WelcomeItem);
        ticker->lbRss->setText(OrganiserTexts.SThankYou);
    }
    if (NewsData) {
        NewsData->IconsReloaded = nullptr;
        NewsData->LookUpIconLater = nullptr;
    }
    IconLookups.reset();
    // Taken apart here, while the views still stand: their own destructors
    // would delete a deep tree recursively. No handler of ours sees it.
    for (QTreeWidget* view : {tvTree, tvTemp, tvTime, tvWeb, tvVideo, tvAudio, tvTheme}) {
        const QSignalBlocker quiet(view);
        ClearView(view);
    }
}

void TNewsFeeder::ReassignFileIcons()
{
    // Registering a site icon rebuilds the image list without the shell icons
    // the file nodes had taken; each gets its icon anew.
    for (QTreeWidgetItemIterator it(tvTree); *it; ++it) {
        TTreeItem* item = NewsData->NodeItem(*it);
        if (item && item->IsKind(kFileLink)) {
            NewsData->AssignFileIcon(*it);
            NewsData->ApplyNodeImages(item, *it);
        }
    }
}

QTreeWidget* TNewsFeeder::CreateTreeView(QWidget* tab, const QString& name)
{
    auto* view = new QTreeWidget(tab);
    view->setObjectName(name);
    view->setHeaderHidden(true);
    view->setColumnCount(1);
    view->setIndentation(19);
    // Editing starts with the rename command (EditCommands.cpp sets the triggers).
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The nodes stand on the button-face colour, like the panel around them.
    QPalette palette = view->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    view->setPalette(palette);
    view->viewport()->setBackgroundRole(QPalette::Base);
    view->viewport()->setAutoFillBackground(true);
    view->setUniformRowHeights(true);
    if (NewsData)
        view->setItemDelegate(new TNodeDelegate(NewsData->imIcons, view));
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    return view;
}

void TNewsFeeder::CreateComponents()
{
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    // The panel's background: a ramp from gray to the button face.
    Gradient1 = new TGradient(Panel1);
    Gradient1->setObjectName(QStringLiteral("Gradient1"));
    Gradient1->SetGradientStart(QColor(128, 128, 128));
    Gradient1->SetGradientEnd(Qt::black);
    PageControl1 = new QTabWidget(Panel1);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->move(5, 5);
    PageControl1->setIconSize(QSize(16, 16));

    struct TabDef {
        QWidget** tab;
        const char* tabName;
        const char* caption;
        int icon;
        QTreeWidget** view;
        const char* viewName;
    };
    const TabDef tabs[] = {
        {&tbTime, "tbTime", "Time", imgClock, &tvTime, "tvTime"},
        {&tbWWW, "tbWWW", "WWW", imgWebLink, &tvWeb, "tvWeb"},
        {&tbVideo, "tbVideo", "Video", imgVideo, &tvVideo, "tvVideo"},
        {&tbAudio, "tbAudio", "Audio", imgAudio, &tvAudio, "tvAudio"},
        {&tbFeeds, "tbFeeds", "Feeds", imgFeed, &tvTheme, "tvTheme"},
        {&tbTree, "tbTree", "Tree", imgTree, &tvTree, "tvTree"},
    };
    for (const TabDef& def : tabs) {
        auto* tab = new QWidget;
        tab->setObjectName(QString::fromLatin1(def.tabName));
        *def.tab = tab;
        *def.view = CreateTreeView(tab, QString::fromLatin1(def.viewName));
        const QIcon icon = NewsData ? NewsData->imIcons.Icon(def.icon) : TImageList::Predefined(def.icon);
        PageControl1->addTab(tab, icon, QString::fromLatin1(def.caption));
    }
    QFont treeFont = tvTree->font();
    treeFont.setUnderline(true);
    tvTree->setFont(treeFont);
    QPalette treePalette = tvTree->palette();
    treePalette.setColor(QPalette::Text, Qt::blue);
    tvTree->setPalette(treePalette);
    tvTree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tvTree->setMouseTracking(true);

    tvTemp = new QTreeWidget(this);
    tvTemp->setObjectName(QStringLiteral("tvTemp"));
    tvTemp->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(4000);
    connect(Timer1, &QTimer::timeout, this, &TNewsFeeder::Timer1Timer);
    Timer1->start();
    // The first tick as soon as the windows exist, not a whole interval later.
    QTimer::singleShot(0, this, [this] {
        if (!TreeLoaded && Timer1->isActive())
            Timer1Timer();
    });
    HintTimer = new QTimer(this);
    HintTimer->setObjectName(QStringLiteral("HintTimer"));
    HintTimer->setInterval(2000);
    // Runs for the whole life of the window; each tick hides a hint left showing.
    connect(HintTimer, &QTimer::timeout, this, [this] {
        if (HintWindow && HintWindow->isVisible())
            HintWindow->hide();
    });
    HintTimer->start();

    PageControl1->setCurrentIndex(kDesignPageIndex); // the tab active at design
    connect(PageControl1, &QTabWidget::currentChanged, this, &TNewsFeeder::PageChanged);
}

void TNewsFeeder::LoadSettings()
{
    TIniFile ini(SettingsFileName());
    TLangManager* lan = NewsData ? NewsData->LanMan.get() : nullptr;
    LanguageName = ini.ReadString(kSection, QStringLiteral("Language"), lan ? lan->Language() : LanguageName);
    if (lan) {
        lan->SetLanguage(LanguageName);
        ApplyInterfaceTexts();
        if (ticker)
            ticker->ApplyTickerTexts();
    }
    QRect r = geometry();
    r.moveLeft(ini.ReadInteger(kSection, QStringLiteral("Left"), r.left()));
    r.moveTop(ini.ReadInteger(kSection, QStringLiteral("Top"), r.top()));
    r.setWidth(ini.ReadInteger(kSection, QStringLiteral("Width"), r.width()));
    r.setHeight(ini.ReadInteger(kSection, QStringLiteral("Height"), r.height()));
    setGeometry(r);
    // 0 stops the update ticks after start-up; a value under a second (the
    // scheduler would fetch all the time), a negative one or one the timer
    // cannot hold is ignored.
    const int interval = ini.ReadInteger(kSection, QStringLiteral("NewsInterval"), NewsInterval);
    if (IsUsableNewsInterval(interval))
        NewsInterval = interval;
    NewsStorageDuration = ini.ReadInteger(kSection, QStringLiteral("NewsStorageDuration"),
                                          NewsStorageDuration);
    const int page = ini.ReadInteger(kSection, QStringLiteral("PageIndex"), PageControl1->currentIndex());
    if (page >= 0 && page < PageControl1->count())
        PageControl1->setCurrentIndex(page);
    ApplyAgeOptionMarks();
}

void TNewsFeeder::SaveSettings()
{
    TIniFile ini(SettingsFileName());
    // The language is written once a name is known (the language manager owns it).
    if (NewsData && NewsData->LanMan)
        LanguageName = NewsData->LanMan->Language();
    if (!LanguageName.isEmpty())
        ini.WriteString(kSection, QStringLiteral("Language"), LanguageName);
    const QRect r = geometry();
    ini.WriteInteger(kSection, QStringLiteral("Left"), r.left());
    ini.WriteInteger(kSection, QStringLiteral("Top"), r.top());
    ini.WriteInteger(kSection, QStringLiteral("Width"), r.width());
    ini.WriteInteger(kSection, QStringLiteral("Height"), r.height());
    ini.WriteInteger(kSection, QStringLiteral("NewsInterval"), NewsInterval);
    ini.WriteInteger(kSection, QStringLiteral("NewsStorageDuration"), NewsStorageDuration);
    ini.WriteInteger(kSection, QStringLiteral("PageIndex"), PageControl1->currentIndex());
}

void TNewsFeeder::SaveNewsWithBackup()
{
    // Only the whole tree is stored: before the first build has completed,
    // or while nodes are being placed, the file on disk is the better copy.
    if (NewsData && CanStoreTree()) {
        // A damaged file is kept aside before the first store replaces it.
        if ((NewsData->NewsFileDamaged || NewsData->NewsStart.backupDamaged) && !damagedFileKept)
            Store->WaitForIdle();
        if (!KeepDamagedNewsFile()) {
            TStoreResult notStored;
            notStored.newsPath = NewsStorePath;
            notStored.storeFailed = true;
            ReportStoreResult(notStored);
        } else {
            // Only the snapshot is taken here; the copy of the list shares
            // its texts with the live one until either changes them.
            const QFileInfo xmlPath(NewsXmlPath);
            TStoreJob job;
            job.list = std::make_unique<TTreeList>();
            job.list->CopyByTree(NewsData->NewsList, tvTree);
            job.newsPath = NewsStorePath;
            job.backupPath = xmlPath.path() + '/' + xmlPath.completeBaseName() + QStringLiteral(".bak");
            job.now = Clock().Now();
            job.feedStatesPath = FeedStatesPath();
            job.feedStates = FeedStates->Serialise(FeedLinks());
            Store->Request(std::move(job));
        }
    }
    SaveSettings();
}

void TNewsFeeder::WaitForStore()
{
    if (Store)
        Store->WaitForIdle();
}

bool TNewsFeeder::KeepDamagedNewsFile()
{
    // A News.qbx or News.bak that could not be read whole at start-up is kept
    // once, beside it, before the first store (or the back-up copy after it)
    // replaces it.
    if (damagedFileKept || !NewsData)
        return true;
    struct {
        bool damaged;
        QString file;
    } const files[] = {
        {NewsData->NewsFileDamaged, NewsStorePath},
        {NewsData->NewsStart.backupDamaged, NewsData->BackupFile},
    };
    for (const auto& f : files) {
        const QString kept = f.file + QStringLiteral(".damaged");
        if (!f.damaged || !QFileInfo::exists(f.file))
            continue;
        if (!CopyFileSafely(f.file, kept)) {
            DebugTrace(QStringLiteral("The damaged file could not be kept as %1; not stored").arg(kept));
            return false;
        }
        DebugTrace(QStringLiteral("%1 was damaged; kept as %2").arg(f.file, kept));
    }
    damagedFileKept = true;
    return true;
}

bool TNewsFeeder::IsShowing() const { return isVisible(); }

void TNewsFeeder::CloseHandling()
{
    if (HintWindow)
        HintWindow->hide();
    SaveNewsWithBackup();
    hide();
}

void TNewsFeeder::showEvent(QShowEvent* event)
{
    ApplyInterfaceTexts();
    QWidget::showEvent(event);
}

void TNewsFeeder::closeEvent(QCloseEvent* event)
{
    CloseHandling();
    event->ignore(); // closing only hides the organiser
}

void TNewsFeeder::EndProgram()
{
    if (endRequested)
        return;
    endRequested = true;
    Pipeline->Drop(TFetchPipeline::TBatch::Scheduler);
    Pipeline->Drop(TFetchPipeline::TBatch::ReloadAll);
    Busy->RunWhenIdle(
        [this] {
            FinalCloseHandling();
            emit programEndRequested();
        },
        true);
}

void TNewsFeeder::FinalCloseHandling()
{
    if (finalCloseDone)
        return;
    finalCloseDone = true;
    // Open notes keep what was typed into them before the tree is stored.
    TFrmNote::CloseStepForAll();
    CloseHandling();
    WaitForStore(); // the program ends only with the tree on disk
}

void TNewsFeeder::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int menuHeight = MainMenu1 ? MainMenu1->sizeHint().height() : 0;
    if (MainMenu1)
        MainMenu1->setGeometry(0, 0, width(), menuHeight);
    Panel1->setGeometry(0, menuHeight, width(), height() - menuHeight);
    Gradient1->setGeometry(Panel1->rect());
    PageControl1->resize(Panel1->width() - 9, Panel1->height() - 9);
    // The first resize only delivers the bounds applied at creation.
    if (!LoadingSettings && event->oldSize().isValid())
        SaveSettings();
}

void TNewsFeeder::PageChanged(int)
{
    UpdateTabViews();
    if (!LoadingSettings)
        SaveSettings();
}

void TNewsFeeder::PostReload()
{
    QMetaObject::invokeMethod(this, &TNewsFeeder::HandleReload, Qt::QueuedConnection);
}

void TNewsFeeder::PostLanguageChanged()
{
    QMetaObject::invokeMethod(this, &TNewsFeeder::HandleLanguageChanged, Qt::QueuedConnection);
}


void TNewsFeeder::ShowStatus(const QString& text)
{
    if (ticker && ticker->lbRss) {
        ticker->lbRss->setText(text);
        ticker->lbRss->adjustSize();
        SetAccessibleName(ticker->lbRss, text); // screen readers hear the status too
    }
}
