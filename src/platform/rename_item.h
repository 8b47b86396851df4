#pragma once

#include <QString>

#include "platform/file_op_outcome.h"

// Renames the item at from to to (absolute paths) on the same file system. A name that is taken
// is never replaced, not even an empty folder: that is a NameTaken failure.
FileOpOutcome renameItem(const QString& from, const QString& to);
