#include "archive/staging_folder.h"

#include "archive/engine_messages.h"
#include "platform/file_name_codec.h"
#include "platform/unique_fd.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr char kPrefix[] = ".quorvane-extract-";

void removeTree(const QByteArray& path) {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path.toStdString()), ignored);
}

// Whether `name` in the folder `at` is still the folder `held` is open on.
bool stillThere(int at, const char* name, int held) {
    struct stat there {};
    struct stat mine {};
    return ::fstatat(at, name, &there, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(held, &mine) == 0 &&
           there.st_dev == mine.st_dev && there.st_ino == mine.st_ino;
}

std::vector<QByteArray> namesIn(int folder) {
    std::vector<QByteArray> names;
    const int copy = ::dup(folder);
    DIR* dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (dir == nullptr) {
        if (copy >= 0) {
            ::close(copy);
        }
        return names;
    }
    while (const dirent* item = ::readdir(dir)) {
        if (std::strcmp(item->d_name, ".") != 0 && std::strcmp(item->d_name, "..") != 0) {
            names.emplace_back(item->d_name);
        }
    }
    ::closedir(dir);
    return names;
}

}  // namespace

StagingFolder::StagingFolder(const QByteArray& root) : m_root(root) {
    // Between its making and its lock another extraction may take the folder for a stale one and
    // remove it: then another name is tried.
    for (int attempt = 0; attempt < 8 && m_path.isEmpty(); ++attempt) {
        QByteArray pattern = root + '/' + kPrefix + "XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        UniqueFd folder(::open(pattern.constData(), kFolderFlags));
        if (folder.get() < 0) {
            continue;
        }
        // A file system without locks keeps the folder unlocked: no extraction removes it then.
        if (::flock(folder.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            continue;
        }
        if (stillThere(AT_FDCWD, pattern.constData(), folder.get())) {
            m_path = pattern;
            m_lock = folder.release();
        }
    }
}

StagingFolder::~StagingFolder() {
    if (!m_path.isEmpty()) {
        removeTree(m_path);
    }
    if (m_lock >= 0) {
        ::close(m_lock);
    }
}

void StagingFolder::removeStale(const QByteArray& root) {
    const UniqueFd folder(::open(root.constData(), kFolderFlags));
    if (folder.get() < 0) {
        return;
    }
    for (const QByteArray& name : namesIn(folder.get())) {
        if (!name.startsWith(kPrefix)) {
            continue;
        }
        // Only a folder whose lock is free: a running extraction holds its own.
        const UniqueFd stale(::openat(folder.get(), name.constData(), kFolderFlags));
        if (stale.get() >= 0 && ::flock(stale.get(), LOCK_EX | LOCK_NB) == 0 &&
            stillThere(folder.get(), name.constData(), stale.get())) {
            removeTree(root + '/' + name);
        }
    }
}

void StagingFolder::moveInto(const Refusal& refuse) {
    const UniqueFd from(::open(m_path.constData(), kFolderFlags));
    const UniqueFd to(::open(m_root.constData(), kFolderFlags));
    if (from.get() < 0 || to.get() < 0) {
        refuse(QString(), engine_msg::refusedCannotWrite());
        return;
    }
    merge(from.get(), to.get(), QByteArray(), refuse);
}

void StagingFolder::merge(int from, int to, const QByteArray& relative, const Refusal& refuse) {
    for (const QByteArray& name : namesIn(from)) {
        const QByteArray itemRelative = relative.isEmpty() ? name : relative + '/' + name;
        const QString shown = decodeFileName(itemRelative);
        struct stat staged {};
        struct stat there {};
        if (::fstatat(from, name.constData(), &staged, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        const bool exists = ::fstatat(to, name.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0;
        if (S_ISDIR(staged.st_mode) && exists) {
            if (S_ISLNK(there.st_mode)) {
                refuse(shown, engine_msg::refusedThroughSymlink());
                continue;
            }
            const UniqueFd inner(::openat(from, name.constData(), kFolderFlags));
            const UniqueFd target(::openat(to, name.constData(), kFolderFlags));
            if (!S_ISDIR(there.st_mode) || inner.get() < 0 || target.get() < 0) {
                refuse(shown, engine_msg::refusedCannotWrite());
                continue;
            }
            merge(inner.get(), target.get(), itemRelative, refuse);
            continue;
        }
        if (exists && S_ISDIR(there.st_mode)) {
            refuse(shown, engine_msg::refusedCannotWrite());
            continue;
        }
        if (::renameat(from, name.constData(), to, name.constData()) != 0) {
            refuse(shown, engine_msg::refusedCannotWrite());
        }
    }
}
