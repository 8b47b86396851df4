#pragma once

#include <QStringList>
#include <algorithm>

#include "browser/file_list.h"

// The rows of the file list as a test reads and picks them: by name in the listed folder.

// The names of all rows, sorted.
inline QStringList rowNames(const FileList& list) {
    QStringList result;
    for (int r = 0; r < list.rowCount(); ++r) {
        result << list.model().row(r).text;
    }
    result.sort();
    return result;
}

// Selects the rows of these names (the first one current).
inline void selectNames(FileList& list, const QStringList& names) {
    QStringList keys;
    for (const QString& name : names) {
        keys << list.ListedFolder() + u'/' + name;
    }
    list.selectKeys(keys);
}
