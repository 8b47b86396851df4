#pragma once

#include <QString>
#include <QUrl>
#include <functional>

class Dialogs;

// Hands a URL to the desktop (the window passes QDesktopServices; tests record it); false when
// nothing could be started for it.
using UrlOpener = std::function<bool(const QUrl& url)>;

// Opens a file, folder or web address with the program the desktop associates with it. An
// existing local file's folder becomes the current folder first, so the program starts there.
// Returns 0, or an error number after telling the user what could not be opened.
int ShellOpen(Dialogs& dialogs, const UrlOpener& openUrl, const QString& path);

// True when a file of that name is found where programs are looked for: the program's own
// folder, then every folder of searchPath (PATH when not given). A name with a "/" is looked up
// as it stands.
bool IsOnSearchPath(const QString& name);
bool IsOnSearchPath(const QString& name, const QString& searchPath);

// The folder picker: the chosen folder as a clean path, or an empty string when the user
// cancels. rootFolder keeps the choice below that folder (the network command passes the
// network place); initialFolder may end in "/".
QString BrowseForFolder(Dialogs& dialogs, const QString& caption, const QString& initialFolder,
                        const QString& rootFolder = {});
