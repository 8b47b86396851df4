#pragma once

#include <QList>
#include <QString>
#include <cstdint>

#include "platform/volumes.h"

// Taking paths apart, testing what exists, and the size and time texts of the file list. Paths are
// POSIX paths with "/" as separator; the "drive" of a path is its volume (see volumes.h).

// The extension of the last component, without the dot; empty when it has none.
QString GetExtName(const QString& path);
// The last component (a trailing "/" is ignored); empty for "/".
QString GetFileNm(const QString& path);
// The last component without its extension.
QString GetBaseNm(const QString& path);
// The path without its last component: "/a/b.mp3" gives "/a", "/a" gives "/", "/" gives "".
QString GetParentFolder(const QString& path);
// The volume mount point a path lies on (however short the path); a relative path gives "".
QString GetDriveNm(const QString& path);
QString GetDriveNm(const QString& path, const QList<Volume>& volumes);

// True when a file (not a folder) of that name exists.
bool FileExist(const QString& path);
// True when the folder exists; "/a" and "/a/" answer alike; an empty path is false.
bool FolderExist(const QString& path);

// True when the path lies on a network volume, or is written as //server/share.
bool IsUNCPath(const QString& path);
bool IsUNCPath(const QString& path, const QList<Volume>& volumes);
// The path with the extension of its last component removed.
QString RemoveExtension(const QString& path);

// A short size text with three significant digits: "532 バイト", "1.50 KB", "980 KB", "12.3 MB".
QString FormatByteSize(std::int64_t bytes);
// FormatByteSize of a decimal byte count, right-aligned in 13 characters; "0" when the text is
// not a number.
QString SizeText(const QString& countText);
// A file time (seconds since the epoch, UTC) as local "yyyy/mm/dd hh:mm:ss".
QString FileTimeText(std::int64_t unixSeconds);
