// The URLs and files of a command line: this start's own and those a later
// start hands over through the one-copy road.
//
// Rules kept here:
//  - A "feed:" URL is the web URL it stands for; an http or https URL is
//    fetched as a pasted URL is, with the usual messages (and without the
//    note a paste keeps when nothing comes).
//  - An existing file ending in ".opml" (any letter case) is merged into the
//    tree as File > Merge does; any other existing file (.xml, .rss, .atom,
//    .json and the rest) is read as a feed through its file: URL, and so
//    refreshed from that file later. A "file:" URL counts as its file.
//  - Anything else is reported once and changes nothing.
//  - Every argument waits for the tree as the commands do, and they run in
//    the order given.
#include "organiser/NewsFeeders.h"

#include "feeds/URLTools.h"
#include "organiser/InterfaceTexts.h"
#include "platform/Dialogs.h"
#include "platform/WebLinks.h"

#include <QFileInfo>
#include <QUrl>

namespace {
// The file an argument names: a path, or a file: URL; empty when none exists.
QString ExistingFile(const QString& argument)
{
    QString path = argument;
    if (argument.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(argument);
        path = url.isLocalFile() ? url.toLocalFile() : QString();
    }
    const QFileInfo info(path);
    return !path.isEmpty() && info.isAbsolute() && info.isFile() ? info.absoluteFilePath() : QString();
}
} // namespace

void TNewsFeeder::OpenStartArguments(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        const QString url = NormaliseFeedURL(argument).trimmed();
        const QString file = IsWebURL(url) ? QString() : ExistingFile(argument);
        Busy->RunOnTree([this, argument, url, file] {
            if (IsWebURL(url))
                LoadFeedURL(url, nullptr);
            else if (file.endsWith(QLatin1String(".opml"), Qt::CaseInsensitive))
                MergeNewsFile(file);
            else if (!file.isEmpty())
                LoadFeedURL(QUrl::fromLocalFile(file).toString(), nullptr);
            else
                Dialogs().ShowError(FormatText(OrganiserTexts.SUnknownArgument, argument));
        });
    }
}
