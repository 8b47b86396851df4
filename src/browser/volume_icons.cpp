#include "browser/volume_icons.h"

#include <QIcon>

#include "browser/image_list.h"

namespace {

struct VolumeKind {
    const char* name;     // the part of the image key after "ICON:"
    const char* picture;  // the program's own picture
    const char* theme;    // the desktop's icon when the picture is missing
};

VolumeKind kindOf(const QString& mountPoint, DriveType type) {
    if (mountPoint == u"/") {
        return {"root", "DriveRoot", "drive-harddisk"};
    }
    if (mountPoint == u"/home") {
        return {"home", "DriveHome", "user-home"};
    }
    switch (type) {
        case DriveType::Removable:
            return {"removable", "DriveRemovable", "drive-removable-media"};
        case DriveType::Remote:
            return {"network", "DriveNetwork", "folder-remote"};
        case DriveType::CdRom:
            return {"cdrom", "DriveCdrom", "media-optical"};
        case DriveType::RamDisk:
            return {"ramdisk", "DriveRamdisk", "drive-harddisk"};
        case DriveType::Fixed:
        case DriveType::Unknown:
        case DriveType::NoRootDir:
            break;
    }
    return {"fixed", "DriveFixed", "drive-harddisk"};
}

}  // namespace

QString volumeIconKey(const QString& mountPoint, DriveType type) {
    return u"ICON:" + QLatin1StringView(kindOf(mountPoint, type).name);
}

QString ensureVolumeIcon(ImageList& images, const QString& mountPoint, DriveType type) {
    const VolumeKind kind = kindOf(mountPoint, type);
    const QString key = u"ICON:" + QLatin1StringView(kind.name);
    if (!images.contains(key)) {
        const QString picture = QString::fromLatin1(kind.picture);
        images.add(key, images.contains(picture)
                            ? images.icon(picture)
                            : QIcon::fromTheme(QString::fromLatin1(kind.theme)));
    }
    return key;
}
