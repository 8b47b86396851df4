#include "browser/list_play_rows.h"

#include <QFont>
#include <QTreeWidgetItem>

#include "browser/file_list.h"
#include "browser/file_list_view.h"
#include "browser/folder_tree.h"
#include "platform/file_exist.h"

int ListPlayRows::count() const {
    return m_list.rowCount();
}

QString ListPlayRows::pathOf(int row) const {
    return m_list.keyOfRow(row);
}

int ListPlayRows::rowOfPath(const QString& path) const {
    return m_list.rowOfKey(path);
}

QString ListPlayRows::nameOf(int row) const {
    return m_list.model().row(row).text;
}

QString ListPlayRows::extensionOf(int row) const {
    return m_list.model().row(row).ext.toLower();
}

bool ListPlayRows::isFolder(int row) const {
    // Asked of the disk, which may have changed since the listing; a share that does not answer
    // at once leaves the row as it was listed.
    constexpr std::chrono::milliseconds kLongestLook{25};
    return FolderExistWithin(m_list.keyOfRow(row), kLongestLook)
        .value_or(m_list.model().isFolderRow(row));
}

bool ListPlayRows::isListedFolder(int row) const {
    return m_list.model().isFolderRow(row);
}

QString ListPlayRows::sizeTextOf(int row) const {
    return m_list.model().columnText(row, FileListModel::SizeColumn).trimmed();
}

int ListPlayRows::selectedRow() const {
    return m_list.selectedRow();
}

int ListPlayRows::topSelectedRow() const {
    const QList<int> rows = m_list.selectedRows();  // in list order
    return rows.isEmpty() ? -1 : rows.first();
}

int ListPlayRows::focusedRow() const {
    return m_list.view().currentIndex().row();
}

void ListPlayRows::selectRow(int row) {
    m_list.selectRow(row);
}

QString ListPlayRows::iconKeyOf(int row) const {
    return m_list.model().row(row).iconKey;
}

void ListPlayRows::setIconKey(int row, const QString& iconKey) {
    m_list.model().setIconKey(row, iconKey);
}

void ListPlayRows::markRow(int row, QRgb colour) {
    m_list.model().setForeColor(row, colour);
    m_list.model().setBold(row, true);
}

void ListPlayRows::setToolTip(int row, const QString& toolTip) {
    m_list.model().setToolTip(row, toolTip);
}

QString ListPlayRows::folderOnShow() const {
    const QString folder = m_tree.SelectedFolderPath();
    return folder.isEmpty() ? m_list.ListedFolder() : folder;
}

void ListPlayRows::markFolderPlayed(QRgb colour) {
    QTreeWidgetItem* node = m_tree.SelectedNode();
    if (node == nullptr) {
        return;
    }
    QFont font = node->font(0);
    if (!font.bold()) {
        font.setBold(true);
        node->setFont(0, font);
        node->setForeground(0, QColor(colour));
    }
}

void ListPlayRows::whenListed(std::function<void()> then) {
    m_list.whenListed(std::move(then));
}

bool ListPlayRows::listed() const {
    return !m_list.isReading();
}
