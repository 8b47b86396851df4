#include "fileops/file_commands.h"

#include <QWidget>

#include "archive/dialog_extraction_prompts.h"
#include "browser/file_list.h"
#include "browser/folder_tree.h"
#include "browser/navigation.h"
#include "browser/tree_view1.h"
#include "fileops/archive_commands.h"
#include "fileops/command_context.h"
#include "fileops/file_operations.h"
#include "fileops/list_commands.h"
#include "fileops/shell_commands.h"
#include "fileops/tree_commands.h"
#include "fileops/tree_drag_drop.h"
#include "fileops/undo_command.h"
#include "fileops/undo_history.h"
#include "platform/desktop_services.h"
#include "platform/progress_dialog.h"
#include "settings/module1.h"

FileCommands::FileCommands(const Parts& p)
    : m_list(p.list), m_tree(p.tree), m_pathMoves(p.pathMoves) {
    QWidget* window = p.window;
    m_progress = std::make_unique<ProgressDialogProgress>(window);
    m_history = std::make_unique<UndoHistory>(p.dialogs, p.trash, *m_progress);
    // After an operation the window is drawn again at the next turn of the event loop, once the
    // rows show the result; the operation's own windows are closed by then.
    m_fileOps = std::make_unique<FileOperations>(p.dialogs, p.trash, *m_progress,
                                                 [window] { window->update(); });
    m_fileOps->setUndoHistory(m_history.get());
    m_fileOps->setPathMoves(&p.pathMoves);
    m_context = std::make_unique<FileCommandContext>(FileCommandContext{p.state,
                                                                        p.treeState,
                                                                        p.dialogs,
                                                                        *m_fileOps,
                                                                        *m_history,
                                                                        p.pathMoves,
                                                                        p.list,
                                                                        p.tree,
                                                                        p.hold,
                                                                        {},
                                                                        {},
                                                                        {},
                                                                        {},
                                                                        {},
                                                                        window,
                                                                        p.iniPath,
                                                                        {}});
    FileCommandContext& c = *m_context;
    Module1& state = p.state;
    Navigation& nav = p.navigation;
    c.iconView = [&state] { return state.mIconDsp; };
    c.refreshList = [&nav] { nav.Listkousin_Click(); };
    c.reopenSelectedFolder = [&nav] { nav.ReopenSelectedFolder(); };
    c.goToPath = [&nav](const QString& path) { nav.GoToPath(path, true); };
    c.showItem = [&nav](const QString& path) { nav.showItem(path); };
    // Drawn again at the next turn of the event loop, once, however many changes came first.
    c.repaint = [window] { window->update(); };

    m_shellCommands =
        std::make_unique<ShellCommands>(p.dialogs, p.trash, desktopUrlOpener(), window);
    m_listCommands = std::make_unique<ListCommands>(c);
    m_treeCommands = std::make_unique<TreeCommands>(c);
    m_dragDrop = std::make_unique<TreeDragDrop>(c, p.treeView, *m_treeCommands);
    m_undo = std::make_unique<UndoCommand>(c);

    m_extractionPrompts = std::make_unique<DialogExtractionPrompts>(p.dialogs, *m_progress);
    ArchiveCommands::Hooks archiveHooks;
    archiveHooks.iconView = c.iconView;
    archiveHooks.deleteToTrash = [this](const QString& pathList) {
        return m_fileOps->ShellDeleteFiles(pathList);
    };
    archiveHooks.repaint = c.repaint;
    m_archiveCommands = std::make_unique<ArchiveCommands>(
        p.state, p.dialogs, p.list, p.tree, *m_extractionPrompts, p.hold, std::move(archiveHooks));
}

FileCommands::~FileCommands() = default;

void FileCommands::registerCommands(CommandTable& table) {
    m_listCommands->registerCommands(table);
    m_treeCommands->registerCommands(table);
    m_undo->registerCommands(table);
    m_archiveCommands->registerCommands(table);
    m_shellCommands->registerCommands(table, [this] {
        // The selected row, or the folder on show when no row is selected.
        const QString row = m_list.SelectedPath();
        return row.isEmpty() ? m_tree.SelectedFolderPath() : row;
    });
}
