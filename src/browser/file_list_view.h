#pragma once

#include <QTreeView>

// ListView1, the file list as the user sees it: a report view of five columns with one row per
// file, several rows selectable, the selection visible when the list has no focus, optional grid
// lines, and no search by typing. It is passive: it shows the model it is given and turns the
// user's clicks into intents for whoever drives it; its command keys are the main window's.
class FileListView : public QTreeView {
    Q_OBJECT
public:
    explicit FileListView(QWidget* parent = nullptr);

    void setGridLines(bool on);
    bool gridLines() const { return m_gridLines; }

    // Starts editing the name of a row; the list never starts editing by itself.
    void editLabel(int row);

    // Sets every column as wide as its widest row text (rows only, not the title); an empty list
    // keeps its widths.
    void fitColumnsToRows();

    // The row at a point of the viewport, or -1.
    int rowAt(const QPoint& viewportPos) const;

    // Typing does not jump to a row.
    void keyboardSearch(const QString&) override {}

signals:
    void gotFocus();
    void columnClicked(int column);  // 1-5
    void doubleClickedAt(const QPoint& viewportPos);
    void contextMenuRequested(const QPoint& globalPos);
    // The selected rows are being dragged: whoever drives the view starts the drag.
    void dragRequested();
    // Items from another program were dropped on the list (local paths, in order).
    void pathsDropped(const QStringList& paths);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void drawHeard(QPainter* painter, const QRect& rowRect, const QModelIndex& index) const;
    void focusInEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool m_gridLines = false;
};
