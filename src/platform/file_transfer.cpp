#include "platform/file_transfer.h"

#include "platform/file_name_codec.h"
#include "platform/unique_fd.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QHash>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace file_transfer {

namespace {

constexpr qsizetype kChunk = 2 * 1024 * 1024;

std::string nativePath(const QString& path) {
    return encodeFileName(path).toStdString();
}


// The names in a folder, without "." and ".."; E2BIG when there are more than limit (when one
// is given).
int listFolder(const std::string& folder, std::vector<std::string>& names, qsizetype limit = -1) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return errno;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            if (limit >= 0 && static_cast<qsizetype>(names.size()) >= limit) {
                ::closedir(dir);
                return E2BIG;
            }
            names.push_back(name);
        }
        errno = 0;
    }
    const int err = errno;
    ::closedir(dir);
    return err;
}

int removeNative(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return errno;
    }
    if (!S_ISDIR(st.st_mode)) {
        return ::unlink(path.c_str()) == 0 ? 0 : errno;
    }
    // A folder without write or search permission for its owner keeps its entries; the trash
    // holds such folders often (a read-only folder deleted as it was).
    if ((st.st_mode & S_IRWXU) != S_IRWXU && st.st_uid == ::geteuid()) {
        ::chmod(path.c_str(), st.st_mode | S_IRWXU);
    }
    std::vector<std::string> names;
    if (const int err = listFolder(path, names); err != 0) {
        return err;
    }
    for (const std::string& name : names) {
        if (const int err = removeNative(path + '/' + name); err != 0) {
            return err;
        }
    }
    return ::rmdir(path.c_str()) == 0 ? 0 : errno;
}

// A buffer for a file of that size: small files do not need a chunk's worth.
QByteArray bufferFor(qint64 fileSize) {
    return QByteArray(static_cast<qsizetype>(qBound<qint64>(4096, fileSize + 1, kChunk)),
                      Qt::Uninitialized);
}

// Reads until buffer is full or the file ends; the number of bytes read, or -1 with errno set.
ssize_t readFull(int fd, QByteArray& buffer) {
    qsizetype total = 0;
    while (total < buffer.size()) {
        const ssize_t got =
            ::read(fd, buffer.data() + total, static_cast<size_t>(buffer.size() - total));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (got == 0) {
            break;
        }
        total += got;
    }
    return total;
}

// The check of a copy: a chain of quick hashes, one link per full buffer. It is there to catch
// bytes lost or changed on their way to the disk, not forgeries, so a fast hash does; a
// cryptographic one would take longer than the copy itself.
size_t chainHash(size_t chain, const QByteArray& buffer, ssize_t size) {
    return qHashBits(buffer.constData(), static_cast<size_t>(size), chain);
}
constexpr size_t kChainStart = 0x9e3779b97f4a7c15ULL;

// Reads a whole file and hashes it; the counter hears of every chunk.
int hashFile(int fd, qint64 fileSize, size_t& hash, qint64& total, const ByteCounter& counter) {
    QByteArray buffer = bufferFor(fileSize);
    hash = kChainStart;
    total = 0;
    for (;;) {
        const ssize_t got = readFull(fd, buffer);
        if (got < 0) {
            return errno;
        }
        if (got == 0) {
            return 0;
        }
        hash = chainHash(hash, buffer, got);
        total += got;
        if (counter && !counter(got)) {
            return ECANCELED;
        }
    }
}

void keepOwnerAndTimes(int fd, const struct stat& st) {
    // Only root may give a file away; a normal user keeps the copy as their own.
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
        ::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
    }
    ::fchmod(fd, st.st_mode & 07777);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(fd, times);
}

int copyFile(const std::string& source, const struct stat& st, const std::string& target,
             const ByteCounter& counter) {
    UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (in.get() < 0) {
        return errno;
    }
    UniqueFd out(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (out.get() < 0) {
        return errno;
    }
    QByteArray buffer = bufferFor(st.st_size);
    size_t written = kChainStart;
    qint64 total = 0;
    for (;;) {
        const ssize_t got = readFull(in.get(), buffer);
        if (got < 0) {
            return errno;
        }
        if (got == 0) {
            break;
        }
        if (const int err = writeAll(out.get(), buffer.constData(), got); err != 0) {
            return err;
        }
        written = chainHash(written, buffer, got);
        total += got;
        if (counter && !counter(got)) {
            return ECANCELED;
        }
    }
    // A file that changed while it was copied has no one true copy.
    if (total != st.st_size) {
        return EIO;
    }
    if (::fsync(out.get()) != 0) {
        return errno;
    }
    UniqueFd back(::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (back.get() < 0) {
        return errno;
    }
    size_t readBack = 0;
    qint64 backTotal = 0;
    if (const int err = hashFile(back.get(), total, readBack, backTotal, counter); err != 0) {
        return err;
    }
    if (backTotal != total || readBack != written) {
        return EIO;
    }
    keepOwnerAndTimes(out.get(), st);
    return ::close(out.release()) == 0 ? 0 : errno;
}

int copyLink(const std::string& source, const struct stat& st, const std::string& target) {
    std::vector<char> buffer(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    const ssize_t length = ::readlink(source.c_str(), buffer.data(), buffer.size());
    if (length < 0) {
        return errno;
    }
    if (static_cast<size_t>(length) >= buffer.size()) {
        return EIO;  // the link changed while it was read
    }
    const std::string linkTarget(buffer.data(), static_cast<size_t>(length));
    if (::symlink(linkTarget.c_str(), target.c_str()) != 0) {
        return errno;
    }
    ::lchown(target.c_str(), st.st_uid, st.st_gid);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, target.c_str(), times, AT_SYMLINK_NOFOLLOW);
    return 0;
}

int copyNative(const std::string& source, const std::string& target, const ByteCounter& counter) {
    struct stat st {};
    if (::lstat(source.c_str(), &st) != 0) {
        return errno;
    }
    if (S_ISREG(st.st_mode)) {
        return copyFile(source, st, target, counter);
    }
    if (S_ISLNK(st.st_mode)) {
        return copyLink(source, st, target);
    }
    if (!S_ISDIR(st.st_mode)) {
        return ENOTSUP;
    }
    if (::mkdir(target.c_str(), 0700) != 0) {
        return errno;
    }
    std::vector<std::string> names;
    if (const int err = listFolder(source, names); err != 0) {
        return err;
    }
    for (const std::string& name : names) {
        if (const int err = copyNative(source + '/' + name, target + '/' + name, counter);
            err != 0) {
            return err;
        }
    }
    UniqueFd folder(::open(target.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) {
        return errno;
    }
    ::fsync(folder.get());
    // Last, because every entry made inside changed the folder's time.
    keepOwnerAndTimes(folder.get(), st);
    return 0;
}

qint64 nativeWork(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return 0;
    }
    if (S_ISREG(st.st_mode)) {
        return 2 * static_cast<qint64>(st.st_size);
    }
    if (!S_ISDIR(st.st_mode)) {
        return 0;
    }
    std::vector<std::string> names;
    listFolder(path, names);
    qint64 total = 0;
    for (const std::string& name : names) {
        total += nativeWork(path + '/' + name);
    }
    return total;
}

}  // namespace

int writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        data += written;
        size -= written;
    }
    return 0;
}

int renameNoReplace(const QString& from, const QString& to) {
    const QByteArray source = encodeFileName(from);
    const QByteArray target = encodeFileName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0) {
        return 0;
    }
    const int err = errno;
    if (err != EINVAL && err != ENOSYS && err != ENOTSUP) {
        return err;
    }
    // The file system cannot refuse to replace by itself: look first.
    struct stat st {};
    if (::lstat(target.constData(), &st) == 0) {
        return EEXIST;
    }
    return ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
}

int renameNoReplaceAt(int fromFolder, const QByteArray& fromName, int toFolder,
                      const QByteArray& toName) {
    if (::renameat2(fromFolder, fromName.constData(), toFolder, toName.constData(),
                    RENAME_NOREPLACE) == 0) {
        return 0;
    }
    const int err = errno;
    if (err != EINVAL && err != ENOSYS && err != ENOTSUP) {
        return err;
    }
    struct stat st {};
    if (::fstatat(toFolder, toName.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        return EEXIST;
    }
    return ::renameat(fromFolder, fromName.constData(), toFolder, toName.constData()) == 0 ? 0
                                                                                           : errno;
}

int removeTree(const QString& path) {
    return removeNative(nativePath(path));
}

int copyTreeVerified(const QString& source, const QString& target, const ByteCounter& counter) {
    const std::string to = nativePath(target);
    const int err = copyNative(nativePath(source), to, counter);
    // Names inside a folder being made are unique, so EEXIST can only mean that target was
    // there before: that one is not ours to remove.
    if (err != 0 && err != EEXIST) {
        removeNative(to);
    }
    return err;
}

qint64 copyWork(const QString& path) {
    return nativeWork(nativePath(path));
}

void syncFolder(const QString& folder) {
    UniqueFd fd(::open(nativePath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) {
        ::fsync(fd.get());
    }
}

int syncFileSystem(const QString& path) {
    UniqueFd fd(::open(nativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        return errno;
    }
    return ::syncfs(fd.get()) == 0 ? 0 : errno;
}

int makeFolders(const QString& path) {
    const std::string native = nativePath(path);
    struct stat st {};
    if (::stat(native.c_str(), &st) == 0) {
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    }
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash > 0) {
        if (const int err = makeFolders(path.left(slash)); err != 0) {
            return err;
        }
    }
    return ::mkdir(native.c_str(), 0777) == 0 || errno == EEXIST ? 0 : errno;
}

int namesIn(const QString& folder, QStringList& names, qsizetype limit) {
    std::vector<std::string> native;
    const int err = listFolder(nativePath(folder), native, limit);
    names.clear();
    names.reserve(static_cast<qsizetype>(native.size()));
    for (const std::string& name : native) {
        names.append(decodeFileName(name.data(), static_cast<qsizetype>(name.size())));
    }
    return err;
}

QString realPath(const QString& path) {
    char* real = ::realpath(nativePath(path).c_str(), nullptr);
    if (real == nullptr) {
        return {};
    }
    const QString text = decodeFileName(real, static_cast<qsizetype>(std::strlen(real)));
    std::free(real);
    return text;
}

QString unusedHiddenName(const QString& folder, const QString& name, const QString& tag) {
    // Short enough for any file system, whatever the name's length.
    const QString stem = u'.' + name.left(80) + u'.' + tag;
    QString candidate = stem;
    for (int n = 2; exists(folder + u'/' + candidate); ++n) {
        candidate = stem + u'-' + QString::number(n);
    }
    return candidate;
}

bool exists(const QString& path) {
    struct stat st {};
    return ::lstat(encodeFileName(path).constData(), &st) == 0;
}

}  // namespace file_transfer
