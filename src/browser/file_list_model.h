#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QPixmap>
#include <QStringList>
#include <QStringView>
#include <vector>

#include "browser/file_row.h"
#include "browser/row_key_index.h"

class ImageList;

// Text order of the list's sort: case-insensitive, character by character.
int compareListText(QStringView a, QStringView b);

// The rows of the file list ListView1 as a table of five columns (name, extension, size, date,
// type) with a key -> row index. It holds plain row records and makes the size and date texts
// only when asked, so a folder of 100,000 files stays quick and small. The sort mark lives in
// the column titles, as the list has always shown it.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn = 0, ExtColumn, SizeColumn, DateColumn, TypeColumn, ColumnCount };
    enum Role {
        KeyRole = Qt::UserRole + 1,  // QString: the row's key (full path)
        FolderRole,                  // bool: a folder row
        BytesRole,                   // qint64: the size in bytes
        TimeRole,                    // qint64: last write, seconds since the epoch
        IconKeyRole,                 // QString: the image key of the small icon
        HeardRole,                   // int: how far the file was played (see FileRow::heard)
    };

    explicit FileListModel(const ImageList* images = nullptr, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Replaces every row, in the order given. The keys must be unique (as a listing's are).
    void setRows(std::vector<FileRow> rows);
    void clear() { setRows({}); }
    int count() const { return static_cast<int>(m_rows.size()); }
    const FileRow& row(int r) const { return m_rows[static_cast<size_t>(r)]; }
    // The row of a key, or -1.
    int rowOfKey(const QString& key) const;

    // Appends a row; false (and nothing added) when its key is taken.
    bool addRow(FileRow row);
    bool removeRowAt(int r);
    bool removeKey(const QString& key) { return removeRowAt(rowOfKey(key)); }
    // Removes the rows of these keys at once (keys without a row are passed over); returns how
    // many went. Many rows scattered over the list go in one pass, at the price of the view's
    // selection, which the caller sets again.
    int removeKeys(const QStringList& keys);
    // Brings the rows in line with a fresh reading of their folder: rows no longer there go,
    // new ones are added at the end (unsorted), and the size and date of the others follow; the
    // marks a row carries (colour, bold, tip, picture) stay. Returns how many rows were added.
    int mergeRows(std::vector<FileRow> fresh);

    void setText(int r, const QString& text);
    // False when another row has that key.
    bool setKey(int r, const QString& key);
    void setIconKey(int r, const QString& iconKey);
    void setForeColor(int r, QRgb color);
    void setBold(int r, bool bold);
    void setToolTip(int r, const QString& toolTip);
    void setHeard(int r, std::uint8_t heard);
    // Every row's heard figure: its name's in byName, else 0.
    void setHeardOfNames(const QHash<QString, std::uint8_t>& byName);

    // Icon view: the thumbnail a row shows instead of its type icon, from the file as it was at
    // mtime; it shows while the row keeps the icon it had when the thumbnail came (a mark of the
    // play list shows over it). Kept by key until taken away or cleared.
    void setPicture(const QString& key, const QPixmap& picture, std::int64_t mtime);
    void removePicture(const QString& key);
    void clearPictures();
    bool hasPicture(const QString& key) const { return m_pictures.contains(key); }

    // A folder row: listed as a folder, or showing a folder's size text.
    bool isFolderRow(int r) const;
    // The text a column shows (column 0-4).
    QString columnText(int r, int column) const;

    // Sorts by a column (1-5) in an order (0 ascending, 1 descending), in two passes as the list
    // always has: name or date first by that column and then by type; any other column first by
    // name and then by that column. Equal rows keep their order. Selections follow their rows.
    void sortRows(int column, int order);
    // The same sort on rows not yet shown (it needs no model: a listing's thread runs it); with
    // natural, names in their natural order (as setNaturalOrder), the rows' keys made first.
    static void sortFileRows(std::vector<FileRow>& rows, int column, int order,
                             bool natural = false);
    // Names in their natural order (numbers by value, Japanese collation, see name_order.h)
    // from the next sort on; else in the plain text order of compareListText.
    void setNaturalOrder(bool on) { m_naturalOrder = on; }
    bool naturalOrder() const { return m_naturalOrder; }
    // Shows rows already sorted by that column and order, with their keys' rows when the caller
    // has them (else the index is built at the first look-up by key).
    void setSortedRows(std::vector<FileRow> rows, int column, int order, RowKeyIndex index = {});
    // setSortedRows that hands back the rows it replaces (to be freed off the window's thread).
    std::vector<FileRow> replaceSortedRows(std::vector<FileRow> rows, int column, int order,
                                           RowKeyIndex index = {});
    // The rows of these keys (-1 for a key without one), in one pass over the rows when the key
    // index is not built: a look-up that must not build it.
    std::vector<int> rowsOfKeys(const QStringList& keys) const;
    int sortOrder() const { return m_sortOrder; }
    int sortColumn() const { return m_sortColumn; }

    // Moves the sort mark ("▲ " or "▼ ") to the title of a column (1-5).
    void setSortMark(int column, int order);
    QString columnTitle(int section) const { return m_titles.value(section); }

private:
    void markIndexDirty() { m_indexDirty = true; }
    void rebuildIndex() const;
    QModelIndex cell(int r, int column) const { return index(r, column); }
    void rowChanged(int r);

    struct Picture {
        QPixmap pixmap;
        QString iconKey;  // the row's icon when it came
        std::int64_t mtime = 0;
    };
    void pictureChanged(const QString& key);

    const ImageList* m_images;
    std::vector<FileRow> m_rows;
    QHash<QString, Picture> m_pictures;
    QStringList m_titles;
    int m_sortColumn = 1;
    int m_sortOrder = 0;
    bool m_naturalOrder = false;
    mutable RowKeyIndex m_index;
    mutable bool m_indexDirty = false;
};
