#pragma once
// The common start of the fuzz targets: one offscreen application for the
// whole run (the merges and the tree building use widgets), in a fixed time
// zone and locale, with Qt's warnings kept out of the fuzzer's output.
#include "fuzz/FuzzEntries.h"

#include <QApplication>
#include <QLocale>

#include <cstdint>
#include <cstdlib>
#include <ctime>

namespace QuorbelFuzz {

inline void DropMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg) {
        fprintf(stderr, "%s\n", qPrintable(message));
        abort();
    }
}

inline void StartApplication()
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("TZ", "Europe/Berlin", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    tzset();
    static QTemporaryDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    setenv("QUORBEL_HOME", runtime.path().toLocal8Bit().constData(), 1);
    QLocale::setDefault(QLocale::c());
    qInstallMessageHandler(DropMessages);
    static int argc = 1;
    static char name[] = "quorbel_fuzz";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
}

inline QByteArray Input(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

} // namespace QuorbelFuzz

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    QuorbelFuzz::StartApplication();
    return 0;
}
