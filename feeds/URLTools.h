#pragma once
// The program's way onto the network: fetch one URL into a file, and ask
// whether a connection is worth trying. Both go through the installed
// Downloader() and Connectivity() services.
#include <QString>

// True when the whole body of url was written to fileName. Blocks until the
// transfer ends, but the event loop keeps running meanwhile. A failure leaves
// no file behind and an existing file of that name as it was. Never throws.
bool DownloadURLToFile(const QString& url, const QString& fileName);

bool IsInternetConnected();
