#include "browser/file_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCursor>
#include <QDrag>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <algorithm>
#include <cerrno>
#include <exception>
#include <thread>

#include "browser/drop_data.h"
#include "browser/file_icon_source.h"
#include "browser/file_list_view.h"
#include "browser/file_lister.h"
#include "browser/file_name_codec.h"
#include "browser/folder_scan.h"
#include "browser/image_list.h"
#include "browser/listing_batches.h"
#include "browser/messages.h"
#include "browser/name_order.h"
#include "platform/background_call.h"
#include "platform/command_table.h"
#include "platform/dialogs.h"
#include "platform/error_box.h"
#include "platform/file_transfer.h"
#include "platform/run_error.h"
#include "settings/module1.h"

namespace {

// The hourglass for as long as it lives.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Keeps the list from drawing while it is filled; shows it again however the filling ends.
class HiddenWhileFilled {
public:
    explicit HiddenWhileFilled(QWidget& list) : m_list(list) { m_list.setUpdatesEnabled(false); }
    ~HiddenWhileFilled() { m_list.setUpdatesEnabled(true); }
    HiddenWhileFilled(const HiddenWhileFilled&) = delete;
    HiddenWhileFilled& operator=(const HiddenWhileFilled&) = delete;

private:
    QWidget& m_list;
};

// Rows given up by the list: a large set is freed on a thread of its own, not the window's.
void freeOffThread(std::vector<FileRow> rows) {
    constexpr size_t kFreedHere = 20000;
    if (rows.size() > kFreedHere) {
        std::thread([gone = std::move(rows)] {}).detach();
    }
}

constexpr std::chrono::milliseconds kBatchEvery{50};
// How long a listing waits for its folder's watch to start: far longer than a start takes on a
// disk that answers, bounded for one that does not (the reading would wait on it anyway).
constexpr std::chrono::milliseconds kLongestWatchStart{1000};
// How long a listing that has read its folder waits for the played marks, asked as it started:
// a store that is slower than that leaves the marks to be put on afterwards.
constexpr std::chrono::milliseconds kLongestMarksWait{250};

void markRows(Listing& listing, ListingMarks* marks) {
    listing.marked =
        marks != nullptr && listing.readable && marks->mark(listing.rows, kLongestMarksWait);
}

}  // namespace

FileList::FileList(Module1& state, Dialogs& dialogs, ImageList& images, FileListView& view,
                   QObject* parent)
    : QObject(parent),
      m_state(state),
      m_dialogs(dialogs),
      m_images(images),
      m_view(view),
      m_model(&images),
      m_iconSource(std::make_unique<MimeIconSource>(images)),
      m_special(SpecialFolderNames::fromSystem()) {
    m_view.setModel(&m_model);
    connect(&m_view, &FileListView::gotFocus, this, &FileList::gotFocus);
    connect(&m_watch, &FolderWatch::changed, this, &FileList::followDisk);
    connect(&m_watch, &FolderWatch::gone, this, &FileList::followDisk);
    m_readingTimer.setSingleShot(false);
    connect(&m_readingTimer, &QTimer::timeout, this, &FileList::readingTick);
    connect(&m_view, &FileListView::columnClicked, this, &FileList::ColumnClick);
    connect(&m_view, &FileListView::doubleClickedAt, this, &FileList::DblClick);
    connect(&m_view, &FileListView::contextMenuRequested, this, &FileList::MouseDownRight);
    connect(&m_view, &FileListView::pathsDropped, this, &FileList::pathsDropped);
    connect(&m_view, &FileListView::dragRequested, this, &FileList::startRowDrag);
}

FileList::~FileList() {
    cancelListing();
    if (m_view.model() == &m_model) {
        m_view.setModel(nullptr);
    }
}

void FileList::setIconSource(std::unique_ptr<FileIconSource> source) {
    m_iconSource = std::move(source);
}

void FileList::CreateColumns() {
    const QFontMetrics metrics = m_view.fontMetrics();
    for (int column = 0; column < FileListModel::ColumnCount; ++column) {
        m_view.header()->resizeSection(column, metrics.horizontalAdvance(QString::fromUtf16(
                                                   browser_msg::kListColumnWidthTexts[column])));
    }
}

void FileList::setStatusText(const QString& text) {
    m_statusText = text;
    emit statusTextChanged(text);
}

FileLister FileList::lister() const {
    ListerOptions options = ListerOptions::from(m_state, m_fileView);
    options.special = m_special;
    return FileLister(std::move(options));
}

std::shared_ptr<ListingMarks> FileList::marksFor(const QString& folder) const {
    return m_marksSource ? m_marksSource(folder) : nullptr;
}

void FileList::ListFolder(const QString& path, bool iconView) {
    cancelListing();
    // Another folder's thumbnails go; the same folder listed again keeps those still current.
    m_thumbnails.setOn(iconView);
    if (path != m_listedFolder) {
        m_thumbnails.folderListed();
    }
    m_listedFolder = path;
    m_listedIcons = iconView ? m_iconSource : nullptr;
    // The folder is watched from before it is read, so that nothing done to it meanwhile is
    // missed: the reading waits for the watch's start (on its own thread), and a change told
    // while it reads is looked at once it is done.
    m_watch.watch(path);
    // A folder read within the deadline shows in one step, as if read here; a longer one shows
    // that it is being read, and its rows in batches as they come. Listing another folder forgets
    // it. The rows are sorted on the reading's thread too, as the list will show them; in icon
    // view the kinds of the files are found there too, and their icons drawn here.
    const int column = m_state.mSortColumn;
    const int order = m_state.mSortOrder;
    // The names' keys for the natural order are made there too, once per row.
    const bool natural = m_state.mNaturalOrder;
    m_model.setNaturalOrder(natural);
    auto batches = std::make_shared<ListingBatches>(m_listDeadline, column, order);
    batches->setNaturalOrder(natural);
    auto reading = BackgroundCall<Listing>::start(
        [lister = lister(), path, batches, column, order, natural, icons = m_listedIcons,
         marks = marksFor(path), watchStart = m_watch.starting(path)] {
            if (watchStart) {
                watchStart->waitFor(kLongestWatchStart);
            }
            Listing listing;
            try {
                listing = lister.list(path, icons.get(), [&batches](const Listing& soFar) {
                    return batches->offer(soFar);
                });
            } catch (...) {
                listing = Listing{};
                listing.failure = std::current_exception();
                return listing;
            }
            markRows(listing, marks.get());
            FileListModel::sortFileRows(listing.rows, column, order, natural);
            listing.keyRows = RowKeyIndex::of(listing.rows);
            listing.sorted = true;
            listing.sortColumn = column;
            listing.sortOrder = order;
            return listing;
        });
    // The window waits a moment, far less than the deadline, so that a quick folder shows at
    // once; beyond that the list keeps its last picture (and takes no input) until the deadline.
    if (reading->waitFor(std::min(m_listDeadline, m_listWait))) {
        showListing(reading->take());
        return;
    }
    m_reading = reading;
    m_batches = batches;
    m_batchShown = false;
    {
        HiddenWhileFilled hidden(m_view);
        m_model.clear();
    }
    m_view.setUpdatesEnabled(false);
    m_readingTimer.start(std::max(m_listDeadline - m_listWait, std::chrono::milliseconds(1)));
    reading->whenDone(this, [this, reading] {
        if (m_reading != reading) {
            return;
        }
        stopReading();
        Listing listing = reading->take();
        if (m_batchShown && listing.readable && !listing.failure) {
            completeBatches(std::move(listing));
        } else {
            showListing(std::move(listing));
        }
    });
}

void FileList::readingTick() {
    if (!m_reading) {
        return;
    }
    if (!m_view.updatesEnabled()) {
        // The deadline has passed: say so, and show the rows as they come.
        m_view.setUpdatesEnabled(true);
        setStatusText(browser_msg::listReading());
        m_readingTimer.start(kBatchEvery);
    }
    ListingBatches::Batch batch = m_batches->take();
    // A list the user sorted otherwise meanwhile waits for the whole listing.
    const int column = m_batches->column();
    const int order = m_batches->order();
    if (!batch.fresh ||
        (m_batchShown && (column != m_model.sortColumn() || order != m_model.sortOrder()))) {
        return;
    }
    const bool first = !m_batchShown;
    m_batchShown = true;
    drawIcons(batch.icons, batch.rows);  // what fails is told with the whole listing
    m_model.setSortMark(column, order);
    showRowsKeepingPlace(std::move(batch.rows), column, order, std::move(batch.keyRows),
                         [this, first] {
                             if (first && m_model.count() > 0) {
                                 selectRow(0);
                             }
                         });
    setStatusText(browser_msg::listReading());
}

void FileList::stopReading() {
    m_readingTimer.stop();
    if (m_batches) {
        m_batches->cancel();
        m_batches.reset();
    }
    m_reading.reset();
    m_view.setUpdatesEnabled(true);
}

void FileList::showRowsKeepingPlace(std::vector<FileRow> rows, int column, int order,
                                    RowKeyIndex index, std::function<void()> then) {
    // Where the user is: the selected rows and the current one by key, and the scroll; a list
    // still at its top with its first row alone selected stays so.
    QItemSelectionModel* selection = m_view.selectionModel();
    const QModelIndex current = selection->currentIndex();
    const QList<int> selected = selectedRows();
    const bool atTop = selectionAsListed();
    QStringList keys;
    for (const int r : selected) {
        keys << keyOfRow(r);
    }
    keys << keyOfRow(current.isValid() ? current.row() : -1);
    const int scroll = m_view.verticalScrollBar()->value();
    freeOffThread(m_model.replaceSortedRows(std::move(rows), column, order, std::move(index)));
    // The view lays out every row before it can show a selection: with many rows that is work of
    // its own, so the place is put back at the next turn, and what follows after it.
    const auto restore = [this, atTop, keys, column = current.column(), scroll,
                          serial = m_listingSerial, then = std::move(then)] {
        if (serial != m_listingSerial) {
            return;  // another folder was listed meanwhile
        }
        m_settling = false;
        if (atTop) {
            if (m_model.count() > 0 && keys.size() > 1) {
                selectRow(0);
            }
        } else {
            const std::vector<int> found = m_model.rowsOfKeys(keys);
            QItemSelection kept;
            for (size_t i = 0; i + 1 < found.size(); ++i) {
                if (found[i] >= 0) {
                    kept.select(m_model.index(found[i], 0),
                                m_model.index(found[i], FileListModel::ColumnCount - 1));
                }
            }
            QItemSelectionModel* selecting = m_view.selectionModel();
            if (found.back() >= 0) {
                selecting->setCurrentIndex(m_model.index(found.back(), std::max(column, 0)),
                                           QItemSelectionModel::NoUpdate);
            }
            selecting->select(kept, QItemSelectionModel::ClearAndSelect);
            m_view.verticalScrollBar()->setValue(scroll);
        }
        if (then) {
            then();
        }
    };
    constexpr int kRowsLaidOutAtOnce = 20000;
    if (m_model.count() <= kRowsLaidOutAtOnce) {
        restore();
        return;
    }
    m_settling = true;
    QTimer::singleShot(1, this, restore);
}

void FileList::completeBatches(Listing listing) {
    const QStringList iconFailures = drawIcons(listing.icons, listing.rows);
    m_marksShown = listing.marked;
    const bool sorted =
        listing.sortColumn == m_model.sortColumn() && listing.sortOrder == m_model.sortOrder();
    const int files = listing.files;
    const int folders = listing.folders;
    showRowsKeepingPlace(std::move(listing.rows), listing.sortColumn, listing.sortOrder,
                         std::move(listing.keyRows), [this, sorted, files, folders, iconFailures] {
                             if (!sorted) {
                                 SortList(m_state.mSortOrder, m_state.mSortColumn);
                             }
                             setStatusText(browser_msg::listStatus(files, folders));
                             if (m_state.mAutoColumFlg == 0) {
                                 AutoFitColumns();
                             }
                             tellIconFailures(iconFailures);
                             afterListing();
                         });
}

bool FileList::isReading() const {
    return m_reading != nullptr || m_settling;
}

void FileList::whenListed(std::function<void()> then) {
    if (isReading()) {
        m_afterListing.push_back(std::move(then));
    } else {
        then();
    }
}

void FileList::cancelListing() {
    ++m_listingSerial;
    m_settling = false;
    if (m_reading) {
        m_reading->cancel();
    }
    stopReading();
    for (auto* call : {&m_refresh}) {
        if (*call) {
            (*call)->cancel();
            call->reset();
        }
    }
    m_refreshAgain = false;
    m_changedWhileReading = false;
    m_afterListing.clear();
}

void FileList::followDisk() {
    if (m_listedFolder.isEmpty()) {
        return;
    }
    if (m_reading) {
        m_changedWhileReading = true;  // the listing may have read that part already
        return;
    }
    if (m_refresh) {
        m_refreshAgain = true;
        return;
    }
    auto reading = BackgroundCall<Listing>::start(
        [lister = lister(), path = m_listedFolder, icons = m_listedIcons,
         natural = m_model.naturalOrder(), marks = marksFor(m_listedFolder)] {
            try {
                Listing listing = lister.list(path, icons.get());
                markRows(listing, marks.get());
                if (natural) {
                    fillNameKeys(listing.rows);  // rows new to the list sort without a wait
                }
                return listing;
            } catch (...) {
                Listing broken;
                broken.readable = false;  // the rows stay as they are
                broken.failure = std::current_exception();
                return broken;
            }
        });
    m_refresh = reading;
    reading->whenDone(this, [this, reading] {
        if (m_refresh != reading) {
            return;
        }
        m_refresh.reset();
        Listing listing = reading->take();
        // A folder that may no longer be read keeps its rows; one that has gone has none.
        if (!listing.failure &&
            (listing.readable || listing.error == ENOENT || listing.error == ENOTDIR)) {
            // An icon that cannot be had was told when the folder was listed.
            drawIcons(listing.icons, listing.rows);
            m_marksShown = m_marksShown && listing.marked;
            if (m_model.mergeRows(std::move(listing.rows)) > 0) {
                m_model.sortRows(m_model.sortColumn(), m_model.sortOrder());
            }
            recountStatus();
            m_thumbnails.rowsChanged();
            emit rowsRead(m_listedFolder, false);
        }
        if (std::exchange(m_refreshAgain, false)) {
            followDisk();
        }
    });
}

void FileList::showListing(Listing listing) {
    QStringList iconFailures;
    {
        WaitCursor wait;
        HiddenWhileFilled hidden(m_view);
        try {
            m_model.clear();
            // A folder that is there but may not be read is told; one that has just gone is
            // simply empty.
            if (listing.failure) {
                std::rethrow_exception(listing.failure);
            }
            if (!listing.readable && listing.error != ENOENT && listing.error != ENOTDIR) {
                setStatusText(browser_msg::listStatus(0, 0));
                throwErrno(listing.error);
            }
            iconFailures = drawIcons(listing.icons, listing.rows);
            m_marksShown = listing.marked;
            const bool sorted = listing.sorted && listing.sortColumn == m_state.mSortColumn &&
                                listing.sortOrder == m_state.mSortOrder;
            if (sorted) {
                m_model.setSortedRows(std::move(listing.rows), listing.sortColumn,
                                      listing.sortOrder, std::move(listing.keyRows));
            } else {
                m_model.setRows(std::move(listing.rows));
            }
            setStatusText(browser_msg::listStatus(listing.files, listing.folders));
            if (m_model.count() > 0) {
                // A listing opens at the top with the first row current and selected alone. (The
                // first row found, carried by the sort to wherever it lands, opened a long list
                // thousands of rows down.) A caller that wants another row selects it after.
                if (sorted) {
                    m_model.setSortMark(listing.sortColumn, listing.sortOrder);
                } else {
                    SortList(m_state.mSortOrder, m_state.mSortColumn);
                }
                m_view.selectionModel()->setCurrentIndex(
                    m_model.index(0, 0),
                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            }
            m_view.scrollToTop();
            if (m_state.mAutoColumFlg == 0) {
                AutoFitColumns();
            }
        } catch (const std::exception& error) {
            ErrMsgDsp(m_dialogs, error);
        }
    }
    tellIconFailures(iconFailures);
    afterListing();
}

QStringList FileList::drawIcons(const QHash<QString, WantedIcon>& icons,
                                std::vector<FileRow>& rows) {
    QStringList failures;
    if (m_listedIcons && !icons.isEmpty()) {
        FileLister::drawIcons(icons, rows, failures, *m_listedIcons, m_images);
    }
    return failures;
}

void FileList::tellIconFailures(const QStringList& paths) {
    for (const QString& failed : paths) {
        m_dialogs.message(browser_msg::listIconFailed(failed), MsgIcon::Information);
    }
}

void FileList::afterListing() {
    if (std::exchange(m_changedWhileReading, false)) {
        followDisk();
    }
    m_thumbnails.rowsChanged();
    emit rowsRead(m_listedFolder, true);
    // What waited for the rows (a row to select, the next file to play) runs now.
    for (auto& then : std::exchange(m_afterListing, {})) {
        then();
    }
}

void FileList::SortList(int order, int column) {
    m_model.setNaturalOrder(m_state.mNaturalOrder);
    m_model.sortRows(column, order);
    m_model.setSortMark(column, order);
}

void FileList::ColumnClick(int column) {
    m_state.mSortOrder = static_cast<qint16>(m_model.sortOrder() == 0 ? 1 : 0);
    m_state.mSortColumn = static_cast<qint16>(column);
    SortList(m_state.mSortOrder, m_state.mSortColumn);
    if (selectedRow() >= 0) {
        m_view.scrollTo(m_view.currentIndex());
    }
}

void FileList::AutoFitColumns() {
    m_view.fitColumnsToRows();
}

int FileList::ListHitTest(const QWidget* control) const {
    if (control != &m_view && control != m_view.viewport()) {
        return -1;
    }
    return m_view.rowAt(m_view.viewport()->mapFromGlobal(QCursor::pos()));
}

void FileList::SetAllListItemsState(bool selected) {
    if (selected) {
        m_view.selectAll();
    } else {
        m_view.clearSelection();
    }
    m_view.setFocus();
}

void FileList::setGridLines(bool on) {
    m_view.setGridLines(on);
}

QString FileList::keyOfRow(int row) const {
    return row >= 0 && row < m_model.count() ? m_model.row(row).key : QString();
}

int FileList::selectedRow() const {
    const QItemSelectionModel* selection = m_view.selectionModel();
    if (!selection) {
        return -1;
    }
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row())) {
        return current.row();
    }
    const QList<int> rows = selectedRows();
    return rows.isEmpty() ? -1 : rows.first();
}

QString FileList::SelectedPath() const {
    return keyOfRow(selectedRow());
}

QString FileList::CurrentRowText() const {
    const QModelIndex current = m_view.currentIndex();
    return current.isValid() ? m_model.row(current.row()).text : QString();
}

QList<int> FileList::selectedRows() const {
    QList<int> rows;
    const QItemSelectionModel* selection = m_view.selectionModel();
    if (selection == nullptr) {
        return rows;
    }
    // Read range by range: asking the selection model row by row costs the square of the number
    // of ranges, and every other row of a long list is many thousands of them.
    for (const QItemSelectionRange& range : selection->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows << row;
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void FileList::selectRow(int row) {
    if (row < 0 || row >= m_model.count()) {
        return;
    }
    const QModelIndex index = m_model.index(row, 0);
    m_view.selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_view.scrollTo(index);
}

bool FileList::SelectRowByKey(const QString& key) {
    const int row = m_model.rowOfKey(key);
    selectRow(row);
    return row >= 0;
}

void FileList::selectKeys(const QStringList& keys) {
    QItemSelection selection;
    int first = -1;
    for (const QString& key : keys) {
        const int row = m_model.rowOfKey(key);
        if (row < 0) {
            continue;
        }
        if (first < 0) {
            first = row;
        }
        selection.select(m_model.index(row, 0), m_model.index(row, FileListModel::ColumnCount - 1));
    }
    if (first < 0) {
        return;
    }
    QItemSelectionModel* model = m_view.selectionModel();
    model->setCurrentIndex(m_model.index(first, 0), QItemSelectionModel::NoUpdate);
    model->select(selection, QItemSelectionModel::ClearAndSelect);
    m_view.scrollTo(m_model.index(first, 0));
}

void FileList::DblClick(const QPoint& viewportPos) {
    try {
        if (m_model.count() == 0 || m_view.rowAt(viewportPos) < 0) {
            return;
        }
        const int row = selectedRow() >= 0 ? selectedRow() : m_view.rowAt(viewportPos);
        // The row follows the disk (the folder is watched), so it is not looked at again here:
        // on a share that has stopped answering that would hold the window.
        const FileRow& target = m_model.row(row);
        const QString path = target.key;
        if (target.folder) {
            emit openFolderRequested(path);
            m_view.setFocus();
        } else {
            emit playRequested(2);
        }
    } catch (const std::exception& error) {
        ErrMsgDsp(m_dialogs, error);
    }
}

void FileList::MouseDownRight(const QPoint& globalPos) {
    emit contextMenuRequested(globalPos, menuState());
}

bool FileList::selectionAsListed() const {
    const QList<int> selected = selectedRows();
    const QModelIndex current = m_view.currentIndex();
    return m_view.verticalScrollBar()->value() == 0 &&
           (selected.isEmpty() || selected == QList<int>{0}) &&
           (!current.isValid() || current.row() == 0);
}

QStringList FileList::selectedKeys() const {
    QStringList keys;
    for (const int row : selectedRows()) {
        keys.append(m_model.row(row).key);
    }
    return keys;
}

int FileList::removeGoneRows(const QStringList& keys) {
    QStringList gone;
    // The keys of a listing share their folder: it is opened once and each name looked up in it.
    QStringView openFolder;
    int folder = -1;
    for (const QString& key : keys) {
        const qsizetype slash = key.lastIndexOf(u'/');
        const QStringView parent = slash <= 0 ? QStringView(u"/") : QStringView(key).left(slash);
        if (folder < 0 || parent != openFolder) {
            if (folder >= 0) {
                ::close(folder);
            }
            openFolder = parent;
            folder = ::open(encodeFileName(parent).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        }
        struct stat st {};
        const bool there =
            folder >= 0
                ? ::fstatat(folder, encodeFileName(QStringView(key).sliced(slash + 1)).constData(),
                            &st, AT_SYMLINK_NOFOLLOW) == 0
                : file_transfer::exists(key);
        if (!there) {
            gone.append(key);
        }
    }
    if (folder >= 0) {
        ::close(folder);
    }
    return removeRowsOfKeys(gone);
}

int FileList::removeRowsOfKeys(const QStringList& keys) {
    const int removed = m_model.removeKeys(keys);
    if (removed > 0) {
        recountStatus();
    }
    return removed;
}

void FileList::recountStatus() {
    int folders = 0;
    for (int r = 0; r < m_model.count(); ++r) {
        if (m_model.isFolderRow(r)) {
            ++folders;
        }
    }
    setStatusText(browser_msg::listStatus(m_model.count() - folders, folders));
}

bool FileList::addMadeFolderRow(const QString& path, const QString& iconKey) {
    FileRow row;
    row.key = path;
    row.text = path.mid(path.lastIndexOf(u'/') + 1);
    row.ext = QString::fromUtf16(browser_msg::kFolderExtension);
    row.sizeText = QString::fromUtf16(browser_msg::kFolderSizeAdded);
    row.type = QString::fromUtf16(browser_msg::kFolderTypeAdded);
    row.iconKey = iconKey;
    row.folder = true;
    struct stat st {};
    if (::stat(encodeFileName(path).constData(), &st) == 0) {
        row.time = st.st_mtim.tv_sec;
    }
    if (!m_model.addRow(std::move(row))) {
        return false;
    }
    recountStatus();
    return true;
}

void FileList::startRowDrag() {
    const QStringList keys = selectedKeys();
    if (keys.isEmpty()) {
        return;
    }
    auto* drag = new QDrag(&m_view);
    drag->setMimeData(makeDragData(DropKind::ListRows, keys));
    const Qt::DropAction done =
        drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
    if (done == Qt::MoveAction) {
        removeGoneRows(keys);
    }
}

void FileList::registerCommands(CommandTable& table) {
    table.add(CommandId::SelectAllFiles, [this] { SetAllListItemsState(true); });
    table.add(CommandId::FocusList, [this] { m_view.setFocus(); });
}
