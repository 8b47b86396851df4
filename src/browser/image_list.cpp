#include "browser/image_list.h"

#include <QDir>
#include <QFileInfo>

ImageList ImageList::withBuiltinImages() {
    ImageList list;
    // Every picture under :/images is named after its key.
    const QDir folder(QStringLiteral(":/images"));
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files)) {
        list.add(file.completeBaseName(), QIcon(file.filePath()));
    }
    return list;
}
