#pragma once

#include <QRgb>
#include <QString>
#include <functional>

// The rows of the folder on show as the play list walks and marks them: the rows in the order
// shown, which of them is selected, the marks a row carries (its icon, colour and tip), and the
// folder they were listed from. The play list knows the rows only through this; in the window
// the file list and the folder tree stand behind it (ListPlayRows).
class PlayRows {
public:
    virtual ~PlayRows() = default;

    virtual int count() const = 0;
    // False while the folder on show is still being read.
    virtual bool listed() const = 0;
    // Runs `then` once the rows of the folder on show are all there: at once, or when a folder
    // that takes long to read has been read (forgotten when another folder is listed first).
    virtual void whenListed(std::function<void()> then) = 0;
    // A row's full path; empty for a row out of range.
    virtual QString pathOf(int row) const = 0;
    // The row of a full path, or -1.
    virtual int rowOfPath(const QString& path) const = 0;
    // The row's name as the list shows it.
    virtual QString nameOf(int row) const = 0;
    // The row's extension, lowered.
    virtual QString extensionOf(int row) const = 0;
    // True when the row's path is a folder on disk now (a row listed as a file may have become
    // one since).
    virtual bool isFolder(int row) const = 0;
    // True when the row was listed as a folder; the disk is not asked.
    virtual bool isListedFolder(int row) const { return isFolder(row); }
    // The row's size text without its padding.
    virtual QString sizeTextOf(int row) const = 0;

    // The current row when it is selected, else the first selected row; -1 when none is.
    virtual int selectedRow() const = 0;
    // The selected row nearest the top; -1 when none is.
    virtual int topSelectedRow() const = 0;
    // The row that has the focus, selected or not; -1 when none has.
    virtual int focusedRow() const = 0;
    // Makes one row the only selected and current row, and scrolls it into view.
    virtual void selectRow(int row) = 0;

    virtual QString iconKeyOf(int row) const = 0;
    virtual void setIconKey(int row, const QString& iconKey) = 0;
    // Shows the row's text in a colour, in bold.
    virtual void markRow(int row, QRgb colour) = 0;
    virtual void setToolTip(int row, const QString& toolTip) = 0;

    // The folder the rows came from: the folder selected in the tree, else the folder listed.
    virtual QString folderOnShow() const = 0;
    // Shows the tree's selected folder in bold and a colour, unless it is bold already.
    virtual void markFolderPlayed(QRgb colour) = 0;
};
