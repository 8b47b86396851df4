#pragma once

#include <QString>

#include "platform/volumes.h"

class ImageList;

// The images of volumes, for the tree's root and the location box: one image key per kind of
// volume, "ICON:" followed by the kind (root, home, fixed, removable, cdrom, network, ramdisk),
// registered in the image list the first time it is needed from the program's own drive picture
// of that kind.

QString volumeIconKey(const QString& mountPoint, DriveType type);
// Registers the kind's image unless its key is there already; returns the key.
QString ensureVolumeIcon(ImageList& images, const QString& mountPoint, DriveType type);
