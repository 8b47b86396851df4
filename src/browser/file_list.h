#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "browser/file_list_model.h"
#include "browser/file_lister.h"
#include "browser/folder_scan.h"
#include "browser/folder_watch.h"
#include "browser/list_thumbnails.h"
#include "browser/listing_marks.h"
#include "browser/thumbnail_queue.h"

template <typename T>
class BackgroundCall;
class Dialogs;
class FileIconSource;
class FileListView;
class ImageList;
class ListingBatches;
class QWidget;
struct Module1;

// Which items of the list's context menu MnuPlayOpt show: the playback items (MnuMoviePlay,
// MnuMovieStop, MnuPrevios, MunNext, MnuLoop) and the file items (MunOpen, MnuIconSet, FilePopa,
// DelFile, bar, MoveFile, ReNameFile).
struct ListMenuState {
    bool playItemsVisible = false;
    bool fileItemsVisible = false;

    static ListMenuState of(bool listEmpty, bool fileViewPressed) {
        return {!listEmpty && !fileViewPressed, !listEmpty};
    }
    bool operator==(const ListMenuState&) const = default;
};
Q_DECLARE_METATYPE(ListMenuState)

// The file list ListView1 and what it does: lists a folder (ListFolder), sorts, fits its
// columns, tells rows by key and by position, and turns the user's clicks on the list into
// requests the main window carries out (play, open a folder, show the context menu). It owns the
// model; the window owns the view and hands it over.
class CommandTable;
class FileList : public QObject {
    Q_OBJECT
public:
    FileList(Module1& state, Dialogs& dialogs, ImageList& images, FileListView& view,
             QObject* parent = nullptr);
    ~FileList() override;

    FileListModel& model() { return m_model; }
    const FileListModel& model() const { return m_model; }
    FileListView& view() { return m_view; }

    // Icon view's thumbnails: made by this queue, shown by these.
    ThumbnailQueue& thumbnailQueue() { return m_thumbnailQueue; }
    ListThumbnails& thumbnails() { return m_thumbnails; }

    // Where icons and type names come from in icon view (a MIME database source by default).
    void setIconSource(std::unique_ptr<FileIconSource> source);

    // Where each listing's rows get their played marks; none by default.
    void setListingMarks(ListingMarksSource source) { m_marksSource = std::move(source); }
    // True when the rows on show came with their marks: every listing since the folder was
    // listed had them ready in time.
    bool marksShown() const { return m_marksShown; }

    // The folders shown with pictures of their own (this desktop's user folders by default).
    void setSpecialFolders(const SpecialFolderNames& special) { m_special = special; }

    // The pressed state of the file-view toolbar button; every listing reads it.
    void setFileViewPressed(bool pressed) { m_fileView = pressed; }
    bool fileViewPressed() const { return m_fileView; }

    // Sets each column as wide as its measuring text in the list's font (done once at start).
    void CreateColumns();
    // Fills the list with the contents of a folder (with or without a trailing "/"). The folder
    // is read on a thread of its own; the window waits for it a moment only. One read within the
    // deadline shows in one step; after that the list says it is being read and shows the rows
    // in batches as they come (see whenListed for what must wait for all of them).
    void ListFolder(const QString& path, bool iconView);
    // True while a folder is being read for the list.
    bool isReading() const;
    // Runs `then` once the list shows the folder last asked for: at once when it does, else when
    // its rows come. Forgotten when another folder is listed first.
    void whenListed(std::function<void()> then);
    // How long a listing may keep the window waiting before it fills the list later.
    void setListDeadline(std::chrono::milliseconds deadline) { m_listDeadline = deadline; }
    // How long the window waits for a listing before it goes on (the list keeps its last picture
    // until the deadline): far less than the deadline, so that a quick folder shows at once.
    void setListWait(std::chrono::milliseconds wait) { m_listWait = wait; }
    // Sorts by a column (1-5) in an order (0 ascending, 1 descending) and moves the sort mark.
    void SortList(int order, int column);
    // A click on a column title (1-5): the order flips, and the list sorts by that column.
    void ColumnClick(int column);
    // Fits every column to its widest row text.
    void AutoFitColumns();
    // The row under the mouse cursor, or -1 when the control is not the list or no row is there.
    int ListHitTest(const QWidget* control) const;
    // Selects every row (true) or none (false), then focuses the list.
    void SetAllListItemsState(bool selected);
    // Ctrl+A (every row selected), and the keyboard handed to the list.
    void registerCommands(CommandTable& table);
    void setGridLines(bool on);

    // "N個のﾌｧｲﾙ(M個のﾌｫﾙﾀﾞ)" of the last listing.
    QString StatusText() const { return m_statusText; }
    // The folder last listed, as it was given.
    QString ListedFolder() const { return m_listedFolder; }

    int rowCount() const { return m_model.count(); }
    int rowOfKey(const QString& key) const { return m_model.rowOfKey(key); }
    QString keyOfRow(int row) const;
    // The selected row: the current row when it is selected, else the first selected, else -1.
    int selectedRow() const;
    // The full path (key) of the selected row; empty when none.
    QString SelectedPath() const;
    // The text of the current (focused) row; empty when none.
    QString CurrentRowText() const;
    QList<int> selectedRows() const;
    // Makes one row the only selected and current row, and scrolls it into view.
    void selectRow(int row);
    // selectRow on the row of a key; false when no row has it.
    bool SelectRowByKey(const QString& key);
    // Selects the rows of those keys that are listed (the first of them current and in view);
    // nothing changes when none is.
    void selectKeys(const QStringList& keys);
    ListMenuState menuState() const { return ListMenuState::of(rowCount() == 0, m_fileView); }

    // The keys of the selected rows, in list order.
    QStringList selectedKeys() const;
    // True while the list is as a listing leaves it: at its top, its first row current and
    // selected alone (or nothing selected).
    bool selectionAsListed() const;
    // Takes out the rows of those keys whose items are no longer on disk; returns how many went.
    // The status text follows.
    int removeGoneRows(const QStringList& keys);
    // Takes out the rows of those keys (keys without a row are passed over): the items an
    // operation reported gone. The status text follows.
    int removeRowsOfKeys(const QStringList& keys);
    // Counts the rows again into the status text ("N個のﾌｧｲﾙ(M個のﾌｫﾙﾀﾞ)").
    void recountStatus();
    // Adds the row of a folder just made (its size column "フォルダﾞ"), unsorted, at the end;
    // false when a row has that key.
    bool addMadeFolderRow(const QString& path, const QString& iconKey);
    // Starts dragging the selected rows: to the tree to move them, or out to other programs as
    // files. Rows whose items another program moved away are taken out afterwards.
    void startRowDrag();

signals:
    void statusTextChanged(const QString& text);
    // The list shows the rows of folder read anew: a whole listing (fresh), or what changed on
    // disk merged in.
    void rowsRead(const QString& folder, bool fresh);
    // The list received the focus (FocusPane = 1).
    void gotFocus();
    // A double-click on a folder row: go to that folder.
    void openFolderRequested(const QString& path);
    // Play a row: mode 2 (the selected row) after a double-click on a file row, with the clip
    // flag cleared first.
    void playRequested(int mode);
    // Items of another program were dropped on the list: go to the folder of the one item.
    void pathsDropped(const QStringList& paths);
    // A right-button press: show MnuPlayOpt at a screen position with these items.
    void contextMenuRequested(const QPoint& globalPos, const ListMenuState& state);

private:
    void DblClick(const QPoint& viewportPos);
    void MouseDownRight(const QPoint& globalPos);
    void setStatusText(const QString& text);
    void cancelListing();
    FileLister lister() const;
    // Reads the folder on show again and brings the rows in line, keeping the selection, the
    // current row, the marks and the sort.
    void followDisk();
    void showListing(struct Listing listing);
    // The marks a listing of folder is to put on its rows; null when there are none to be had.
    std::shared_ptr<ListingMarks> marksFor(const QString& folder) const;
    // The steps that follow a listing, once it shows: the watch, then what waited for it.
    void afterListing();
    // Icon view: draws the icons rows want; returns the files whose icon could not be had.
    QStringList drawIcons(const QHash<QString, WantedIcon>& icons, std::vector<FileRow>& rows);
    void tellIconFailures(const QStringList& paths);
    // Now and then while a long listing runs: past the deadline, the list says it is being read
    // and shows the latest batch of rows.
    void readingTick();
    void stopReading();
    // Shows a newer reading of the folder on show, keeping the user's place in it; then runs
    // once the place is back (at the next turn of the event loop for many rows).
    void showRowsKeepingPlace(std::vector<FileRow> rows, int column, int order, RowKeyIndex index,
                              std::function<void()> then);
    // A listing whose batches were shown ends with all its rows, where the user is.
    void completeBatches(struct Listing listing);

    Module1& m_state;
    Dialogs& m_dialogs;
    ImageList& m_images;
    FileListView& m_view;
    FileListModel m_model;
    std::shared_ptr<FileIconSource> m_iconSource;   // shared with the listings that ask it
    std::shared_ptr<FileIconSource> m_listedIcons;  // the shown folder's, in icon view
    ListingMarksSource m_marksSource;
    bool m_marksShown = false;
    SpecialFolderNames m_special;
    bool m_fileView = false;
    QString m_statusText;
    QString m_listedFolder;
    std::shared_ptr<BackgroundCall<Listing>> m_reading;  // the folder being read, if any
    std::shared_ptr<ListingBatches> m_batches;           // and the rows it has so far
    QTimer m_readingTimer;
    bool m_batchShown = false;
    bool m_settling = false;  // many rows shown, the place not yet put back
    unsigned m_listingSerial = 0;
    std::vector<std::function<void()>> m_afterListing;
    bool m_changedWhileReading = false;
    std::chrono::milliseconds m_listDeadline{120};
    std::chrono::milliseconds m_listWait{15};
    FolderWatch m_watch;
    ThumbnailQueue m_thumbnailQueue;
    ListThumbnails m_thumbnails{m_model, m_view, m_thumbnailQueue};
    std::shared_ptr<BackgroundCall<Listing>> m_refresh;  // the folder read again, if it is
    bool m_refreshAgain = false;
};
