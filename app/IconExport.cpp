// Build tool: writes the program's picture as PNG files for the desktop's
// icon theme, one per size, into the folder given.
#include "widgets/ImageList.h"

#include <QDir>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString sub = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        if (!QDir().mkpath(sub) || !TImageList::ApplicationImage(size).save(sub + QStringLiteral("/quorbel.png"))) {
            std::fprintf(stderr, "cannot write the %dx%d icon into %s\n", size, size, qPrintable(sub));
            return 1;
        }
    }
    return 0;
}
