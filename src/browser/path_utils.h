#pragma once

#include <QList>
#include <QString>
#include <cstdint>

#include "platform/volumes.h"

// What the browser tells of a path beyond its text (see platform/path_text.h for that): the
// "drive" it lies on, which is its volume (see volumes.h), and whether that is a network share;
// and the size and time texts of the file list.

// The volume mount point a path lies on (however short the path); a relative path gives "".
QString GetDriveNm(const QString& path);
QString GetDriveNm(const QString& path, const QList<Volume>& volumes);

// True when the path lies on a network volume, or is written as //server/share.
bool IsUNCPath(const QString& path);
bool IsUNCPath(const QString& path, const QList<Volume>& volumes);

// FormatByteSize of a decimal byte count, right-aligned in 13 characters; "0" when the text is
// not a number.
QString SizeText(const QString& countText);
// A file time (seconds since the epoch, UTC) as local "yyyy/mm/dd hh:mm:ss".
QString FileTimeText(std::int64_t unixSeconds);
