#pragma once

#include <QString>

// Whether a path names a file or a folder on disk now. Links are followed. A path with a NUL in
// it names nothing (the tree's placeholder keys have one).

// True when a file (not a folder) of that name exists.
bool FileExist(const QString& path);
// True when the folder exists; "/a" and "/a/" answer alike; an empty path is false.
bool FolderExist(const QString& path);
