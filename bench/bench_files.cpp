#include "bench_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QFile>

namespace bench {

QByteArray fileName(int i, const char* ext) {
    return "clip-" + QByteArray::number(i).rightJustified(6, '0') + '.' + ext;
}

bool makeFiles(const QString& folder, int count, const char* ext) {
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0755) != 0) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const int fd = ::open(QByteArray(path + '/' + fileName(i, ext)).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            return false;
        }
        ::close(fd);
    }
    return true;
}

double bareListingMs(const QByteArray& folder, qsizetype& entries) {
    QElapsedTimer timer;
    timer.start();
    entries = 0;
    DIR* dir = opendir(folder.constData());
    if (dir == nullptr) {
        return 0;
    }
    const int fd = dirfd(dir);
    struct stat st {};
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
            continue;
        }
        if (fstatat(fd, name, &st, 0) == 0) {
            ++entries;
        }
    }
    closedir(dir);
    return timer.nsecsElapsed() / 1e6;
}

}  // namespace bench
