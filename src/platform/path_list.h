#pragma once

#include <QString>
#include <QStringList>

// The program hands several paths to the delete and move operations as one string: each full
// path followed by a NUL, the list closed by one more NUL.

// The paths of a list, in order. Reading stops at the first empty entry (the closing NUL); a list
// whose closing NUL is missing still gives every path it holds.
QStringList parsePathList(const QString& list);

// The list form of paths: each path and a NUL, then one more NUL.
QString makePathList(const QStringList& paths);

struct FileOpOutcome;

// The sources of an operation as clean absolute paths, each once, without those inside another
// one (they go with it); an explanation in outcome when a path is not absolute or there is none.
QStringList normalizeSources(const QStringList& paths, FileOpOutcome& outcome);
