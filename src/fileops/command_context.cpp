#include "fileops/command_context.h"

#include "browser/file_list.h"
#include "browser/folder_tree.h"
#include "browser/tree_state.h"
#include "fileops/undo_history.h"
#include "settings/module1.h"
#include "settings/playback_hold.h"

UndoStep::UndoStep(UndoHistory& history, const QString& description) : m_history(history) {
    m_history.beginStep(description);
}

UndoStep::~UndoStep() {
    m_history.endStep();
}

namespace file_commands {

void stopPlayback(FileCommandContext& context) {
    context.hold.hold();
}

void listSelectedFolder(FileCommandContext& context) {
    const QString folder = context.tree.SelectedFolderPath();
    if (folder.isEmpty()) {
        return;
    }
    context.list.ListFolder(folder, context.iconView && context.iconView());
    context.treeState.CurrentFolder = folder;
}

void repaint(FileCommandContext& context) {
    if (context.repaint) {
        context.repaint();
    }
}

}  // namespace file_commands
