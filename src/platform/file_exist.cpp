#include "platform/file_exist.h"

#include <sys/stat.h>

#include "platform/background_call.h"
#include "platform/file_name_codec.h"

namespace {

bool statPath(const QString& path, struct stat& st) {
    // The bytes of a path end at a NUL: what was asked for is not what would be looked at.
    return !path.isEmpty() && !path.contains(QChar(0)) &&
           stat(encodeFileName(path).constData(), &st) == 0;
}

}  // namespace

bool FileExist(const QString& path) {
    struct stat st {};
    return statPath(path, st) && !S_ISDIR(st.st_mode);
}

bool FolderExist(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    struct stat st {};
    const QString folder = path.endsWith(u'/') ? path : path + u'/';
    return statPath(folder, st) && S_ISDIR(st.st_mode);
}

namespace {

std::optional<bool> askWithin(std::function<bool()> ask, std::chrono::milliseconds deadline) {
    const auto call = BackgroundCall<bool>::start(std::move(ask));
    if (!call->waitFor(deadline)) {
        call->cancel();
        return std::nullopt;
    }
    return call->take();
}

}  // namespace

std::optional<bool> FileExistWithin(const QString& path, std::chrono::milliseconds deadline) {
    return askWithin([path] { return FileExist(path); }, deadline);
}

std::optional<bool> FolderExistWithin(const QString& path, std::chrono::milliseconds deadline) {
    return askWithin([path] { return FolderExist(path); }, deadline);
}
