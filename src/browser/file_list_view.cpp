#include "browser/file_list_view.h"

#include "browser/file_list_model.h"

#include <QDropEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "browser/drop_data.h"

namespace {

// Only a single item from another program means something here: its folder is shown.
bool acceptsDrop(const QMimeData* data) {
    return dropKindOf(data) == DropKind::OutsideItems && droppedPaths(data).size() == 1;
}

}  // namespace

FileListView::FileListView(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setTextElideMode(Qt::ElideRight);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    // Rows are dragged out as files; items of other programs may be dropped in.
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
    connect(header(), &QHeaderView::sectionClicked, this,
            [this](int section) { emit columnClicked(section + 1); });

    // The selection stays visible when the focus is elsewhere (the player, the tree).
    QPalette p = palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText}) {
        p.setColor(QPalette::Inactive, role, p.color(QPalette::Active, role));
    }
    setPalette(p);
}

void FileListView::setGridLines(bool on) {
    if (m_gridLines != on) {
        m_gridLines = on;
        viewport()->update();
    }
}

void FileListView::editLabel(int row) {
    if (model() && row >= 0 && row < model()->rowCount()) {
        const QModelIndex index = model()->index(row, 0);
        setCurrentIndex(index);
        edit(index);
    }
}

void FileListView::fitColumnsToRows() {
    if (model() && model()->rowCount() > 0) {
        // Rows listed without icons get one when they play: the name column keeps room for it.
        const bool iconsToCome = !model()->index(0, 0).data(Qt::DecorationRole).isValid();
        for (int column = 0; column < header()->count(); ++column) {
            int width = sizeHintForColumn(column);
            if (column == 0 && iconsToCome && width > 0) {
                // ... and for its name in bold.
                QFont bold = font();
                bold.setBold(true);
                const QString sample = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789");
                const double widening = double(QFontMetrics(bold).horizontalAdvance(sample)) /
                                        std::max(1, fontMetrics().horizontalAdvance(sample));
                width = static_cast<int>(std::ceil(width * widening)) + 16 + 4;
            }
            if (width > 0) {
                header()->resizeSection(column, width);
            }
        }
    }
    viewport()->update();
}

int FileListView::rowAt(const QPoint& viewportPos) const {
    const QModelIndex index = indexAt(viewportPos);
    return index.isValid() ? index.row() : -1;
}

void FileListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    QTreeView::drawRow(painter, option, index);
    drawHeard(painter, option.rect, index);
    if (!m_gridLines) {
        return;
    }
    painter->save();
    painter->setPen(palette().color(QPalette::Mid));
    const QRect r = option.rect;
    painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    for (int section = 0; section < header()->count(); ++section) {
        const int x = columnViewportPosition(section) + columnWidth(section) - 1;
        painter->drawLine(x, r.top(), x, r.bottom());
    }
    painter->restore();
}

void FileListView::drawHeard(QPainter* painter, const QRect& rowRect,
                             const QModelIndex& index) const {
    // How far the file was played: a bar along the foot of its name, full once it was played to
    // its end. It stands apart from the marks of the run (the row's colour and icon).
    const int heard = index.sibling(index.row(), FileListModel::NameColumn)
                          .data(FileListModel::HeardRole)
                          .toInt();
    if (heard <= 0) {
        return;
    }
    const int left = columnViewportPosition(FileListModel::NameColumn);
    const int width = columnWidth(FileListModel::NameColumn);
    const int thickness = std::max(2, rowRect.height() / 8);
    const QRect bar(left + 2, rowRect.bottom() - thickness,
                    (width - 4) * std::min(heard, 100) / 100, thickness);
    painter->fillRect(bar, heard >= 100 ? QColor(0, 150, 70) : QColor(40, 110, 220));
}

void FileListView::focusInEvent(QFocusEvent* event) {
    QTreeView::focusInEvent(event);
    emit gotFocus();
}

void FileListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit doubleClickedAt(event->position().toPoint());
    }
}

void FileListView::mousePressEvent(QMouseEvent* event) {
    QTreeView::mousePressEvent(event);
    if (event->button() == Qt::RightButton) {
        emit contextMenuRequested(event->globalPosition().toPoint());
    }
}

void FileListView::startDrag(Qt::DropActions) {
    emit dragRequested();
}

void FileListView::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptsDrop(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void FileListView::dragMoveEvent(QDragMoveEvent* event) {
    if (acceptsDrop(event->mimeData())) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void FileListView::dropEvent(QDropEvent* event) {
    if (!acceptsDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    // Nothing is copied or moved: the drop only says where to go.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit pathsDropped(droppedPaths(event->mimeData()));
}
