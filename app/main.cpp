// Program entry: the data module comes up first and reads the stored news.
#include "app/NewsGlobals.h"
#include "platform/ProgramFolder.h"
#include "text/TextTools.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorbel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORBEL_VERSION));
    QApplication::setApplicationDisplayName(QStringLiteral("Vom News (RSS Reader)"));

    TNewsData data(ProgramFolder());
    DebugTrace(QStringLiteral("Loaded %1 nodes from %2").arg(data.NewsList.Count()).arg(data.NewsFile));
    return 0;
}
