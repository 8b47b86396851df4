#include "browser/folder_scan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <QDir>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "browser/file_name_codec.h"

EntryAttribute entryAttribute(bool hiddenName, mode_t mode) {
    if (S_ISCHR(mode) || S_ISBLK(mode) || S_ISFIFO(mode) || S_ISSOCK(mode)) {
        return EntryAttribute::System;
    }
    if (hiddenName) {
        return EntryAttribute::Hidden;
    }
    if ((mode & 0222) == 0) {
        return EntryAttribute::ReadOnly;
    }
    return EntryAttribute::None;
}

QColor attributeColor(EntryAttribute attribute) {
    switch (attribute) {
        case EntryAttribute::System:
            return QColor(0, 0, 192);
        case EntryAttribute::Hidden:
            return QColor(128, 0, 128);
        case EntryAttribute::ReadOnly:
            return QColor(0, 128, 0);
        case EntryAttribute::None:
            break;
    }
    return QColor(0, 0, 0);
}

AttributeFilter AttributeFilter::fromSettings(const Module1& module) {
    return {module.mSystemAtr == 1, module.mHiddenAtr == 1, module.mReadOnlyAtr == 1};
}

bool AttributeFilter::shows(EntryAttribute attribute) const {
    switch (attribute) {
        case EntryAttribute::System:
            return system;
        case EntryAttribute::Hidden:
            return hidden;
        case EntryAttribute::ReadOnly:
            return readOnly;
        case EntryAttribute::None:
            break;
    }
    return true;
}

SubFolderScan scanSubFolders(const QByteArray& folder, const AttributeFilter& filter, int limit) {
    SubFolderScan scan;
    DIR* dir = opendir(folder.constData());
    if (dir == nullptr) {
        scan.error = errno;
        return scan;
    }
    const int fd = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
            continue;
        }
        const bool hiddenName = name[0] == '.';
        const unsigned char type = entry->d_type;
        if (type != DT_DIR && type != DT_LNK && type != DT_UNKNOWN) {
            continue;
        }
        EntryAttribute attribute = EntryAttribute::Hidden;
        // A folder with a hidden name is decided by its name alone (a folder is never a special
        // file); any other needs its mode for the read-only test, and a link or an entry of
        // unknown type its target's type.
        if (type != DT_DIR || !hiddenName) {
            struct stat st {};
            const int flags = type == DT_DIR ? AT_SYMLINK_NOFOLLOW : 0;
            if (fstatat(fd, name, &st, flags) != 0 || !S_ISDIR(st.st_mode)) {
                continue;
            }
            attribute = entryAttribute(hiddenName, st.st_mode);
        }
        if (!filter.shows(attribute)) {
            continue;
        }
        scan.folders.append(
            {decodeFileName(QByteArray(name, qsizetype(std::strlen(name)))), attribute});
        if (limit > 0 && scan.folders.size() >= limit) {
            break;
        }
    }
    closedir(dir);
    return scan;
}

bool hasSubFolders(const QByteArray& folder, const AttributeFilter& filter) {
    return !scanSubFolders(folder, filter, 1).folders.isEmpty();
}

bool folderExistsOnDisk(const QString& path) {
    struct stat st {};
    return !path.isEmpty() && !path.contains(QChar(0)) &&
           stat(encodeFileName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool folderNameLess(const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    if (folded != 0) {
        return folded < 0;
    }
    return a.compare(b, Qt::CaseSensitive) < 0;
}

void sortSubFolders(QList<SubFolder>& folders) {
    std::sort(folders.begin(), folders.end(), [](const SubFolder& a, const SubFolder& b) {
        return folderNameLess(a.name, b.name);
    });
}

SpecialFolderNames SpecialFolderNames::fromSystem() {
    const QString home = folderKey(QDir::homePath());
    const auto name = [&home](QStandardPaths::StandardLocation kind) {
        const QString path = folderKey(QStandardPaths::writableLocation(kind));
        return path.isEmpty() || path == home ? QString() : path.mid(path.lastIndexOf(u'/') + 1);
    };
    SpecialFolderNames names;
    names.pictures = name(QStandardPaths::PicturesLocation);
    names.music = name(QStandardPaths::MusicLocation);
    names.videos = name(QStandardPaths::MoviesLocation);
    names.documents = name(QStandardPaths::DocumentsLocation);
    names.desktop = name(QStandardPaths::DesktopLocation);
    return names;
}

QString folderImageKey(const QString& name, EntryAttribute attribute, const AttributeFilter& filter,
                       const IconKeySet& icons, const SpecialFolderNames& special) {
    if (attribute != EntryAttribute::ReadOnly || !filter.readOnly || name.isEmpty()) {
        return icons.FolderClose;
    }
    const std::pair<const QString*, const QString*> byName[] = {
        {&special.pictures, &icons.MyPicture}, {&special.music, &icons.MyMusic},
        {&special.videos, &icons.MyVideo},     {&special.documents, &icons.MyDoc},
        {&special.desktop, &icons.DeskTop},    {&special.favorites, &icons.Favorites},
    };
    for (const auto& [specialName, key] : byName) {
        if (name == *specialName) {
            return *key;
        }
    }
    return icons.FolderClose;
}
