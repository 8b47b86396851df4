#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

class QMimeData;

// What a drag carries between the program's own views and to and from other programs. Every drag
// carries its items as file: URLs (text/uri-list), so other programs can take them; a drag that
// starts in the folder tree or the file list also says so in a format of its own, so a drop on the
// tree can tell a folder of the tree, rows of the list and items from elsewhere apart.

enum class DropKind {
    None,         // nothing the program can use
    TreeFolder,   // a folder dragged from the folder tree
    ListRows,     // rows dragged from the file list
    OutsideItems  // files or folders from another program
};

// The data of a drag of paths from one of the program's views (TreeFolder or ListRows).
QMimeData* makeDragData(DropKind source, const QStringList& paths);

// What a drop holds, and the local paths it names (in order; URLs that are not local files are
// left out).
DropKind dropKindOf(const QMimeData* data);
QStringList droppedPaths(const QMimeData* data);

// A file: URL for a path of the disk and back, keeping the bytes of names that are not valid
// UTF-8 (see file_name_codec.h).
QUrl fileUrlOf(const QString& path);
QString pathOfFileUrl(const QUrl& url);
