#pragma once

#include <QString>
#include <memory>

class ArchiveCommands;
class CommandTable;
class DialogExtractionPrompts;
class Dialogs;
class FileList;
class FileOperations;
class FolderTree;
class ListCommands;
class Navigation;
class PathMoves;
class PlaybackHold;
class ProgressDialogProgress;
class ShellCommands;
class Trash;
class TreeCommands;
class TreeDragDrop;
class TreeView1;
class UndoCommand;
class UndoHistory;
class QWidget;
struct FileCommandContext;
struct Module1;
struct TreeState;

// Every file and folder command of the list and the tree, with what they share: the progress
// window, the undo history, the operations on the disk, drag and drop onto the tree, the trash
// and properties commands and the extraction. Built once beside the window, which hands over the
// views and the services; each command is registered in the command table from here.
class FileCommands {
public:
    struct Parts {
        Module1& state;
        TreeState& treeState;
        Dialogs& dialogs;
        Trash& trash;
        const PlaybackHold& hold;
        FileList& list;
        FolderTree& tree;
        TreeView1& treeView;
        Navigation& navigation;
        PathMoves& pathMoves;  // told where the commands and their undo took items
        QWidget* window;       // owner of the dialogs, drawn again after each operation
        QString iniPath;       // the settings file (the extension dialog's choices)
    };
    explicit FileCommands(const Parts& parts);
    ~FileCommands();

    void registerCommands(CommandTable& table);

    ListCommands& list() const { return *m_listCommands; }
    TreeCommands& tree() const { return *m_treeCommands; }
    TreeDragDrop& dragDrop() const { return *m_dragDrop; }
    UndoCommand& undo() const { return *m_undo; }
    ArchiveCommands& archives() const { return *m_archiveCommands; }
    // Where the renames, moves, drops, extension changes and undo took files and folders.
    PathMoves& pathMoves() const { return m_pathMoves; }

private:
    FileList& m_list;
    FolderTree& m_tree;
    PathMoves& m_pathMoves;
    std::unique_ptr<ProgressDialogProgress> m_progress;
    std::unique_ptr<UndoHistory> m_history;
    std::unique_ptr<FileOperations> m_fileOps;
    std::unique_ptr<FileCommandContext> m_context;
    std::unique_ptr<ShellCommands> m_shellCommands;
    std::unique_ptr<ListCommands> m_listCommands;
    std::unique_ptr<TreeCommands> m_treeCommands;
    std::unique_ptr<TreeDragDrop> m_dragDrop;
    std::unique_ptr<UndoCommand> m_undo;
    std::unique_ptr<DialogExtractionPrompts> m_extractionPrompts;
    std::unique_ptr<ArchiveCommands> m_archiveCommands;
};
