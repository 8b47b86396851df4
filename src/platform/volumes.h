#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

// Volumes: the mounted file systems a user cares about, in the order the location box lists
// them. They play the part drive letters and network shares play elsewhere: the drive of a path
// is the volume whose mount point is the longest prefix of it.

enum class DriveType {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

struct MountEntry {
    QString mountPoint;
    QString fsType;
    QString device;
};

struct Volume {
    QString mountPoint;
    QString fsType;
    QString device;
    DriveType type = DriveType::Unknown;
    bool mounted = true;  // false: a configured mount point with nothing mounted (an empty drive)
};

// /proc/self/mountinfo and /etc/fstab as text; octal escapes in paths are decoded.
QList<MountEntry> parseMountInfo(const QByteArray& text);
QList<MountEntry> parseFstab(const QByteArray& text);

bool isNetworkFileSystem(const QString& fsType);

// The drive type of a mount, from its file-system type and device; isRemovable tells whether a
// block device (a path under /dev) holds removable media.
DriveType classifyMount(const MountEntry& entry,
                        const std::function<bool(const QString& device)>& isRemovable);

// The volumes among the mounts: "/" first, then "/home" when it is a mount of its own, then
// mounts under /media, /run/media/<user>, /mnt and network mounts, each once, in mount order;
// configured but unmounted points under /media, /mnt and /run/media follow as not mounted.
QList<Volume> selectVolumes(const QList<MountEntry>& mounts, const QList<MountEntry>& fstab,
                            const std::function<bool(const QString& device)>& isRemovable);

// The volumes of this machine now.
QList<Volume> listVolumes();

// The volume whose mount point is the longest prefix of path; nullptr for a relative or empty path.
const Volume* volumeOf(const QString& path, const QList<Volume>& volumes);

// True when the mount is there and its root can be read.
bool isVolumeReady(const Volume& volume);
// Why a volume is not ready: 0 when it is, ENXIO when it is not mounted, else the errno value
// its root was refused with (EACCES: mounted, but this user may not read it).
int volumeAccessError(const Volume& volume);

// The removable flag of a block device from /sys/class/block (a partition asks its disk).
bool blockDeviceIsRemovable(const QString& device);
