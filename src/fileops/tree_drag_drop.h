#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>

struct FileCommandContext;
class TreeCommands;
class TreeView1;

// Drag and drop onto the folder tree: a folder of the tree dropped on a node moves into that
// node's folder; rows of the file list dropped on a node move their items there; one item from
// another program dropped on the tree or the list shows its folder. While a drag is over the
// tree, the node under the cursor is highlighted, and a node with subfolders opens when the
// cursor rests on it for a second (Timer2).
class TreeDragDrop : public QObject {
    Q_OBJECT
public:
    TreeDragDrop(FileCommandContext& context, TreeView1& view, TreeCommands& treeCommands,
                 QObject* parent = nullptr);

    void DragOver(const QPoint& pos);
    void Timer2_Timer();
    // nodeKey: the node dropped on; kind is a DropKind; paths are what the drag carries.
    void DragDrop(const QString& nodeKey, int kind, const QStringList& paths);
    // Items of another program dropped on the tree or the list: one folder is gone to, one file
    // has its folder shown with its row selected; several items do nothing.
    void dropFromOutside(const QStringList& paths);
    // Ends a drag on every way out: no drag, no highlight, no hover timer.
    void endDrag();

private:
    void dropTreeFolder(const QString& dropKey, const QString& source);
    void dropListRows(const QString& dropKey, const QStringList& keys);

    FileCommandContext& m_context;
    TreeView1& m_view;
    TreeCommands& m_treeCommands;
};
