#include "browser/tree_view1.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

#include "browser/drop_data.h"

namespace {

// Folders of the tree, rows of the list, and one item from another program (whose folder is
// then shown); several items from elsewhere are refused.
bool takesDrop(const QMimeData* data) {
    const DropKind kind = dropKindOf(data);
    return kind == DropKind::TreeFolder || kind == DropKind::ListRows ||
           (kind == DropKind::OutsideItems && droppedPaths(data).size() == 1);
}

}  // namespace

TreeView1::TreeView1(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    header()->hide();
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);  // children are inserted in order by FolderTree
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_iconSize = iconSize();  // invalid: the style's small icon size
    // Folders are dragged from here and dropped here; the drop itself is the folder commands'.
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
    setAutoExpandDelay(-1);  // a hovered node opens after its own second (Timer2)
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node) {
        if (node->flags() & Qt::ItemIsEnabled) {
            emit nodeClicked(node);
        }
    });
}

void TreeView1::setLinesVisible(bool visible) {
    m_lines = visible;
    viewport()->update();
}

void TreeView1::setIconsVisible(bool visible) {
    m_icons = visible;
    setIconSize(visible ? m_iconSize : QSize(0, 0));
}

void TreeView1::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        // The context menu acts on the selected folder, so a right click must not move it.
        emit rightButtonPressed(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    emit leftButtonPressed(event->position().toPoint());
    QTreeWidget::mousePressEvent(event);
}

void TreeView1::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    // The base class reports a node click (itemClicked) when press and release met the same
    // node, and none for an expand button; the tree's own click comes after it.
    QTreeWidget::mouseReleaseEvent(event);
    emit treeClicked();
}

void TreeView1::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
    emit treeDoubleClicked();
}

void TreeView1::keyPressEvent(QKeyEvent* event) {
    // A node reached with the keys is clicked, as if by the mouse.
    QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    QTreeWidgetItem* after = currentItem();
    if (after != nullptr && after != before) {
        emit nodeClicked(after);
    }
}

void TreeView1::focusInEvent(QFocusEvent* event) {
    QTreeWidget::focusInEvent(event);
    emit focusEntered();
}

void TreeView1::setDropHighlight(QTreeWidgetItem* node) {
    const QPersistentModelIndex index(node ? indexFromItem(node) : QModelIndex());
    if (index == m_dropHighlight) {
        return;
    }
    m_dropHighlight = index;
    viewport()->update();
}

QTreeWidgetItem* TreeView1::dropHighlight() const {
    return m_dropHighlight.isValid() ? itemFromIndex(m_dropHighlight) : nullptr;
}

void TreeView1::startDrag(Qt::DropActions) {
    emit dragRequested();
}

void TreeView1::dragEnterEvent(QDragEnterEvent* event) {
    if (takesDrop(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void TreeView1::dragMoveEvent(QDragMoveEvent* event) {
    if (!takesDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    // The base class scrolls the tree near its edges; whether the drop is taken is ours.
    QTreeWidget::dragMoveEvent(event);
    event->acceptProposedAction();
    emit dragMovedOver(event->position().toPoint());
}

void TreeView1::dragLeaveEvent(QDragLeaveEvent* event) {
    QTreeWidget::dragLeaveEvent(event);
    emit dragLeft();
}

void TreeView1::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!takesDrop(data)) {
        event->ignore();
        return;
    }
    event->setDropAction(dropKindOf(data) == DropKind::OutsideItems ? Qt::CopyAction
                                                                    : Qt::MoveAction);
    event->accept();
    const QTreeWidgetItem* node = dropHighlight();
    if (node == nullptr) {
        node = itemAt(event->position().toPoint());
    }
    // The node's key is its data in the first column's user role.
    emit droppedOn(node ? node->data(0, Qt::UserRole).toString() : QString(),
                   static_cast<int>(dropKindOf(data)), droppedPaths(data));
}

void TreeView1::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const {
    if (m_dropHighlight.isValid() && index == m_dropHighlight) {
        QStyleOptionViewItem highlighted = option;
        highlighted.state |= QStyle::State_Selected;
        QTreeWidget::drawRow(painter, highlighted, index);
        return;
    }
    QTreeWidget::drawRow(painter, option, index);
}

void TreeView1::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const {
    if (m_lines) {
        // Dotted lines: for every ancestor level a vertical line when more siblings follow below,
        // and at the node's own level an elbow from the line to the node.
        const int indent = indentation();
        painter->save();
        QPen pen(palette().color(QPalette::Mid));
        pen.setStyle(Qt::DotLine);
        painter->setPen(pen);
        const int midY = rect.top() + rect.height() / 2;
        int x = rect.right() - indent + 1;
        QModelIndex level = index;
        bool own = true;
        while (level.isValid()) {
            const QModelIndex parent = level.parent();
            if (!parent.isValid() && !rootIsDecorated()) {
                break;
            }
            const bool moreBelow = level.row() + 1 < model()->rowCount(parent);
            const int midX = x + indent / 2;
            if (own) {
                const bool hasParent = parent.isValid();
                const int top = hasParent || level.row() > 0 ? rect.top() : midY;
                painter->drawLine(midX, top, midX, moreBelow ? rect.bottom() : midY);
                painter->drawLine(midX, midY, x + indent - 1, midY);
                own = false;
            } else if (moreBelow) {
                painter->drawLine(midX, rect.top(), midX, rect.bottom());
            }
            level = parent;
            x -= indent;
        }
        painter->restore();
    }
    QTreeWidget::drawBranches(painter, rect, index);
}
