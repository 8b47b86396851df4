#include "browser/file_list_model.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QIcon>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <thread>
#include <utility>

#include "browser/file_name_codec.h"
#include "browser/image_list.h"
#include "browser/messages.h"
#include "browser/name_order.h"
#include "browser/path_utils.h"

int compareListText(QStringView a, QStringView b) {
    if (a.data() == b.data() && a.size() == b.size()) {
        return 0;
    }
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t* pa = a.utf16();
    const char16_t* pb = b.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        char16_t ca = pa[i];
        char16_t cb = pb[i];
        if (ca == cb) {
            continue;
        }
        if (ca < 0x80 && cb < 0x80) {
            if (ca >= u'A' && ca <= u'Z') {
                ca = char16_t(ca + 32);
            }
            if (cb >= u'A' && cb <= u'Z') {
                cb = char16_t(cb + 32);
            }
        } else {
            ca = QChar::toCaseFolded(ca);
            cb = QChar::toCaseFolded(cb);
        }
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

namespace {

bool isFolder(const FileRow& row) {
    return row.folder || row.sizeText == QStringView(browser_msg::kFolderSize) ||
           row.sizeText == QStringView(browser_msg::kFolderSizeAdded);
}

char16_t foldForSort(char16_t c) {
    if (c < 0x80) {
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    }
    return QChar::toCaseFolded(c);
}

// One row as the sort sees it: its two keys side by side in one small record, so that most
// comparisons never leave the array. A text key of few distinct values (extension, type) is a
// rank; the name keeps its first twelve folded characters (in the natural order, the first 24
// bytes of its key) and is compared further only when those are equal.
struct SortEntry {
    std::uint64_t primary = 0;
    std::uint64_t secondary = 0;
    std::uint64_t namePrefix[3] = {0, 0, 0};
    const char16_t* name = nullptr;
    const char* nameKey = nullptr;  // natural order: the name's key, else null
    std::uint32_t nameSize = 0;
    std::uint32_t keySize = 0;
    std::uint32_t row = 0;  // position before the sort: equal rows keep their order
};

constexpr int kPrefixChars = 12;
constexpr int kPrefixKeyBytes = 24;

void setNamePrefix(SortEntry& entry, const QString& name) {
    entry.name = reinterpret_cast<const char16_t*>(name.utf16());
    entry.nameSize = static_cast<std::uint32_t>(name.size());
    const qsizetype n = std::min<qsizetype>(name.size(), kPrefixChars);
    for (qsizetype i = 0; i < n; ++i) {
        const std::uint64_t c = foldForSort(entry.name[i]);
        entry.namePrefix[i / 4] |= c << (16 * (3 - i % 4));
    }
}

// The natural order: the key's first bytes, big end first, so that the numbers compare as the
// bytes do.
void setNameKeyPrefix(SortEntry& entry, const FileRow& row) {
    entry.name = reinterpret_cast<const char16_t*>(row.text.utf16());
    entry.nameSize = static_cast<std::uint32_t>(row.text.size());
    entry.nameKey = row.nameKey.constData();
    entry.keySize = static_cast<std::uint32_t>(row.nameKey.size());
    const qsizetype n = std::min<qsizetype>(row.nameKey.size(), kPrefixKeyBytes);
    for (qsizetype i = 0; i < n; ++i) {
        const std::uint64_t byte = static_cast<std::uint8_t>(entry.nameKey[i]);
        entry.namePrefix[i / 8] |= byte << (8 * (7 - i % 8));
    }
}

int comparePrefixes(const SortEntry& a, const SortEntry& b) {
    for (int i = 0; i < 3; ++i) {
        if (a.namePrefix[i] != b.namePrefix[i]) {
            return a.namePrefix[i] < b.namePrefix[i] ? -1 : 1;
        }
    }
    return 0;
}

int compareNames(const SortEntry& a, const SortEntry& b) {
    if (const int c = comparePrefixes(a, b); c != 0) {
        return c;
    }
    if (a.nameSize <= kPrefixChars && b.nameSize <= kPrefixChars) {
        return 0;  // equal prefixes of whole names: equal names
    }
    // The first kPrefixChars characters of both names are there and fold alike.
    return compareListText(QStringView(a.name + kPrefixChars, a.nameSize - kPrefixChars),
                           QStringView(b.name + kPrefixChars, b.nameSize - kPrefixChars));
}

int compareNaturalKeys(const SortEntry& a, const SortEntry& b) {
    if (const int c = comparePrefixes(a, b); c != 0) {
        return c;
    }
    if (a.keySize > kPrefixKeyBytes || b.keySize > kPrefixKeyBytes) {
        const std::uint32_t restA = a.keySize > kPrefixKeyBytes ? a.keySize - kPrefixKeyBytes : 0;
        const std::uint32_t restB = b.keySize > kPrefixKeyBytes ? b.keySize - kPrefixKeyBytes : 0;
        const int c = std::memcmp(a.nameKey + kPrefixKeyBytes, b.nameKey + kPrefixKeyBytes,
                                  std::min(restA, restB));
        if (c != 0 || restA != restB) {
            return c != 0 ? c : (restA < restB ? -1 : 1);
        }
    }
    // Names that differ only in case or width: the plain text order, so that they never tie.
    return compareListText(QStringView(a.name, a.nameSize), QStringView(b.name, b.nameSize));
}

int compareNumbers(std::uint64_t a, std::uint64_t b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

// Ranks of a text column: rows that share a string share its rank without comparing it again.
std::vector<std::uint64_t> textRanks(const std::vector<FileRow>& rows, QString FileRow::*field) {
    QHash<std::pair<const void*, qsizetype>, int> distinctOf;
    std::vector<const QString*> distinct;
    std::vector<int> rowDistinct(rows.size());
    std::pair<const void*, qsizetype> lastKey{nullptr, -1};
    int lastDistinct = -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        const QString& text = rows[i].*field;
        const auto key = std::make_pair(static_cast<const void*>(text.constData()), text.size());
        if (key != lastKey) {
            auto it = distinctOf.constFind(key);
            if (it == distinctOf.cend()) {
                it = distinctOf.insert(key, static_cast<int>(distinct.size()));
                distinct.push_back(&text);
            }
            lastKey = key;
            lastDistinct = *it;
        }
        rowDistinct[i] = lastDistinct;
    }
    std::vector<int> order(distinct.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return compareListText(*distinct[size_t(a)], *distinct[size_t(b)]) < 0;
    });
    std::vector<std::uint64_t> rankOfDistinct(distinct.size());
    std::uint64_t rank = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 &&
            compareListText(*distinct[size_t(order[i - 1])], *distinct[size_t(order[i])]) != 0) {
            ++rank;
        }
        rankOfDistinct[size_t(order[i])] = rank;
    }
    std::vector<std::uint64_t> ranks(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        ranks[i] = rankOfDistinct[size_t(rowDistinct[i])];
    }
    return ranks;
}

// The numeric sort key of a column that is not the name.
std::vector<std::uint64_t> columnKeys(const std::vector<FileRow>& rows, int column) {
    switch (column) {
        case FileListModel::ExtColumn:
            return textRanks(rows, &FileRow::ext);
        case FileListModel::TypeColumn:
            return textRanks(rows, &FileRow::type);
        default:
            break;
    }
    std::vector<std::uint64_t> keys(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const FileRow& row = rows[i];
        if (column == FileListModel::SizeColumn) {
            // By the byte count: size texts in mixed units do not sort as text ("980 KB" would
            // follow "1.50 MB"). Folders come after files, where their text put them.
            keys[i] = isFolder(row)
                          ? UINT64_MAX
                          : static_cast<std::uint64_t>(std::max<std::int64_t>(row.bytes, 0));
        } else {
            keys[i] = static_cast<std::uint64_t>(row.time) ^ (std::uint64_t(1) << 63);
        }
    }
    return keys;
}

}  // namespace

FileListModel::FileListModel(const ImageList* images, QObject* parent)
    : QAbstractTableModel(parent), m_images(images) {
    for (const char16_t* title : browser_msg::kListColumnTitles) {
        m_titles << QString::fromUtf16(title);
    }
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString FileListModel::columnText(int r, int column) const {
    const FileRow& row = m_rows[static_cast<size_t>(r)];
    switch (column) {
        case NameColumn:
            return row.text;
        case ExtColumn:
            return row.ext;
        case SizeColumn:
            if (!row.sizeText.isNull()) {
                return row.sizeText;
            }
            return row.folder ? QString::fromUtf16(browser_msg::kFolderSize)
                              : SizeText(QString::number(row.bytes));
        case DateColumn:
            return FileTimeText(row.time);
        case TypeColumn:
            return row.type;
        default:
            return {};
    }
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count() || index.column() >= ColumnCount) {
        return {};
    }
    const FileRow& row = m_rows[static_cast<size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return index.column() == NameColumn ? displayFileName(row.text)
                                                : columnText(index.row(), index.column());
        case Qt::EditRole:
            return columnText(index.row(), index.column());
        case Qt::DecorationRole:
            if (index.column() == NameColumn && !m_pictures.isEmpty()) {
                const auto picture = m_pictures.constFind(row.key);
                if (picture != m_pictures.cend() && picture->iconKey == row.iconKey) {
                    return picture->pixmap;
                }
            }
            if (index.column() == NameColumn && m_images && !row.iconKey.isEmpty()) {
                return m_images->icon(row.iconKey);
            }
            return {};
        case Qt::TextAlignmentRole:
            return index.column() == ExtColumn || index.column() == SizeColumn
                       ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                       : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::ForegroundRole:
            return QBrush(QColor::fromRgb(row.foreColor));
        case Qt::FontRole:
            if (row.bold) {
                QFont font;
                font.setBold(true);
                return font;
            }
            return {};
        case Qt::ToolTipRole:
            return row.toolTip.isEmpty() ? QVariant() : QVariant(row.toolTip);
        case KeyRole:
            return row.key;
        case FolderRole:
            return isFolder(row);
        case BytesRole:
            return qint64(row.bytes);
        case TimeRole:
            return qint64(row.time);
        case IconKeyRole:
            return row.iconKey;
        case HeardRole:
            return int(row.heard);
        default:
            return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        return m_titles.value(section);
    }
    if (role == Qt::TextAlignmentRole) {
        return section == ExtColumn || section == SizeColumn
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags f =
        Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren | Qt::ItemIsDragEnabled;
    if (index.column() == NameColumn) {
        f |= Qt::ItemIsEditable;  // the view edits a label only when asked to
    }
    return f;
}

bool FileListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != NameColumn || role != Qt::EditRole) {
        return false;
    }
    setText(index.row(), value.toString());
    return true;
}

void FileListModel::setRows(std::vector<FileRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    m_index = {};
    // The key index is built when a key is first looked up: a listing need not wait for it.
    m_indexDirty = true;
    endResetModel();
}

void FileListModel::rebuildIndex() const {
    m_index = RowKeyIndex::of(m_rows);
    m_indexDirty = false;
}

int FileListModel::rowOfKey(const QString& key) const {
    if (m_indexDirty) {
        rebuildIndex();
    }
    return m_index.find(key, m_rows);
}

bool FileListModel::addRow(FileRow row) {
    if (rowOfKey(row.key) >= 0) {
        return false;
    }
    const int r = count();
    beginInsertRows({}, r, r);
    m_rows.push_back(std::move(row));
    m_index.insert(r, m_rows);
    endInsertRows();
    return true;
}

bool FileListModel::removeRowAt(int r) {
    if (r < 0 || r >= count()) {
        return false;
    }
    beginRemoveRows({}, r, r);
    m_rows.erase(m_rows.begin() + r);
    markIndexDirty();
    endRemoveRows();
    return true;
}

int FileListModel::removeKeys(const QStringList& keys) {
    std::vector<int> rows;
    rows.reserve(static_cast<size_t>(keys.size()));
    for (const QString& key : keys) {
        if (const int r = rowOfKey(key); r >= 0) {
            rows.push_back(r);
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.empty()) {
        return 0;
    }
    // Contiguous runs, last first, so the earlier row numbers stay valid.
    std::vector<std::pair<int, int>> runs;
    for (const int r : rows) {
        if (!runs.empty() && runs.back().second + 1 == r) {
            runs.back().second = r;
        } else {
            runs.emplace_back(r, r);
        }
    }
    constexpr size_t kRunsRemovedOneByOne = 16;
    if (runs.size() <= kRunsRemovedOneByOne) {
        for (auto it = runs.crbegin(); it != runs.crend(); ++it) {
            beginRemoveRows({}, it->first, it->second);
            m_rows.erase(m_rows.begin() + it->first, m_rows.begin() + it->second + 1);
            markIndexDirty();
            endRemoveRows();
        }
        return static_cast<int>(rows.size());
    }
    beginResetModel();
    std::vector<bool> gone(m_rows.size(), false);
    for (const int r : rows) {
        gone[static_cast<size_t>(r)] = true;
    }
    size_t kept = 0;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (!gone[i]) {
            if (kept != i) {
                m_rows[kept] = std::move(m_rows[i]);
            }
            ++kept;
        }
    }
    m_rows.resize(kept);
    markIndexDirty();
    endResetModel();
    return static_cast<int>(rows.size());
}

void FileListModel::rowChanged(int r) {
    emit dataChanged(cell(r, 0), cell(r, ColumnCount - 1));
}

void FileListModel::setText(int r, const QString& text) {
    if (r < 0 || r >= count()) {
        return;
    }
    m_rows[static_cast<size_t>(r)].text = text;
    m_rows[static_cast<size_t>(r)].nameKey = QByteArray();
    rowChanged(r);
}

bool FileListModel::setKey(int r, const QString& key) {
    if (r < 0 || r >= count()) {
        return false;
    }
    const int other = rowOfKey(key);
    if (other >= 0) {
        return other == r;
    }
    FileRow& row = m_rows[static_cast<size_t>(r)];
    row.key = key;
    markIndexDirty();
    rowChanged(r);
    return true;
}

void FileListModel::setIconKey(int r, const QString& iconKey) {
    if (r >= 0 && r < count()) {
        m_rows[static_cast<size_t>(r)].iconKey = iconKey;
        emit dataChanged(cell(r, NameColumn), cell(r, NameColumn), {Qt::DecorationRole});
    }
}

void FileListModel::setForeColor(int r, QRgb color) {
    if (r >= 0 && r < count()) {
        m_rows[static_cast<size_t>(r)].foreColor = color;
        rowChanged(r);
    }
}

void FileListModel::setBold(int r, bool bold) {
    if (r >= 0 && r < count()) {
        m_rows[static_cast<size_t>(r)].bold = bold;
        rowChanged(r);
    }
}

void FileListModel::setToolTip(int r, const QString& toolTip) {
    if (r >= 0 && r < count()) {
        m_rows[static_cast<size_t>(r)].toolTip = toolTip;
        rowChanged(r);
    }
}

void FileListModel::setHeard(int r, std::uint8_t heard) {
    if (r >= 0 && r < count() && m_rows[static_cast<size_t>(r)].heard != heard) {
        m_rows[static_cast<size_t>(r)].heard = heard;
        emit dataChanged(cell(r, NameColumn), cell(r, NameColumn), {HeardRole});
    }
}

void FileListModel::setHeardOfNames(const QHash<QString, std::uint8_t>& byName) {
    bool changed = false;
    for (FileRow& row : m_rows) {
        const std::uint8_t heard = byName.value(row.text, 0);
        changed = changed || row.heard != heard;
        row.heard = heard;
    }
    if (changed && count() > 0) {
        emit dataChanged(cell(0, NameColumn), cell(count() - 1, NameColumn), {HeardRole});
    }
}

void FileListModel::setPicture(const QString& key, const QPixmap& picture, std::int64_t mtime) {
    const int r = rowOfKey(key);
    if (r < 0) {
        return;
    }
    m_pictures.insert(key, {picture, m_rows[static_cast<size_t>(r)].iconKey, mtime});
    pictureChanged(key);
}

void FileListModel::removePicture(const QString& key) {
    if (m_pictures.remove(key)) {
        pictureChanged(key);
    }
}

void FileListModel::clearPictures() {
    if (m_pictures.isEmpty()) {
        return;
    }
    m_pictures.clear();
    if (count() > 0) {
        emit dataChanged(cell(0, NameColumn), cell(count() - 1, NameColumn), {Qt::DecorationRole});
    }
}

void FileListModel::pictureChanged(const QString& key) {
    const int r = rowOfKey(key);
    if (r >= 0) {
        emit dataChanged(cell(r, NameColumn), cell(r, NameColumn), {Qt::DecorationRole});
    }
}

bool FileListModel::isFolderRow(int r) const {
    return r >= 0 && r < count() && isFolder(m_rows[static_cast<size_t>(r)]);
}

namespace {

// The rows' places before the sort, in sorted order: a stable sort by the column (1-5) in the
// order (0 ascending, 1 descending), the name deciding between equal keys. natural: names in
// their natural order, by the keys the rows carry (see fillNameKeys).
std::vector<std::uint32_t> sortedOrder(const std::vector<FileRow>& rows, int column, int order,
                                       bool natural) {
    const size_t n = rows.size();
    // Two stable passes are one stable sort on (second pass, first pass).
    int firstKey = FileListModel::NameColumn;
    int secondKey = column - 1;
    if (column == 1 || column == 4) {
        firstKey = column - 1;
        secondKey = FileListModel::TypeColumn;
    }
    std::vector<SortEntry> entries(n);
    const std::vector<std::uint64_t> primary = columnKeys(rows, secondKey);
    std::vector<std::uint64_t> secondary;
    if (firstKey != FileListModel::NameColumn) {
        secondary = columnKeys(rows, firstKey);
    }
    for (size_t i = 0; i < n; ++i) {
        SortEntry& e = entries[i];
        e.row = static_cast<std::uint32_t>(i);
        e.primary = primary[i];
        if (firstKey != FileListModel::NameColumn) {
            e.secondary = secondary[i];
        } else if (natural) {
            setNameKeyPrefix(e, rows[i]);
        } else {
            setNamePrefix(e, rows[i].text);
        }
    }
    const bool byName = firstKey == FileListModel::NameColumn;
    const int sign = order == 0 ? 1 : -1;
    const auto less = [&](const SortEntry& a, const SortEntry& b) {
        int c = compareNumbers(a.primary, b.primary);
        if (c == 0 && byName) {
            c = natural ? compareNaturalKeys(a, b) : compareNames(a, b);
        } else if (c == 0) {
            c = compareNumbers(a.secondary, b.secondary);
        }
        if (c != 0) {
            return c * sign < 0;
        }
        return a.row < b.row;
    };
    // A long list is sorted in two halves at once, on this thread and another, then merged.
    constexpr size_t kSortedInHalves = 100000;
    if (n >= kSortedInHalves && std::thread::hardware_concurrency() > 1) {
        const auto middle = entries.begin() + static_cast<std::ptrdiff_t>(n / 2);
        std::thread other([&] { std::sort(middle, entries.end(), less); });
        std::sort(entries.begin(), middle, less);
        other.join();
        std::inplace_merge(entries.begin(), middle, entries.end(), less);
    } else {
        std::sort(entries.begin(), entries.end(), less);
    }
    std::vector<std::uint32_t> from(n);
    for (size_t i = 0; i < n; ++i) {
        from[i] = entries[i].row;
    }
    return from;
}

// Moves the rows in place, cycle by cycle: place i takes the row from from[i].
void permuteRows(std::vector<FileRow>& rows, const std::vector<std::uint32_t>& from) {
    const size_t n = rows.size();
    std::vector<char> placed(n, 0);
    for (size_t start = 0; start < n; ++start) {
        if (placed[start] || from[start] == start) {
            continue;
        }
        FileRow carried = std::move(rows[start]);
        size_t place = start;
        for (;;) {
            placed[place] = 1;
            const size_t next = from[place];
            if (next == start) {
                rows[place] = std::move(carried);
                break;
            }
            rows[place] = std::move(rows[next]);
            place = next;
        }
    }
}

int clampedColumn(int column) {
    return std::clamp(column, 1, static_cast<int>(FileListModel::ColumnCount));
}

// The natural order needs every row's name key, except for the date column, where the name has
// no part.
void prepareNames(std::vector<FileRow>& rows, int column, bool natural) {
    if (natural && column != FileListModel::DateColumn + 1) {
        fillNameKeys(rows);
    }
}

}  // namespace

void FileListModel::sortFileRows(std::vector<FileRow>& rows, int column, int order, bool natural) {
    if (rows.size() >= 2) {
        column = clampedColumn(column);
        prepareNames(rows, column, natural);
        permuteRows(rows, sortedOrder(rows, column, order == 0 ? 0 : 1, natural));
    }
}

void FileListModel::setSortedRows(std::vector<FileRow> rows, int column, int order,
                                  RowKeyIndex index) {
    replaceSortedRows(std::move(rows), column, order, std::move(index));
}

std::vector<FileRow> FileListModel::replaceSortedRows(std::vector<FileRow> rows, int column,
                                                      int order, RowKeyIndex index) {
    m_sortColumn = clampedColumn(column);
    m_sortOrder = order == 0 ? 0 : 1;
    const bool indexed = index.size() == rows.size() && !rows.empty();
    beginResetModel();
    std::vector<FileRow> given = std::exchange(m_rows, std::move(rows));
    m_index = indexed ? std::move(index) : RowKeyIndex();
    m_indexDirty = !indexed;
    endResetModel();
    return given;
}

std::vector<int> FileListModel::rowsOfKeys(const QStringList& keys) const {
    std::vector<int> rows(static_cast<size_t>(keys.size()), -1);
    if (keys.isEmpty()) {
        return rows;
    }
    if (!m_indexDirty) {
        for (qsizetype i = 0; i < keys.size(); ++i) {
            rows[static_cast<size_t>(i)] = m_index.find(keys[i], m_rows);
        }
        return rows;
    }
    QHash<QString, std::vector<size_t>> wanted;  // a key may be asked for more than once
    for (qsizetype i = 0; i < keys.size(); ++i) {
        wanted[keys[i]].push_back(static_cast<size_t>(i));
    }
    qsizetype left = wanted.size();
    for (size_t r = 0; r < m_rows.size() && left > 0; ++r) {
        const auto it = wanted.constFind(m_rows[r].key);
        if (it != wanted.cend()) {
            for (const size_t asked : *it) {
                rows[asked] = static_cast<int>(r);
            }
            --left;
        }
    }
    return rows;
}

void FileListModel::sortRows(int column, int order) {
    column = clampedColumn(column);
    order = order == 0 ? 0 : 1;
    m_sortColumn = column;
    m_sortOrder = order;
    const size_t n = m_rows.size();
    if (n < 2) {
        return;
    }
    prepareNames(m_rows, column, m_naturalOrder);
    const std::vector<std::uint32_t> from = sortedOrder(m_rows, column, order, m_naturalOrder);
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(n);
    for (size_t i = 0; i < n; ++i) {
        newRowOf[from[i]] = static_cast<int>(i);
    }
    permuteRows(m_rows, from);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        after << this->index(newRowOf[static_cast<size_t>(index.row())], index.column());
    }
    changePersistentIndexList(before, after);
    markIndexDirty();
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::setSortMark(int column, int order) {
    for (int i = 0; i < m_titles.size(); ++i) {
        if (m_titles[i].contains(u'▲') || m_titles[i].contains(u'▼')) {
            m_titles[i].remove(0, 2);
            emit headerDataChanged(Qt::Horizontal, i, i);
            break;
        }
    }
    const int section = column - 1;
    if (section >= 0 && section < m_titles.size()) {
        m_titles[section].prepend(QString::fromUtf16(
            order == 0 ? browser_msg::kSortMarkAscending : browser_msg::kSortMarkDescending));
        emit headerDataChanged(Qt::Horizontal, section, section);
    }
}

int FileListModel::mergeRows(std::vector<FileRow> fresh) {
    QSet<QString> freshKeys;
    freshKeys.reserve(static_cast<qsizetype>(fresh.size()));
    for (const FileRow& row : fresh) {
        freshKeys.insert(row.key);
    }
    QStringList gone;
    for (const FileRow& row : m_rows) {
        if (!freshKeys.contains(row.key)) {
            gone << row.key;
        }
    }
    removeKeys(gone);
    int added = 0;
    for (FileRow& row : fresh) {
        const int r = rowOfKey(row.key);
        if (r < 0) {
            added += addRow(std::move(row)) ? 1 : 0;
            continue;
        }
        FileRow& shown = m_rows[static_cast<size_t>(r)];
        if (shown.bytes != row.bytes || shown.time != row.time) {
            shown.bytes = row.bytes;
            shown.time = row.time;
            // A file changed on disk resumes no more; played to its end, it stays played.
            shown.heard = shown.heard >= 100 ? 100 : row.heard;
            rowChanged(r);
        }
    }
    return added;
}
