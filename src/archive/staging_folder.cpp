#include "archive/staging_folder.h"

#include "archive/engine_messages.h"
#include "platform/file_name_codec.h"
#include "platform/unique_fd.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;


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
    QByteArray pattern = root + "/.quorvane-extract-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) {
        m_path = pattern;
    }
}

StagingFolder::~StagingFolder() {
    if (!m_path.isEmpty()) {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(m_path.toStdString()), ignored);
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
