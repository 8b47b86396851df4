#include "fileops/undo_command.h"

#include <QTreeWidgetItem>
#include <exception>

#include "browser/file_list.h"
#include "browser/folder_scan.h"
#include "browser/folder_tree.h"
#include "browser/tree_state.h"
#include "fileops/command_context.h"
#include "fileops/messages.h"
#include "fileops/path_moves.h"
#include "fileops/undo_history.h"
#include "platform/busy_cursor.h"
#include "platform/command_table.h"
#include "platform/error_box.h"
#include "platform/file_exist.h"
#include "platform/path_text.h"
#include "settings/playback_hold.h"

UndoCommand::UndoCommand(FileCommandContext& context, QObject* parent)
    : QObject(parent), m_context(context) {}

void UndoCommand::Undo() {
    try {
        UndoHistory& history = m_context.history;
        if (!history.canUndo()) {
            emit notice(fileops_msg::nothingToUndo());
            return;
        }
        file_commands::stopPlayback(m_context);
        const UndoHistory::Result result = history.undo();
        if (result.reverted.isEmpty()) {
            emit notice(result.statusText);
            m_context.hold.release();
            return;
        }
        BusyCursor busy;
        FolderTree& tree = m_context.tree;
        bool folders = false;
        QStringList restored;
        for (const MovedItem& item : result.reverted) {
            if (!item.from.isEmpty()) {  // none for an item out of the trash: it never moved
                m_context.pathMoves.tell(item.from, item.to);
            }
            folders = folders || FolderExist(item.to) ||
                      (!item.from.isEmpty() && tree.Node(item.from) != nullptr);
            restored.append(item.to);
        }
        if (folders && m_context.goToPath) {
            // The tree is read again from the nearest folder that is still there.
            QString target = tree.SelectedFolderPath();
            while (!target.isEmpty() && !FolderExist(target)) {
                target = GetParentFolder(target);
            }
            if (!target.isEmpty()) {
                m_context.treeState.CurrentFolder.clear();
                m_context.goToPath(target);
            }
        } else {
            file_commands::listSelectedFolder(m_context);
        }
        m_context.hold.release();
        // Said once the rows are back, so the listing's own count does not hide it.
        m_context.list.whenListed([this, restored, text = result.statusText] {
            m_context.list.selectKeys(restored);
            emit notice(text);
        });
    } catch (const std::exception& e) {
        ErrMsgDsp(m_context.dialogs, e);
    }
}

void UndoCommand::registerCommands(CommandTable& table) {
    table.add(CommandId::Undo, [this] { Undo(); });
}
