#include "platform/rename_item.h"

#include <QDir>
#include <cerrno>

#include "platform/file_transfer.h"
#include "platform/run_error.h"

FileOpOutcome renameItem(const QString& from, const QString& to) {
    if (!QDir::isAbsolutePath(from) || !QDir::isAbsolutePath(to)) {
        const QString path = QDir::isAbsolutePath(from) ? to : from;
        return FileOpOutcome::fromErrno(FileOpFailure::NotFullPath, path, EINVAL);
    }
    const QString source = QDir::cleanPath(from);
    const QString target = QDir::cleanPath(to);
    if (!file_transfer::exists(source)) {
        return FileOpOutcome::fromErrno(FileOpFailure::CannotRename, source, ENOENT);
    }
    if (source == target) {
        return {};
    }
    const int err = file_transfer::renameNoReplace(source, target);
    if (err == EEXIST) {
        return {run_error::kFileAlreadyExists, FileOpFailure::NameTaken, source, target};
    }
    if (err != 0) {
        return FileOpOutcome::fromErrno(FileOpFailure::CannotRename, source, err);
    }
    return {};
}
