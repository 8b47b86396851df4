#include "fileops/undo_history.h"

#include "fileops/operation_messages.h"
#include "fileops/outcome_text.h"
#include "platform/dialogs.h"
#include "platform/file_transfer.h"
#include "platform/path_text.h"
#include "platform/run_error.h"
#include "platform/trash_batch.h"

namespace {

// The way back never replaces anything: the places were cleared before the move began, so a
// place taken now was taken in the meantime, and the move back stops.
class NoReplacing : public MoveQuestions {
public:
    ConflictAnswer replaceFile(const QString& target) override { return refuse(target); }
    ConflictAnswer mergeFolder(const QString& target) override { return refuse(target); }

    QString taken;

private:
    ConflictAnswer refuse(const QString& target) {
        taken = target;
        return ConflictAnswer::Cancel;
    }
};

}  // namespace

UndoHistory::UndoHistory(Dialogs& dialogs, Trash& trash, FileOpProgress& progress)
    : m_dialogs(dialogs), m_trash(trash), m_progress(progress) {}

void UndoHistory::beginStep(const QString& description) {
    if (m_depth++ == 0) {
        m_open = {description, {}};
    }
}

void UndoHistory::endStep() {
    if (m_depth == 0 || --m_depth > 0) {
        return;
    }
    if (!m_open.records.isEmpty()) {
        m_steps.append(std::move(m_open));
        while (m_steps.size() > kMaxSteps) {
            m_steps.removeFirst();
        }
    }
    m_open = {};
}

void UndoHistory::add(Record record, const QString& description) {
    if (m_depth > 0) {
        m_open.records.append(std::move(record));
        return;
    }
    beginStep(description);
    m_open.records.append(std::move(record));
    endStep();
}

void UndoHistory::recordTrashed(const QList<TrashEntry>& entries) {
    if (!entries.isEmpty()) {
        add({Kind::Trashed, entries, {}}, fileops_msg::deleteStep());
    }
}

void UndoHistory::recordMoved(const QList<MovedItem>& items) {
    if (!items.isEmpty()) {
        add({Kind::Moved, {}, items}, fileops_msg::moveStep());
    }
}

void UndoHistory::recordRenamed(const QString& from, const QString& to) {
    add({Kind::Moved, {}, {{from, to}}}, fileops_msg::renameStep());
}

QString UndoHistory::undoDescription() const {
    return m_steps.isEmpty() ? QString() : m_steps.last().description;
}

UndoHistory::Result UndoHistory::undo() {
    Result result;
    if (m_steps.isEmpty()) {
        return result;
    }
    Step step = m_steps.takeLast();
    Run run;
    // The last thing done is undone first.
    while (!step.records.isEmpty()) {
        Record& record = step.records.last();
        const bool undone =
            record.kind == Kind::Trashed ? undoTrashed(record, run) : undoMoved(record, run);
        if (!undone) {
            if (record.entries.isEmpty() && record.items.isEmpty()) {
                step.records.removeLast();
            }
            break;
        }
        step.records.removeLast();
    }
    const qsizetype done = run.reverted.size();
    result.reverted = run.reverted;
    if (run.code != 0) {
        result.code = run.code;
        result.statusText = fileops_msg::undoStopped(step.description);
    } else if (done == 0 && run.left > 0) {
        result.code = shell_result::kCancelled;
        result.statusText = fileops_msg::undoDeclined(step.description);
    } else if (run.left > 0) {
        result.statusText = fileops_msg::undoPartly(step.description, done, run.left);
    } else {
        result.statusText = fileops_msg::undoDone(step.description, done);
    }
    // What a failure or a stop kept from going back can be tried again.
    if (!step.records.isEmpty()) {
        m_steps.append(std::move(step));
    }
    return result;
}

void UndoHistory::fail(const QString& text, int code, Run& run) {
    if (!text.isEmpty()) {
        m_dialogs.messageBox(text, MsgIcon::Exclamation, MsgButtons::Ok, fileops_msg::undoTitle());
    }
    run.code = code;
}

UndoHistory::Place UndoHistory::clearPlace(const QString& path, Run& run) {
    if (!file_transfer::exists(path)) {
        return Place::Free;
    }
    if (m_dialogs.messageBox(fileops_msg::undoPlaceTaken(path), MsgIcon::Exclamation,
                             MsgButtons::YesNo, fileops_msg::undoTitle()) != MsgResult::Yes) {
        ++run.left;
        return Place::Kept;
    }
    TrashBatch batch(m_trash);
    FileOpOutcome outcome = batch.check({path});
    if (!outcome.failed()) {
        outcome = batch.put();
    }
    if (outcome.failed()) {
        fail(outcomeText(outcome), outcome.code, run);
        return Place::Failed;
    }
    return Place::Free;
}

bool UndoHistory::undoTrashed(Record& record, Run& run) {
    while (!record.entries.isEmpty()) {
        const TrashEntry entry = record.entries.last();
        // Gone for good when the trash was emptied: said once, then forgotten.
        if (!file_transfer::exists(entry.filesPath())) {
            record.entries.removeLast();
            fail(
                fileops_msg::cannotUndo(entry.originalPath, runErrorText(run_error::kFileNotFound)),
                run_error::kFileNotFound, run);
            return false;
        }
        const Place place = clearPlace(entry.originalPath, run);
        if (place == Place::Failed) {
            return false;
        }
        if (place == Place::Free) {
            if (const int err = m_trash.restore(entry); err != 0) {
                const int code = shellErrorFromErrno(err);
                fail(fileops_msg::cannotUndo(entry.originalPath, runErrorText(code)), code, run);
                return false;
            }
            run.reverted.append({QString(), entry.originalPath});
        }
        record.entries.removeLast();
    }
    return true;
}

bool UndoHistory::undoMoved(Record& record, Run& run) {
    // Nothing is touched before every item is known to be there.
    for (qsizetype i = record.items.size() - 1; i >= 0; --i) {
        const QString current = record.items.at(i).to;
        if (!file_transfer::exists(current)) {
            record.items.removeAt(i);
            fail(fileops_msg::cannotUndo(current, runErrorText(run_error::kFileNotFound)),
                 run_error::kFileNotFound, run);
            return false;
        }
    }
    QList<MovedItem> back;
    for (qsizetype i = record.items.size() - 1; i >= 0; --i) {
        const MovedItem item = record.items.at(i);
        const Place place = clearPlace(item.from, run);
        if (place == Place::Failed) {
            return false;
        }
        if (place == Place::Kept) {
            record.items.removeAt(i);
            continue;
        }
        // A folder emptied by a merge was removed; it is made again for its items.
        if (const int err = file_transfer::makeFolders(GetParentFolder(item.from)); err != 0) {
            const int code = shellErrorFromErrno(err);
            fail(fileops_msg::cannotUndo(item.to, runErrorText(code)), code, run);
            return false;
        }
        back.append({item.to, item.from});
    }
    NoReplacing questions;
    FileMover mover(m_progress, questions);
    mover.setProgressText(fileops_msg::undoTitle(), fileops_msg::undoProgressLabel);
    const FileOpOutcome outcome = mover.move(back);
    // A move goes all the way or not at all; only a source it could not remove after copying
    // fails it with everything in place.
    run.reverted += mover.moved();
    if (outcome.code == shell_result::kOk || !mover.moved().isEmpty()) {
        record.items.clear();
    }
    if (outcome.failed()) {
        fail(outcomeText(outcome), outcome.code, run);
        return false;
    }
    if (!questions.taken.isEmpty()) {
        fail(fileops_msg::cannotUndo(questions.taken, runErrorText(run_error::kFileAlreadyExists)),
             run_error::kFileAlreadyExists, run);
        return false;
    }
    if (outcome.cancelled()) {
        run.code = shell_result::kCancelled;
        return false;
    }
    return true;
}
