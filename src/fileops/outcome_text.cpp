#include "fileops/outcome_text.h"

#include "fileops/operation_messages.h"
#include "platform/file_op_outcome.h"
#include "platform/run_error.h"

QString outcomeText(const FileOpOutcome& outcome) {
    const QString reason = runErrorText(outcome.code);
    switch (outcome.failure) {
        case FileOpFailure::None:
            return {};
        case FileOpFailure::NoPaths:
            return fileops_msg::noPathsGiven();
        case FileOpFailure::NotFullPath:
            return fileops_msg::notFullPath(outcome.path);
        case FileOpFailure::CannotTrash:
            return fileops_msg::cannotTrash(outcome.path, reason);
        case FileOpFailure::NoUsableTrash:
            return fileops_msg::noUsableTrash(outcome.path);
        case FileOpFailure::CannotMove:
            return fileops_msg::cannotMove(outcome.path, reason);
        case FileOpFailure::DestinationMissing:
            return fileops_msg::destinationMissing(outcome.path);
        case FileOpFailure::MoveIntoItself:
            return fileops_msg::moveIntoItself(outcome.path);
        case FileOpFailure::KindConflict:
            return fileops_msg::kindConflict(outcome.path);
        case FileOpFailure::SourceLeftBehind:
            return fileops_msg::sourceLeftBehind(outcome.path, reason);
        case FileOpFailure::CannotRename:
            return fileops_msg::cannotRename(outcome.path, reason);
        case FileOpFailure::NameTaken:
            return fileops_msg::cannotRename(outcome.path, fileops_msg::nameTaken(outcome.other));
    }
    return {};
}
