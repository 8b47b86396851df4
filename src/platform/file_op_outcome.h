#pragma once

#include <QString>

// Results of the file operations: 0 success, 7 cancelled by the user (no message); any other
// value is a run-time error number (see run_error.h) or one of the codes below.
namespace shell_result {
inline constexpr int kOk = 0;
inline constexpr int kCancelled = 7;
// An item lies on a file system without a usable trash.
inline constexpr int kNoUsableTrash = 1005;
}  // namespace shell_result

// Which explanation a failed operation calls for; the caller words it.
enum class FileOpFailure {
    None,
    NoPaths,             // the list named no path
    NotFullPath,         // path is not absolute
    CannotTrash,         // path could not go into the trash (the code says why)
    NoUsableTrash,       // path lies where no trash can take it
    CannotMove,          // path could not be moved (the code says why)
    DestinationMissing,  // the folder path does not exist
    MoveIntoItself,      // the folder path would go inside itself
    KindConflict,        // path is taken by an item of the other kind (file or folder)
    SourceLeftBehind,    // path was copied into place, but could not be removed afterwards
    CannotRename,        // path could not be renamed (the code says why)
    NameTaken,           // path could not be renamed because other exists
};

// What a file operation came to: its result and, for a failure, what failed on which item.
struct FileOpOutcome {
    int code = shell_result::kOk;
    FileOpFailure failure = FileOpFailure::None;
    QString path;   // the item the failure is about
    QString other;  // the name that is taken, for NameTaken

    bool failed() const { return code != shell_result::kOk && code != shell_result::kCancelled; }
    bool cancelled() const { return code == shell_result::kCancelled; }

    static FileOpOutcome cancel() {
        return {shell_result::kCancelled, FileOpFailure::None, {}, {}};
    }
    // A failure on path for an errno value.
    static FileOpOutcome fromErrno(FileOpFailure failure, const QString& path, int err);
};

// The run-time error number an operation reports for an errno value (never 0 or 7).
int shellErrorFromErrno(int err);
