#pragma once

#include <QDir>
#include <QFile>
#include <QString>

// The media made by tests/data/make_media.sh into the build folder, and what the tests ask of
// the process about them.
namespace player_media {

inline QString path(const char* name) {
    return QStringLiteral(QUORVANE_PLAYER_MEDIA) + u'/' + QString::fromUtf8(name);
}

// True while this process holds the file open.
inline bool isHeldOpen(const QString& file) {
    const QString target = QFileInfo(file).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::Files | QDir::System)) {
        if (QFile::symLinkTarget(fds.filePath(fd)) == target) {
            return true;
        }
    }
    return false;
}

}  // namespace player_media
