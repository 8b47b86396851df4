#include "app/form1_parts.h"

#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "browser/tree_view1.h"

QWidget* Form1Parts::TreeView1() const {
    return m_form.m_treeView;
}
QWidget* Form1Parts::ListView1() const {
    return m_form.m_listView;
}
QTimer& Form1Parts::Timer2() const {
    return m_form.m_tree->Timer2();
}
