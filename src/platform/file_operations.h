#pragma once

#include <QString>
#include <functional>

class Dialogs;
class FileOpProgress;
class Trash;

// Results of the shell operations: 0 success, 7 cancelled by the user (no message); any other
// value is a run-time error number (see run_error.h) or one of the codes below.
namespace shell_result {
inline constexpr int kOk = 0;
inline constexpr int kCancelled = 7;
// An item lies on a file system without a usable trash.
inline constexpr int kNoUsableTrash = 1005;
}  // namespace shell_result

// The program's delete, move and rename of files and folders, in the shape the commands call
// them: sources as a path list (see path_list.h), a confirmation from the user where asked for,
// a result code back. Deleting moves to the trash. A move never replaces anything without a
// "yes", and across file systems it copies, checks the copy and only then removes the source.
// Whatever fails or is cancelled half-way is put back, so the disk is as it was.
//
// A failure is explained in a box of the operation's own (which item, and why), then reported
// with the program's message for the operation; the result still goes back to the caller.
class FileOperations {
public:
    // afterOperation runs when an operation is over, before its failure message: the window
    // lets pending events run and repaints itself there.
    FileOperations(Dialogs& dialogs, Trash& trash, FileOpProgress& progress,
                   std::function<void()> afterOperation = {});

    // Moves the listed files and folders to the trash, after one question for all of them when
    // confirm is true.
    int ShellDeleteFiles(const QString& pathList, bool confirm = true);

    // Moves the listed items into the folder destination; with one item and a destination that
    // is not a folder, moves (renames) the item to that path. confirm asks once before anything
    // happens; a name that is taken is asked about in any case.
    int ShellMoveFiles(const QString& pathList, const QString& destination, bool confirm);

    // Renames from to to on the same file system; a name that is taken is never replaced.
    int ShellRenameFile(const QString& from, const QString& to);

    // What an operation came to: its result and, for a failure, the explanation.
    struct Outcome {
        int code = shell_result::kOk;
        QString detail;
    };

private:
    Outcome deleteToTrash(const QString& pathList, bool confirm);
    Outcome rename(const QString& from, const QString& to);
    int finish(const Outcome& outcome, const QString& title, const QString& failedText);

    Dialogs& m_dialogs;
    Trash& m_trash;
    FileOpProgress& m_progress;
    std::function<void()> m_afterOperation;
};
