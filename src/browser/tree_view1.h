#pragma once

#include <QTreeWidget>

// TreeView1: the folder tree control of the main window. A passive view: it shows the nodes the
// folder tree gives it and reports what the user did (node click, click, double-click, focus,
// right-button press); FolderTree decides what follows. Its command keys are the main window's.
//
// A QTreeWidget rather than a QTreeView with a model of our own: the tree only ever holds the
// levels the user has opened plus one level ahead, a few thousand nodes at most, and the node
// record it needs (key, text, images, colour, bold, children) is what QTreeWidgetItem offers.
class TreeView1 : public QTreeWidget {
    Q_OBJECT
public:
    explicit TreeView1(QWidget* parent = nullptr);

    // Dotted lines joining the nodes (on) or only the expand buttons (off).
    void setLinesVisible(bool visible);
    bool linesVisible() const { return m_lines; }
    // Node pictures shown or not.
    void setIconsVisible(bool visible);
    bool iconsVisible() const { return m_icons; }

    // The node a drag is over, drawn as selected while the drag lasts; nullptr clears it.
    void setDropHighlight(QTreeWidgetItem* node);
    QTreeWidgetItem* dropHighlight() const;

    // Typing does not jump to a node: letters are the folder commands' keys.
    void keyboardSearch(const QString&) override {}

signals:
    // A node was clicked with the left button, or became the selected node by a key.
    void nodeClicked(QTreeWidgetItem* node);
    // The left button was released over the tree (after nodeClicked when it was on a node).
    void treeClicked();
    void treeDoubleClicked();
    void focusEntered();
    // The right button went down over the tree; the selection is left as it is.
    void rightButtonPressed(const QPoint& globalPos);
    void leftButtonPressed(const QPoint& pos);
    // A drag began on a node: whoever drives the tree starts it.
    void dragRequested();
    // A drag the tree takes is over a point of the viewport; it left the tree; it was dropped.
    // kind is a DropKind; paths are the local paths the drag carries. A drop names the node it
    // fell on (the drop highlight, else the node under the mouse; empty for none) as it was then:
    // the tree may change before the drop is carried out.
    void dragMovedOver(const QPoint& pos);
    void dragLeft();
    void droppedOn(const QString& nodeKey, int kind, const QStringList& paths);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;

private:
    QPersistentModelIndex m_dropHighlight;
    bool m_lines = true;
    bool m_icons = true;
    QSize m_iconSize;
};
