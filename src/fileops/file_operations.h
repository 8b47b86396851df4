#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "platform/file_op_outcome.h"

class Dialogs;
class FileOpProgress;
class PathMoves;
class Trash;
class UndoHistory;

// The program's delete, move and rename of files and folders, in the shape the commands call
// them: sources as a path list (see path_list.h), a confirmation from the user where asked for,
// a result code back (see shell_result). Deleting moves to the trash. A move never replaces
// anything without a "yes", and across file systems it copies, checks the copy and only then
// removes the source. Whatever fails or is cancelled half-way is put back, so the disk is as it
// was.
//
// A failure is explained in a box of the operation's own (which item, and why), then reported
// with the program's message for the operation; the result still goes back to the caller.
// With an undo history, whatever an operation changed on disk is recorded there; with path moves,
// each item moved or renamed is told there once it stands in its new place.
class FileOperations {
public:
    // afterOperation runs when an operation is over, before its failure message: the window
    // asks to be drawn again there.
    FileOperations(Dialogs& dialogs, Trash& trash, FileOpProgress& progress,
                   std::function<void()> afterOperation = {});

    // Where the operations record what they did; none when null.
    void setUndoHistory(UndoHistory* history) { m_history = history; }
    // Where the operations tell of the items they moved or renamed; none when null.
    void setPathMoves(PathMoves* moves) { m_moves = moves; }

    // Moves the listed files and folders to the trash, after one question for all of them when
    // confirm is true.
    int ShellDeleteFiles(const QString& pathList, bool confirm = true);

    // Moves the listed items into the folder destination; with one item and a destination that
    // is not a folder, moves (renames) the item to that path. confirm asks once before anything
    // happens; a name that is taken is asked about in any case.
    int ShellMoveFiles(const QString& pathList, const QString& destination, bool confirm);

    // Renames from to to on the same file system; a name that is taken is never replaced.
    int ShellRenameFile(const QString& from, const QString& to);

    // The paths the last operation took away from where they were (moved, trashed, renamed), as
    // they were given: the callers' rows and nodes of these paths are gone. Empty after a
    // declined or failed operation, which leaves everything where it was.
    const QStringList& lastGone() const { return m_lastGone; }

private:
    FileOpOutcome deleteToTrash(const QString& pathList, bool confirm);
    FileOpOutcome move(const QString& pathList, const QString& destination, bool confirm);
    FileOpOutcome rename(const QString& from, const QString& to);
    bool confirmed(const QString& question, const QString& title);
    int finish(const FileOpOutcome& outcome, const QString& title, const QString& failedText);

    Dialogs& m_dialogs;
    Trash& m_trash;
    FileOpProgress& m_progress;
    std::function<void()> m_afterOperation;
    UndoHistory* m_history = nullptr;
    PathMoves* m_moves = nullptr;
    QStringList m_lastGone;
};
