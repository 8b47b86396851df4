#include "platform/file_operations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cerrno>

#include "platform/app_info.h"
#include "platform/dialogs.h"
#include "platform/file_mover.h"
#include "platform/file_op_progress.h"
#include "platform/file_transfer.h"
#include "platform/messages.h"
#include "platform/path_list.h"
#include "platform/run_error.h"
#include "platform/trash.h"

FileOperations::FileOperations(Dialogs& dialogs, Trash& trash, FileOpProgress& progress,
                               std::function<void()> afterOperation)
    : m_dialogs(dialogs),
      m_trash(trash),
      m_progress(progress),
      m_afterOperation(std::move(afterOperation)) {}

int FileOperations::ShellDeleteFiles(const QString& pathList, bool confirm) {
    return finish(deleteToTrash(pathList, confirm), platform_msg::deleteTitle(),
                  platform_msg::deleteFailed());
}

int FileOperations::ShellMoveFiles(const QString& pathList, const QString& destination,
                                   bool confirm) {
    Outcome outcome;
    const QStringList sources = normalizeSources(parsePathList(pathList), outcome);
    if (!sources.isEmpty()) {
        FileMover mover(m_dialogs, m_progress);
        outcome = mover.move(sources, destination, confirm);
    }
    return finish(outcome, platform_msg::moveTitle(), platform_msg::moveFailed());
}

int FileOperations::ShellRenameFile(const QString& from, const QString& to) {
    return finish(rename(from, to), platform_msg::renameTitle(), platform_msg::renameFailed());
}

FileOperations::Outcome FileOperations::deleteToTrash(const QString& pathList, bool confirm) {
    Outcome outcome;
    const QStringList paths = normalizeSources(parsePathList(pathList), outcome);
    if (paths.isEmpty()) {
        return outcome;
    }
    // Everything that can be known beforehand is checked before the question, so that a "yes"
    // is not followed by half a deletion.
    for (const QString& path : paths) {
        if (!file_transfer::exists(path)) {
            const int code = shellErrorFromErrno(ENOENT);
            return {code, platform_msg::cannotTrash(path, runErrorText(code))};
        }
        if (m_trash.trashDirFor(path).isEmpty()) {
            return {shell_result::kNoUsableTrash, platform_msg::noUsableTrash(path)};
        }
    }
    if (confirm &&
        m_dialogs.messageBox(
            platform_msg::confirmDelete(paths.size(), QFileInfo(paths.first()).fileName()),
            MsgIcon::Question, MsgButtons::YesNo, platform_msg::deleteTitle()) != MsgResult::Yes) {
        return {shell_result::kCancelled, {}};
    }
    QList<TrashEntry> trashed;
    for (const QString& path : paths) {
        const Trash::PutResult put = m_trash.put(path);
        if (put.error == 0) {
            trashed.append(put.entry);
            continue;
        }
        // Back out of the whole deletion: the items trashed so far return to their places.
        for (auto it = trashed.crbegin(); it != trashed.crend(); ++it) {
            m_trash.restore(*it);
        }
        if (put.error == Trash::kNoUsableTrash) {
            return {shell_result::kNoUsableTrash, platform_msg::noUsableTrash(path)};
        }
        const int code = shellErrorFromErrno(put.error);
        return {code, platform_msg::cannotTrash(path, runErrorText(code))};
    }
    return outcome;
}

FileOperations::Outcome FileOperations::rename(const QString& from, const QString& to) {
    if (!QDir::isAbsolutePath(from) || !QDir::isAbsolutePath(to)) {
        const QString path = QDir::isAbsolutePath(from) ? to : from;
        return {shellErrorFromErrno(EINVAL), platform_msg::notFullPath(path)};
    }
    const QString source = QDir::cleanPath(from);
    const QString target = QDir::cleanPath(to);
    if (!file_transfer::exists(source)) {
        const int code = shellErrorFromErrno(ENOENT);
        return {code, platform_msg::cannotRename(source, runErrorText(code))};
    }
    if (source == target) {
        return {};
    }
    const int err = file_transfer::renameNoReplace(source, target);
    if (err == EEXIST) {
        return {run_error::kFileAlreadyExists,
                platform_msg::cannotRename(source, platform_msg::nameTaken(target))};
    }
    if (err != 0) {
        const int code = shellErrorFromErrno(err);
        return {code, platform_msg::cannotRename(source, runErrorText(code))};
    }
    return {};
}

int FileOperations::finish(const Outcome& outcome, const QString& title,
                           const QString& failedText) {
    const bool failed =
        outcome.code != shell_result::kOk && outcome.code != shell_result::kCancelled;
    if (failed && !outcome.detail.isEmpty()) {
        m_dialogs.messageBox(outcome.detail, MsgIcon::Exclamation, MsgButtons::Ok, title);
    }
    QCoreApplication::processEvents();
    if (m_afterOperation) {
        m_afterOperation();
    }
    if (failed) {
        m_dialogs.messageBox(failedText, MsgIcon::None, MsgButtons::Ok, app_info::title());
    }
    return outcome.code;
}
