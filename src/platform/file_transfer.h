#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>

// The file-system steps the trash and the file operations are built from, over the POSIX calls
// so that nothing is ever replaced by accident and a copy is known to be good before anyone
// relies on it. Every function returns 0 or an errno value.
namespace file_transfer {

// Writes all of data to fd, going on after interruptions.
int writeAll(int fd, const char* data, qsizetype size);

// Renames from to to, failing with EEXIST when to exists (also on file systems that cannot
// rename without replacing).
int renameNoReplace(const QString& from, const QString& to);

// renameNoReplace for names in folders given by open descriptors (O_PATH will do): the folders'
// paths are not looked up again for each item.
int renameNoReplaceAt(int fromFolder, const QByteArray& fromName, int toFolder,
                      const QByteArray& toName);

// Removes a file, link or folder with everything in it. Folders the user owns but may not
// write are made writable first.
int removeTree(const QString& path);

// Called with the number of bytes just copied or read back; returning false stops the copy.
using ByteCounter = std::function<bool(qint64 bytes)>;

// Copies a file, symbolic link or folder tree to target, which must not exist: mode, times and
// (where allowed) owner are kept; every file is flushed to disk and read back and checked
// against what was written before the copy counts as made. A stopped or failed copy leaves nothing
// at target (ECANCELED when the counter stopped it). Sockets and device files cannot be copied
// (ENOTSUP).
int copyTreeVerified(const QString& source, const QString& target, const ByteCounter& counter);

// The bytes that copyTreeVerified counts for path: twice the size of every file in it (written,
// then read back).
qint64 copyWork(const QString& path);

// Flushes a folder's entries to disk.
void syncFolder(const QString& folder);

// Flushes everything written to the file system that holds path: one call for many files that
// must all be on disk before the next step.
int syncFileSystem(const QString& path);

// Makes path and its missing parent folders (as mkdir -p does).
int makeFolders(const QString& path);

// The names in a folder (without "." and ".."), read as the bytes on disk; E2BIG when there
// are more than limit (when one is given).
int namesIn(const QString& folder, QStringList& names, qsizetype limit = -1);

// The real path of an existing item, links resolved; empty when it cannot be resolved.
QString realPath(const QString& path);

// A name in folder, beginning with "." and built from name and tag, that nothing has yet.
QString unusedHiddenName(const QString& folder, const QString& name, const QString& tag);

// Tells whether path exists (without following a final symbolic link).
bool exists(const QString& path);

}  // namespace file_transfer
