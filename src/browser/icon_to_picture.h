#pragma once

#include <QIcon>
#include <QString>

#include "browser/image_list.h"

// Puts the icon the desktop gave for a file type or volume into the image list under its key,
// unless the key is already there (the first icon for a key stays). Returns whether the list now
// holds the key; a null icon adds nothing.
inline bool IconToPicture(ImageList& images, const QString& key, const QIcon& icon) {
    if (images.contains(key)) {
        return true;
    }
    if (key.isEmpty() || icon.isNull()) {
        return false;
    }
    images.add(key, icon);
    return true;
}
