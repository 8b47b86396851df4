#pragma once

#include <QString>
#include <chrono>
#include <optional>

// Whether a path names a file or a folder on disk now. Links are followed. A path with a NUL in
// it names nothing (the tree's placeholder keys have one).

// True when a file (not a folder) of that name exists.
bool FileExist(const QString& path);
// True when the folder exists; "/a" and "/a/" answer alike; an empty path is false.
bool FolderExist(const QString& path);

// The same, asked on a thread of its own and waited for at most the deadline, for a window that
// must not wait on a share that stopped answering: none when no answer came in time.
std::optional<bool> FileExistWithin(const QString& path, std::chrono::milliseconds deadline);
std::optional<bool> FolderExistWithin(const QString& path, std::chrono::milliseconds deadline);
