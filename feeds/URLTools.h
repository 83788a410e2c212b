#pragma once
// The program's way onto the network: fetch one URL into a file, and ask
// whether a connection is worth trying. Both go through the installed
// Downloader() and Connectivity() services.
#include <QString>

// True when the whole body of url was written to fileName. Blocks until the
// transfer ends, but the event loop keeps running meanwhile. A failure leaves
// no file behind and an existing file of that name as it was. Never throws.
// Takes the URL by value: the caller's string may go while events run.
bool DownloadURLToFile(QString url, QString fileName);
// The same, also giving the Content-Type the server sent (empty when unknown).
bool DownloadURLToFile(QString url, QString fileName, QString& contentType);

bool IsInternetConnected();

// While set, every download fails at once; setting it also ends the
// transfers in progress. Commands that must not wait for the network (Exit,
// deleting nodes) set it until they have run.
void SetDownloadsCancelled(bool cancelled);
bool DownloadsCancelled();

// A feed link as browsers hand it over, made fetchable: "feed://host/path"
// is "http://host/path", "feed:https://host/path" (or "feed:http:...") is the
// URL after "feed:", and "feed:host/path" is "http://host/path". The text is
// looked at without surrounding blanks; anything that does not start with
// "feed:" (in any letter case) comes back unchanged.
QString NormaliseFeedURL(const QString& text);
