#pragma once
// What each fuzz target does with one input, shared by the libFuzzer targets
// (fuzz/*Fuzz.cpp) and the regression test that replays the inputs they found
// (tests/fuzz/FuzzRegressionTest.cpp), so a fixed crash stays fixed through
// the very same calls.
//
// Each entry takes the input as the outside world hands it to the program: a
// file's bytes, a download's bytes, a header value. Failures the readers are
// meant to report (false, EQuorbelError) are part of the game; only crashes,
// hangs and sanitizer findings count.
#include "app/NewsGlobals.h"
#include "feeds/AtomFeed.h"
#include "feeds/DocumentText.h"
#include "feeds/FeedDiscovery.h"
#include "feeds/JsonFeed.h"
#include "feeds/RdfMerge.h"
#include "feeds/RssMerge.h"
#include "feeds/WebPageNode.h"
#include "feeds/XMLRss.h"
#include "language/LangFile.h"
#include "language/LangManager.h"
#include "model/Container.h"
#include "model/NewsDate.h"
#include "model/NewsXml.h"
#include "model/Opml.h"
#include "notes/Rtf.h"
#include "platform/Connectivity.h"
#include "platform/Errors.h"
#include "text/TextTools.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTreeWidget>
#include <QWidget>

#include <zlib.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace QuorbelFuzz {

class TOffline final : public IConnectivity {
public:
    bool IsConnected() override { return false; }
};

// A program folder with a data module and the six views the merges fill;
// offline and without icon refreshes, so nothing leaves the machine.
class TScene {
public:
    TScene() : data(home.path() + QLatin1Char('/'))
    {
        SetConnectivity(&offline);
        data.RefreshIcons = false;
        views.tvTree = &tree;
        views.tvTheme = &feeds;
        views.tvWeb = &web;
        views.tvTime = &time;
        views.tvVideo = &video;
        views.tvAudio = &audio;
    }
    ~TScene() { SetConnectivity(nullptr); }
    TScene(const TScene&) = delete;
    TScene& operator=(const TScene&) = delete;

    // Each input starts from an empty tree, so runs do not depend on each other.
    void Reset()
    {
        for (QTreeWidget* view : {&tree, &feeds, &web, &time, &video, &audio})
            view->clear();
        data.NewsList.Clear();
    }

    // fileName in the program folder holding bytes.
    QString WriteFile(const QString& fileName, const QByteArray& bytes) const
    {
        const QString path = home.path() + QLatin1Char('/') + fileName;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            throw std::runtime_error("cannot write the fuzz input file");
        return path;
    }

    QTemporaryDir home;
    TOffline offline;
    TNewsData data;
    QTreeWidget tree, feeds, web, time, video, audio;
    TNewsViews views;
};

// Container: the first byte chooses between the rest as the file itself
// (odd) and the rest as the payload, deflated here (even), so that the
// fuzzer reaches the record reader instead of stopping at zlib's checksum.
// A list that loads is then placed in the tree, as at start-up.
inline void RunContainer(TScene& scene, const QByteArray& input)
{
    scene.Reset();
    QByteArray file;
    const QByteArray rest = input.mid(1);
    if (!input.isEmpty() && (static_cast<unsigned char>(input[0]) & 1) == 0) {
        uLongf size = compressBound(static_cast<uLong>(rest.size()));
        file.resize(static_cast<qsizetype>(size));
        if (compress2(reinterpret_cast<Bytef*>(file.data()), &size,
                      reinterpret_cast<const Bytef*>(rest.constData()), static_cast<uLong>(rest.size()), 9)
            != Z_OK)
            return;
        file.resize(static_cast<qsizetype>(size));
    } else {
        file = rest;
    }
    scene.data.NewsList.LoadContainer(scene.WriteFile(QStringLiteral("fuzz.qbx"), file));
    scene.data.NewsList.BuildTreeView(&scene.tree);
}

// A downloaded feed, the way a fetch takes it: decoded for the format test,
// read as a JSON Feed, else parsed and merged as RSS, RDF or Atom according to
// its document element. Merged twice, the second time onto the feed node the
// first one made, as a refresh does. A raised error is a failed fetch.
inline void RunFeed(TScene& scene, const QByteArray& input)
{
    scene.Reset();
    const QString url = QStringLiteral("http://feed.test/rss");
    DecodeDocumentText(input);
    TFeedChannel channel;
    const TJsonKind json = ReadJsonFeed(input, channel);
    if (json == TJsonKind::JsonFeed) {
        QTreeWidgetItem* node = MergeFeedChannel(scene.views, 5, nullptr, url, channel);
        MergeFeedChannel(scene.views, 5, node, url, channel);
        return;
    }
    if (json != TJsonKind::NotJson)
        return;
    try {
        TXMLDocument document;
        document.LoadFromXML(input);
        const TXMLNode root = document.DocumentElement();
        QTreeWidgetItem* node = nullptr;
        for (int pass = 0; pass < 2; ++pass) {
            if (root.NodeName() == QLatin1String("rss"))
                node = MergeRssChannel(scene.views, 5, node, url, GetRss(document));
            else if (root.NodeName() == QLatin1String("rdf:RDF"))
                node = MergeRdfChannel(scene.views, 5, node, url, root);
            else if (IsAtomFeed(root))
                node = MergeFeedChannel(scene.views, 5, node, url, ReadAtomFeed(root));
            else
                return;
        }
        document.XML();
    } catch (const std::exception&) {
    }
}

// The news XML file and the OPML list, read from the same bytes, each placed
// in the tree when it reads.
inline void RunNewsFiles(TScene& scene, const QByteArray& input)
{
    scene.Reset();
    TTreeList list;
    if (ReadNewsXml(scene.WriteFile(QStringLiteral("fuzz.xml"), input), list))
        list.BuildTreeView(&scene.tree);
    scene.tree.clear();
    TTreeList outlines;
    if (ReadOpml(scene.WriteFile(QStringLiteral("fuzz.opml"), input), outlines))
        outlines.BuildTreeView(&scene.tree);
}

// A web page: its first line is the server's Content-Type, the rest the body.
inline void RunText(const QByteArray& input)
{
    const qsizetype lineEnd = input.indexOf('\n');
    const QString contentType = lineEnd < 0 ? QString() : QString::fromLatin1(input.left(lineEnd));
    const QByteArray body = lineEnd < 0 ? input : input.mid(lineEnd + 1);
    const QString page = DecodePageText(body, contentType);
    HTMLToText(page);
    HTMLToText(WebPageTitle(page, QStringLiteral("http://page.test/")));
    AdvertisedFeeds(page, QStringLiteral("http://page.test/dir/"));
    DecodeDocumentText(body);
    MetaCharset(body);
    TrimBlanks(page);
}

inline void RunDate(const QByteArray& input) { ParseNewsDate(QString::fromUtf8(input)); }

// A language file: read by the manager in reading mode, listed in its folder,
// applied to a small window and asked for named texts with placeholders.
inline void RunLanguage(TScene& scene, const QByteArray& input)
{
    const QString path = scene.WriteFile(QStringLiteral("FuzzLanguage/Fuzz.lan"), input);
    TLangManager manager;
    manager.BuildLanguage = false;
    manager.SetLanguageFolder(scene.home.path() + QStringLiteral("/FuzzLanguage"));
    manager.SetFileName(path);

    QWidget window;
    window.setObjectName(QStringLiteral("NewsFeeder"));
    auto* label = new QLabel(QStringLiteral("label"), &window);
    label->setObjectName(QStringLiteral("lbStatus"));
    auto* button = new QPushButton(QStringLiteral("button"), &window);
    button->setObjectName(QStringLiteral("acClose"));
    auto* list = new QComboBox(&window);
    list->setObjectName(QStringLiteral("cbList"));
    list->addItems({QStringLiteral("one"), QStringLiteral("two")});
    manager.ApplyForm(&window);

    QString message = QStringLiteral("Error downloading \"%s\"");
    manager.ReadText(QStringLiteral("NewsFeeder"), QStringLiteral("SErrDownloadFile"), message);
    QString interval = QStringLiteral("Connect to internet for all %d s");
    manager.ReadText(QStringLiteral("NewsFeeder"), QStringLiteral("acConnectionInterval.Caption"), interval);
    QString name = manager.Language();
    manager.ReadText(TLangManager::AppTitleSection, QStringLiteral("Languange"), name);
    LangDequote(name);
    SamePlaceholders(message, interval);
}

// A stored note: read into a document, written back and read again.
inline void RunRtf(const QByteArray& input)
{
    const QString text = QString::fromUtf8(input);
    QTextDocument document;
    RtfToDocument(text, document);
    QTextDocument again;
    RtfToDocument(DocumentToRtf(document), again);
    RtfToPlainText(text);
    // As the note window opens it: the written form is whole RTF.
    NoteTextToDocument(text, document);
    if (!IsWholeRtf(DocumentToRtf(document)))
        std::abort();
}

} // namespace QuorbelFuzz
