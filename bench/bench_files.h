#pragma once

// Folders of empty files that the benches list, and the bare listing they are measured against.
#include <QByteArray>
#include <QString>

namespace bench {

// "clip-000042.avi": zero-padded, so that the list's name order is the order they were made in.
QByteArray fileName(int i, const char* ext);
// Makes the folder and that many empty files in it, named by fileName; false at the first
// failure.
bool makeFiles(const QString& folder, int count, const char* ext);
// A bare readdir + fstatat of every entry of a folder ("." and ".." passed over), in
// milliseconds; entries: how many could be stat'ed.
double bareListingMs(const QByteArray& folder, qsizetype& entries);

}  // namespace bench
