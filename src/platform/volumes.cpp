#include "platform/volumes.h"

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace {

// Mount tables write blanks, tabs, newlines and backslashes in paths as \ooo.
QString unescapeMountField(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() + 0 && field[i + 1] >= '0' &&
            field[i + 1] <= '7' && field[i + 2] >= '0' && field[i + 2] <= '7' &&
            field[i + 3] >= '0' && field[i + 3] <= '7') {
            out.append(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                         (field[i + 3] - '0')));
            i += 3;
        } else {
            out.append(field[i]);
        }
    }
    return QString::fromUtf8(out);
}

QList<QByteArray> fieldsOf(const QByteArray& line) {
    return line.simplified().split(' ');
}

bool isUnder(const QString& path, const QString& folder) {
    return path.startsWith(folder + u'/') && path.size() > folder.size() + 1;
}

bool isUserMountPoint(const QString& mountPoint) {
    if (isUnder(mountPoint, QStringLiteral("/media")) ||
        isUnder(mountPoint, QStringLiteral("/mnt"))) {
        return true;
    }
    // /run/media/<user>/<label>
    if (isUnder(mountPoint, QStringLiteral("/run/media"))) {
        return mountPoint.mid(11).contains(u'/');
    }
    return false;
}

}  // namespace

QList<MountEntry> parseMountInfo(const QByteArray& text) {
    QList<MountEntry> entries;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = fieldsOf(line);
        // id parent major:minor root mount-point options [optional...] - fstype source super
        const qsizetype dash = fields.indexOf(QByteArrayLiteral("-"));
        if (fields.size() < 5 || dash < 5 || dash + 2 >= fields.size()) {
            continue;
        }
        entries.append({unescapeMountField(fields.at(4)), QString::fromUtf8(fields.at(dash + 1)),
                        unescapeMountField(fields.at(dash + 2))});
    }
    return entries;
}

QList<MountEntry> parseFstab(const QByteArray& text) {
    QList<MountEntry> entries;
    for (const QByteArray& line : text.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('#')) {
            continue;
        }
        const QList<QByteArray> fields = fieldsOf(trimmed);
        if (fields.size() < 3) {
            continue;
        }
        entries.append({unescapeMountField(fields.at(1)), QString::fromUtf8(fields.at(2)),
                        unescapeMountField(fields.at(0))});
    }
    return entries;
}

bool isNetworkFileSystem(const QString& fsType) {
    static const QStringList kNetwork = {
        QStringLiteral("cifs"),       QStringLiteral("smb3"),  QStringLiteral("smbfs"),
        QStringLiteral("nfs"),        QStringLiteral("nfs4"),  QStringLiteral("fuse.sshfs"),
        QStringLiteral("fuse.gvfsd-fuse"), QStringLiteral("gvfs"), QStringLiteral("9p"),
    };
    return kNetwork.contains(fsType);
}

DriveType classifyMount(const MountEntry& entry,
                        const std::function<bool(const QString& device)>& isRemovable) {
    const QString& fs = entry.fsType;
    if (isNetworkFileSystem(fs)) {
        return DriveType::Remote;
    }
    // A CD drive may be configured for several file systems ("udf,iso9660").
    if (fs.contains(u"iso9660") || fs.contains(u"udf") || entry.device.startsWith(u"/dev/sr") ||
        entry.device.startsWith(u"/dev/cdrom")) {
        return DriveType::CdRom;
    }
    if (fs == u"tmpfs" || fs == u"ramfs") {
        return DriveType::RamDisk;
    }
    if (entry.device.startsWith(u"/dev/") && isRemovable && isRemovable(entry.device)) {
        return DriveType::Removable;
    }
    return DriveType::Fixed;
}

QList<Volume> selectVolumes(const QList<MountEntry>& mounts, const QList<MountEntry>& fstab,
                            const std::function<bool(const QString& device)>& isRemovable) {
    QList<Volume> volumes;
    auto has = [&volumes](const QString& mountPoint) {
        for (const Volume& v : volumes) {
            if (v.mountPoint == mountPoint) {
                return true;
            }
        }
        return false;
    };
    auto add = [&](const MountEntry& m, bool mounted) {
        if (!has(m.mountPoint)) {
            volumes.append(
                {m.mountPoint, m.fsType, m.device, classifyMount(m, isRemovable), mounted});
        }
    };
    // "/" is always the first volume, even when the mount table cannot be read.
    MountEntry root{QStringLiteral("/"), {}, {}};
    for (const MountEntry& m : mounts) {
        if (m.mountPoint == u"/") {
            root = m;
        }
    }
    add(root, true);
    for (const MountEntry& m : mounts) {
        if (m.mountPoint == u"/home") {
            add(m, true);
        }
    }
    for (const MountEntry& m : mounts) {
        if (isUserMountPoint(m.mountPoint) || isNetworkFileSystem(m.fsType)) {
            add(m, true);
        }
    }
    for (const MountEntry& m : fstab) {
        if (isUserMountPoint(m.mountPoint) && m.fsType != u"swap") {
            add(m, false);
        }
    }
    return volumes;
}

bool blockDeviceIsRemovable(const QString& device) {
    const QString resolved = QFileInfo(device).canonicalFilePath();
    const QString name = QFileInfo(resolved.isEmpty() ? device : resolved).fileName();
    if (name.isEmpty()) {
        return false;
    }
    QString sysPath = QFileInfo(u"/sys/class/block/" + name).canonicalFilePath();
    if (sysPath.isEmpty()) {
        return false;
    }
    if (QFileInfo::exists(sysPath + u"/partition")) {
        sysPath = QFileInfo(sysPath).path();
    }
    QFile removable(sysPath + u"/removable");
    if (!removable.open(QIODevice::ReadOnly)) {
        return false;
    }
    return removable.readAll().trimmed() == "1";
}

QList<Volume> listVolumes() {
    QByteArray mountInfo;
    QFile mounts(QStringLiteral("/proc/self/mountinfo"));
    if (mounts.open(QIODevice::ReadOnly)) {
        mountInfo = mounts.readAll();
    }
    QByteArray fstabText;
    QFile fstab(QStringLiteral("/etc/fstab"));
    if (fstab.open(QIODevice::ReadOnly)) {
        fstabText = fstab.readAll();
    }
    return selectVolumes(parseMountInfo(mountInfo), parseFstab(fstabText), blockDeviceIsRemovable);
}

const Volume* volumeOf(const QString& path, const QList<Volume>& volumes) {
    if (!path.startsWith(u'/')) {
        return nullptr;
    }
    const Volume* best = nullptr;
    for (const Volume& v : volumes) {
        const bool prefix =
            v.mountPoint == u"/" || path == v.mountPoint || path.startsWith(v.mountPoint + u'/');
        if (prefix && (best == nullptr || v.mountPoint.size() > best->mountPoint.size())) {
            best = &v;
        }
    }
    return best;
}

bool isVolumeReady(const Volume& volume) {
    return volumeAccessError(volume) == 0;
}

int volumeAccessError(const Volume& volume) {
    if (!volume.mounted) {
        return ENXIO;
    }
    return access(QFile::encodeName(volume.mountPoint).constData(), R_OK | X_OK) == 0 ? 0 : errno;
}
