#include "fileops/tree_drag_drop.h"

#include <QTimer>
#include <QTreeWidgetItem>
#include <exception>

#include "browser/drop_data.h"
#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "browser/tree_state.h"
#include "browser/tree_view1.h"
#include "fileops/command_context.h"
#include "fileops/file_operations.h"
#include "fileops/messages.h"
#include "fileops/tree_commands.h"
#include "fileops/undo_history.h"
#include "platform/error_box.h"
#include "platform/file_exist.h"
#include "platform/file_transfer.h"
#include "platform/path_list.h"
#include "platform/path_text.h"

namespace {

QTreeWidgetItem* folderNodeAt(const TreeView1& view, const QPoint& pos) {
    QTreeWidgetItem* node = view.itemAt(pos);
    return FolderTree::IsPlaceholder(node) ? nullptr : node;
}

}  // namespace

TreeDragDrop::TreeDragDrop(FileCommandContext& context, TreeView1& view, TreeCommands& treeCommands,
                           QObject* parent)
    : QObject(parent), m_context(context), m_view(view), m_treeCommands(treeCommands) {
    connect(&m_view, &TreeView1::dragMovedOver, this, &TreeDragDrop::DragOver);
    connect(&m_view, &TreeView1::dragLeft, this, &TreeDragDrop::endDrag);
    // A drop asks questions and moves files: it runs once the drag has let go of the mouse.
    connect(&m_view, &TreeView1::droppedOn, this, &TreeDragDrop::DragDrop, Qt::QueuedConnection);
    connect(&m_context.tree.Timer2(), &QTimer::timeout, this, &TreeDragDrop::Timer2_Timer);
    connect(&m_context.list, &FileList::pathsDropped, this, &TreeDragDrop::dropFromOutside);
}

void TreeDragDrop::DragOver(const QPoint& pos) {
    TreeState& state = m_context.treeState;
    if (state.TreeBusy) {
        return;
    }
    QTreeWidgetItem* node = folderNodeAt(m_view, pos);
    m_view.setDropHighlight(node);
    state.DropKey = FolderTree::NodeKey(node);
    state.DragSourcePath = m_context.tree.SelectedFolderPath();
    state.DragSourceText = GetFileNm(state.DragSourcePath);
    state.DragActive = true;
    state.DragPos = pos;
    QTimer& timer2 = m_context.tree.Timer2();
    if (node != nullptr && node->childCount() > 0) {
        // Started once: the second counts from when the cursor reached a node with subfolders.
        if (!timer2.isActive()) {
            timer2.start();
        }
    } else {
        timer2.stop();
    }
}

void TreeDragDrop::Timer2_Timer() {
    if (!m_context.treeState.DragActive) {
        m_context.tree.Timer2().stop();
        return;
    }
    QTreeWidgetItem* node = folderNodeAt(m_view, m_context.treeState.DragPos);
    if (node == nullptr) {
        return;
    }
    if (!node->isExpanded()) {
        // Opened as a click opens it, subfolders one level ahead included; the drag goes on.
        m_context.treeState.DragActive = false;
        node->setExpanded(true);
        m_context.treeState.DragActive = true;
    }
    m_view.scrollToItem(node);
}

void TreeDragDrop::endDrag() {
    TreeState& state = m_context.treeState;
    state.DragActive = false;
    state.DragEndRequest = true;
    m_context.tree.Timer2().stop();
    m_view.setDropHighlight(nullptr);
}

void TreeDragDrop::DragDrop(const QString& nodeKey, int kind, const QStringList& paths) {
    try {
        // The node it fell on, if it is still there (a folder another program took away has
        // gone from the tree meanwhile).
        QTreeWidgetItem* node = m_context.tree.Node(nodeKey);
        if (node == nullptr || FolderTree::IsPlaceholder(node) || paths.isEmpty()) {
            endDrag();
            return;
        }
        const QString dropKey = FolderTree::NodeKey(node);
        // The tree's own handlers act normally from here on: a drop may read the tree again.
        m_context.treeState.DragActive = false;
        m_context.tree.Timer2().stop();
        switch (static_cast<DropKind>(kind)) {
            case DropKind::TreeFolder:
                dropTreeFolder(dropKey, paths.first());
                break;
            case DropKind::ListRows:
                dropListRows(dropKey, paths);
                break;
            case DropKind::OutsideItems:
                endDrag();
                dropFromOutside(paths);
                return;
            case DropKind::None:
                break;
        }
    } catch (const std::exception& e) {
        ErrMsgDsp(m_context.dialogs, e);
    }
    endDrag();
}

void TreeDragDrop::dropTreeFolder(const QString& dropKey, const QString& source) {
    FolderTree& tree = m_context.tree;
    // Onto itself, onto the folder it is in, or onto a node that is gone: nothing to move.
    if (dropKey == source || dropKey == m_context.treeState.DragNodeKey ||
        dropKey == GetParentFolder(source) || tree.Node(dropKey) == nullptr) {
        return;
    }
    m_treeCommands.moveFolder(source, dropKey);
}

void TreeDragDrop::dropListRows(const QString& dropKey, const QStringList& keys) {
    FileList& list = m_context.list;
    if (list.rowCount() == 0) {
        return;
    }
    const QString lastKey = keys.last();
    if (dropKey == GetParentFolder(lastKey)) {
        return;  // onto the folder they are in
    }
    bool folderAmong = false;
    for (const QString& key : keys) {
        folderAmong = folderAmong || list.model().isFolderRow(list.rowOfKey(key));
    }
    {
        UndoStep step(m_context.history, fileops_msg::undoMove());
        m_context.operations.ShellMoveFiles(makePathList(keys), dropKey, true);
    }
    if (!file_transfer::exists(lastKey)) {
        list.removeRowsOfKeys(m_context.operations.lastGone());
        if (folderAmong && m_context.refreshList) {
            m_context.refreshList();
        } else {
            file_commands::repaint(m_context);
        }
    }
    list.whenListed([&list] {
        if (list.rowCount() > 0) {
            list.selectRow(0);
            list.view().setFocus();
        }
    });
}

void TreeDragDrop::dropFromOutside(const QStringList& paths) {
    // One item of another program dropped on the list: its folder is shown (a file's with its
    // row selected).
    if (paths.size() == 1 && m_context.showItem) {
        m_context.showItem(paths.first());
    }
}
