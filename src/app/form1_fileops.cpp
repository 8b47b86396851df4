// Form1: the file and folder commands of the list and the tree, drag and drop, and undo, reached
// from the menus and the views' signals (the keys come through the input map).
#include <QAction>
#include <QMenu>

#include "app/form1.h"
#include "app/status_bar1.h"
#include "archive/dialog_extraction_prompts.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "browser/navigation.h"
#include "browser/tree_view1.h"
#include "fileops/archive_commands.h"
#include "fileops/command_context.h"
#include "fileops/file_operations.h"
#include "fileops/list_commands.h"
#include "fileops/tree_commands.h"
#include "fileops/tree_drag_drop.h"
#include "fileops/undo_command.h"
#include "fileops/undo_history.h"
#include "platform/interval_timer.h"
#include "platform/progress_dialog.h"
#include "platform/trash.h"
#include "player/movie.h"

void Form1::buildFileCommands() {
    m_progress = std::make_unique<ProgressDialogProgress>(this);
    m_history = std::make_unique<UndoHistory>(m_dialogs, *m_trash, *m_progress);
    // After an operation the window is drawn again at the next turn of the event loop, once the
    // rows show the result; the operation's own windows are closed by then.
    m_fileOps =
        std::make_unique<FileOperations>(m_dialogs, *m_trash, *m_progress, [this] { update(); });
    m_fileOps->setUndoHistory(m_history.get());
    m_commandContext = std::make_unique<FileCommandContext>(FileCommandContext{m_state,
                                                                               m_treeState,
                                                                               m_dialogs,
                                                                               *m_fileOps,
                                                                               *m_history,
                                                                               *m_list,
                                                                               *m_tree,
                                                                               *m_hold,
                                                                               {},
                                                                               {},
                                                                               {},
                                                                               {},
                                                                               {},
                                                                               nullptr,
                                                                               {}});
    FileCommandContext& c = *m_commandContext;
    c.iconView = [this] { return m_state.mIconDsp; };
    c.refreshList = [this] { m_navigation->Listkousin_Click(); };
    c.reopenSelectedFolder = [this] { m_navigation->ReopenSelectedFolder(); };
    c.goToPath = [this](const QString& path) { m_navigation->GoToPath(path, true); };
    // Drawn again at the next turn of the event loop, once, however many changes came first.
    c.repaint = [this] { update(); };
    c.window = this;
    c.iniPath = m_session.iniPath();
    m_listCommands = std::make_unique<ListCommands>(c);
    m_treeCommands = std::make_unique<TreeCommands>(c);
    m_dragDrop = std::make_unique<TreeDragDrop>(c, *m_treeView, *m_treeCommands);
    m_undo = std::make_unique<UndoCommand>(c);

    m_extractionPrompts = std::make_unique<DialogExtractionPrompts>(m_dialogs, *m_progress);
    ArchiveCommands::Hooks archiveHooks;
    archiveHooks.iconView = c.iconView;
    archiveHooks.deleteToTrash = [this](const QString& pathList) {
        return m_fileOps->ShellDeleteFiles(pathList);
    };
    archiveHooks.repaint = c.repaint;
    m_archiveCommands =
        std::make_unique<ArchiveCommands>(m_state, m_dialogs, *m_list, *m_tree,
                                          *m_extractionPrompts, *m_hold, std::move(archiveHooks));
}

void Form1::wireFileCommands() {
    // The list is the pane the commands and drops act on once it has the focus.
    connect(m_list.get(), &FileList::gotFocus, this, [this] { m_treeState.FocusPane = 1; });
    connect(m_list.get(), &FileList::statusTextChanged, this, [this](const QString& text) {
        m_statusBar->setPanelText(StatusBar1::FilesPanel, text);
    });
    // The widest panel, the one always in sight, says what an undo did until the next listing.
    connect(m_undo.get(), &UndoCommand::notice, this, [this](const QString& text) {
        m_statusBar->setPanelText(StatusBar1::FilesPanel, text);
    });
}
