#include "fileops/file_operations.h"

#include <QDir>

#include "fileops/operation_messages.h"
#include "fileops/outcome_text.h"
#include "fileops/path_moves.h"
#include "fileops/undo_history.h"
#include "platform/app_info.h"
#include "platform/dialogs.h"
#include "platform/file_mover.h"
#include "platform/file_transfer.h"
#include "platform/path_list.h"
#include "platform/path_text.h"
#include "platform/rename_item.h"
#include "platform/trash_batch.h"

namespace {

// The move's conflict questions, asked in message boxes.
class AskedMoveQuestions : public MoveQuestions {
public:
    explicit AskedMoveQuestions(Dialogs& dialogs) : m_dialogs(dialogs) {}

    ConflictAnswer replaceFile(const QString& target) override {
        return ask(fileops_msg::replaceFile(GetFileNm(target), GetParentFolder(target)));
    }
    ConflictAnswer mergeFolder(const QString& target) override {
        return ask(fileops_msg::mergeFolder(GetFileNm(target), GetParentFolder(target)));
    }

private:
    ConflictAnswer ask(const QString& question) {
        switch (m_dialogs.messageBox(question, MsgIcon::Exclamation, MsgButtons::YesNoCancel,
                                     fileops_msg::moveTitle())) {
            case MsgResult::Yes:
                return ConflictAnswer::Yes;
            case MsgResult::No:
                return ConflictAnswer::No;
            default:
                return ConflictAnswer::Cancel;
        }
    }

    Dialogs& m_dialogs;
};

}  // namespace

FileOperations::FileOperations(Dialogs& dialogs, Trash& trash, FileOpProgress& progress,
                               std::function<void()> afterOperation)
    : m_dialogs(dialogs),
      m_trash(trash),
      m_progress(progress),
      m_afterOperation(std::move(afterOperation)) {}

int FileOperations::ShellDeleteFiles(const QString& pathList, bool confirm) {
    m_lastGone.clear();
    return finish(deleteToTrash(pathList, confirm), fileops_msg::deleteTitle(),
                  fileops_msg::deleteFailed());
}

int FileOperations::ShellMoveFiles(const QString& pathList, const QString& destination,
                                   bool confirm) {
    m_lastGone.clear();
    return finish(move(pathList, destination, confirm), fileops_msg::moveTitle(),
                  fileops_msg::moveFailed());
}

int FileOperations::ShellRenameFile(const QString& from, const QString& to) {
    m_lastGone.clear();
    return finish(rename(from, to), fileops_msg::renameItemTitle(), fileops_msg::renameFailed());
}

bool FileOperations::confirmed(const QString& question, const QString& title) {
    return m_dialogs.messageBox(question, MsgIcon::Question, MsgButtons::YesNo, title) ==
           MsgResult::Yes;
}

FileOpOutcome FileOperations::deleteToTrash(const QString& pathList, bool confirm) {
    FileOpOutcome outcome;
    const QStringList paths = normalizeSources(parsePathList(pathList), outcome);
    if (paths.isEmpty()) {
        return outcome;
    }
    // Everything that can be known beforehand is checked before the question, so that a "yes"
    // is not followed by half a deletion.
    TrashBatch batch(m_trash);
    if (outcome = batch.check(paths); outcome.failed()) {
        return outcome;
    }
    if (confirm && !confirmed(fileops_msg::confirmDelete(paths.size(), GetFileNm(paths.first())),
                              fileops_msg::deleteTitle())) {
        return FileOpOutcome::cancel();
    }
    outcome = batch.put();
    if (outcome.code == shell_result::kOk) {
        m_lastGone = paths;
    } else {
        // Backed out as a whole; whatever could not be put back is gone all the same.
        for (const QString& path : paths) {
            if (!file_transfer::exists(path)) {
                m_lastGone.append(path);
            }
        }
    }
    if (m_history != nullptr && !batch.entries().isEmpty()) {
        m_history->recordTrashed(batch.entries());
    }
    return outcome;
}

FileOpOutcome FileOperations::move(const QString& pathList, const QString& destination,
                                   bool confirm) {
    FileOpOutcome outcome;
    const QStringList sources = normalizeSources(parsePathList(pathList), outcome);
    if (sources.isEmpty()) {
        return outcome;
    }
    QList<MovedItem> items;
    if (outcome = FileMover::targetsFor(sources, destination, items); outcome.failed()) {
        return outcome;
    }
    if (confirm && !confirmed(fileops_msg::confirmMove(sources.size(), GetFileNm(sources.first()),
                                                       QDir::cleanPath(destination)),
                              fileops_msg::moveTitle())) {
        return FileOpOutcome::cancel();
    }
    AskedMoveQuestions questions(m_dialogs);
    FileMover mover(m_progress, questions);
    mover.setProgressText(fileops_msg::moveTitle(), fileops_msg::progressLabel);
    outcome = mover.move(items);
    // A folder merged into one of the same name is told item by item, as its items moved.
    for (const MovedItem& item : mover.moved()) {
        m_lastGone.append(item.from);
        if (m_moves != nullptr) {
            m_moves->tell(item.from, item.to);
        }
    }
    if (m_history != nullptr && !mover.moved().isEmpty()) {
        m_history->recordMoved(mover.moved());
    }
    return outcome;
}

FileOpOutcome FileOperations::rename(const QString& from, const QString& to) {
    const FileOpOutcome outcome = renameItem(from, to);
    const QString source = QDir::cleanPath(from);
    const QString target = QDir::cleanPath(to);
    if (outcome.code != shell_result::kOk || source == target) {
        return outcome;
    }
    m_lastGone.append(source);
    if (m_history != nullptr) {
        m_history->recordRenamed(source, target);
    }
    if (m_moves != nullptr) {
        m_moves->tell(source, target);
    }
    return outcome;
}

int FileOperations::finish(const FileOpOutcome& outcome, const QString& title,
                           const QString& failedText) {
    if (outcome.failed() && outcome.failure != FileOpFailure::None) {
        m_dialogs.messageBox(outcomeText(outcome), MsgIcon::Exclamation, MsgButtons::Ok, title);
    }
    // The operation's own boxes have closed; the window draws itself again (no event loop is
    // run here: the rows are not yet brought in line with the disk).
    if (m_afterOperation) {
        m_afterOperation();
    }
    if (outcome.failed()) {
        m_dialogs.messageBox(failedText, MsgIcon::None, MsgButtons::Ok, app_info::title());
    }
    return outcome.code;
}
