#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The forty file types of the options dialog, each an extension and its description. The dialog
// adds them in the table's order and shows them sorted by extension; a type's place in that
// sorted order is its number N in the keys Value N, kakuchosi N and setumei N.
struct FileType {
    QString extension;
    QString description;
};

// The file types played since: a list of their own beside the forty, by extension, each stored
// under its own extension in a section of its own and ticked unless stored unticked.
const QList<FileType>& extraFileTypes();

// In the order the dialog adds them.
const QList<FileType>& fileTypesAsAdded();
// Sorted by extension, ascending, letter case ignored (digits before letters): index N - 1.
const QList<FileType>& fileTypesByExtension();

// The file-kind patterns of the ticked extensions, in the order given: "*.avi;*.mp3;" (every
// pattern followed by ";"); empty when none is ticked.
QString playPatterns(const QStringList& tickedExtensions);

// The patterns of the extra types ticked (by their place in extraFileTypes()), as the shared
// variables hold them: separated by ";", without a final one.
QString extraPlayKinds(const QList<bool>& ticked);
