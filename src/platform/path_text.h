#pragma once

#include <QString>
#include <QStringView>

// Taking paths apart and putting them together as plain text: nothing here touches the disk,
// and names that carry kept bytes (see file_name_codec.h) come through unchanged. Paths are
// POSIX paths with "/" as the separator; every part of the program takes them apart here.
//
// The rules at the root and at the ends, the same for every helper:
// - "/" at the end of a path is not part of its last name: "/a/" is taken as "/a". "/" alone is
//   the root.
// - The root has no name and no parent: GetFileNm("/") and GetParentFolder("/") are "".
//   Whoever needs the folder an item is in, the root included, says what the root gives.
// - An item directly under the root is in the root: GetParentFolder("/a") is "/".
// - A path without "/" is a bare name: it is its own name and has no parent ("").
// - "" has no parts: every helper gives "" (folderPrefix gives "/", the root's prefix).
// - A path is taken as it is written: "//server/share" has the name "share" and the parent
//   "//server", whose parent is "/"; a doubled "/" inside is not made one ("/a//b" has the
//   parent "/a/"). folderKey and cleanedPath make such paths plain first.

// The extension of the last name, without the dot; empty when it has none. The part after the
// last dot: "b.tar.gz" gives "gz", ".bashrc" gives "bashrc".
QString GetExtName(const QString& path);
// The last name.
QString GetFileNm(const QString& path);
// The last name without its extension.
QString GetBaseNm(const QString& path);
// The path without its last name: "/a/b.mp3" gives "/a", "/a" gives "/", "/" gives "".
QString GetParentFolder(const QString& path);
// The path with the extension of its last name taken off; the path as it is when the last name
// has none (or the path ends in "/").
QString RemoveExtension(const QString& path);

// A folder as the start of the paths in it: the folder with one "/" at its end ("/" stays "/").
QString folderPrefix(const QString& folder);
// The path of a name in a folder: folderPrefix(folder) + name. A tree node's key is its parent's
// child key.
QString childKey(const QString& folder, const QString& name);
// A folder path as a tree key: repeated "/" made one, no "/" at the end except for "/" itself.
// "." and ".." stay as they are.
QString folderKey(const QString& path);

// True when an absolute path is already as QDir::cleanPath would make it: no empty, "." or ".."
// parts and no closing "/".
bool isCleanPath(QStringView path);
// An absolute path made clean as QDir::cleanPath does, untouched (and not copied) when it is
// already.
QString cleanedPath(const QString& path);
