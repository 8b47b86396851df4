#pragma once

#include <QString>
#include <functional>

class Dialogs;
class FileList;
class FileOperations;
class FolderTree;
class PathMoves;
class PlaybackHold;
class QWidget;
class UndoHistory;
struct Module1;
struct TreeState;

// What the file and folder commands work on: the shared state, the two views' objects, the
// services built at start, and what they ask of the parts above them. The window builds one and
// hands it to each command object.
struct FileCommandContext {
    Module1& state;
    TreeState& treeState;
    Dialogs& dialogs;
    FileOperations& operations;
    UndoHistory& history;
    PathMoves& pathMoves;  // told of each item renamed or moved, and of each undo of one
    FileList& list;
    FolderTree& tree;
    const PlaybackHold& hold;  // taken before the disk changes

    std::function<bool()> iconView;                // the MnuIconSet tick
    std::function<void()> refreshList;             // Listkousin: tree and list read again
    std::function<void()> reopenSelectedFolder;    // navigation's reopen of the selected folder
    std::function<void(const QString&)> goToPath;  // GoToPath with the tree opened along it
    std::function<void()> repaint;                 // the main window repaints
    QWidget* window = nullptr;                     // owner of the commands' dialogs
    QString iniPath;                               // the settings file
    // A folder gone into, or a file's folder with its row selected (looked at off the window's
    // thread; nothing happens for a path that is not there).
    std::function<void(const QString&)> showItem;
};

// Everything a command changes on disk while it lives is undone as one step.
class UndoStep {
public:
    UndoStep(UndoHistory& history, const QString& description);
    ~UndoStep();
    UndoStep(const UndoStep&) = delete;
    UndoStep& operator=(const UndoStep&) = delete;

private:
    UndoHistory& m_history;
};

namespace file_commands {

// Clears the flag that lets the end of a file move the play list on, then stops playback, so no
// file is held open and nothing advances while the disk changes.
void stopPlayback(FileCommandContext& context);
// Lists the folder of the tree's selected node again (icon view as the menu says).
void listSelectedFolder(FileCommandContext& context);
void repaint(FileCommandContext& context);

}  // namespace file_commands
