#include "app/form1_parts.h"

#include "app/window_options.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "browser/tree_view1.h"
#include "fileops/file_commands.h"

QWidget* Form1Parts::TreeView1() const {
    return m_form.m_treeView;
}
QWidget* Form1Parts::ListView1() const {
    return m_form.m_listView;
}
QTimer& Form1Parts::Timer2() const {
    return m_form.m_tree->Timer2();
}
ListCommands& Form1Parts::listCommands() const {
    return fileCommands().list();
}
TreeCommands& Form1Parts::treeCommands() const {
    return fileCommands().tree();
}
TreeDragDrop& Form1Parts::dragDrop() const {
    return fileCommands().dragDrop();
}
UndoCommand& Form1Parts::undoCommand() const {
    return fileCommands().undo();
}
ArchiveCommands& Form1Parts::archiveCommands() const {
    return fileCommands().archives();
}
Form2* Form1Parts::optionsDialog() const {
    return options().optionsDialog();
}
