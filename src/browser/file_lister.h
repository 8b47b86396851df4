#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <exception>
#include <functional>
#include <vector>

#include "browser/file_icon_source.h"
#include "browser/file_row.h"
#include "browser/folder_scan.h"
#include "browser/row_key_index.h"
#include "settings/module1.h"

class ImageList;

// What one listing reads from the settings and the window.
struct ListerOptions {
    QString dspFile;        // the patterns of the normal mode, ";"-separated
    bool fileView = false;  // the file-view button: every file, and folders with folderDsp
    bool folderDsp = false;
    AttributeFilter attributes;  // which of system, hidden and read-only entries show
    IconKeySet icons;            // folder pictures
    SpecialFolderNames special;  // folders with pictures of their own

    static ListerOptions from(const Module1& state, bool fileView);
};

// An icon a listing's rows name by its image key: the kind of file it stands for, and a file of
// that kind (told when no icon can be had).
struct WantedIcon {
    FileIconType type;
    QString path;
};

struct Listing {
    std::vector<FileRow> rows;  // in the order they were found
    int files = 0;
    int folders = 0;
    // Icon view: the icons the rows name that are not in the image list yet, by image key; the
    // window's thread draws them (drawIcons) before the rows show.
    QHash<QString, WantedIcon> icons;
    // Full paths whose icon could not be had; their rows have none.
    QStringList iconFailures;
    std::exception_ptr failure;  // the listing broke off with this (set by whoever ran it)
    bool readable = true;        // false: the folder could not be opened (the listing is empty)
    bool sorted = false;         // true: the rows are in the order of this column (1-5) and order,
                                 // and keyRows tells each key's row
    RowKeyIndex keyRows;
    int sortColumn = 0;
    int sortOrder = 0;
    int error = 0;        // then: the errno value it was refused with
    bool marked = false;  // the rows carry their played marks (see ListingMarks)
};

// Told of the rows read so far, now and then, on the listing's thread; false stops the listing
// there (nobody wants it any more).
using ListingProgress = std::function<bool(const struct Listing& soFar)>;

// Reads one folder into list rows: one pass over the folder, and the file's details only for
// entries that can be shown (their name matches first). Entries that vanish while the folder is
// read are left out; a folder that cannot be read gives no rows.
class FileLister {
public:
    explicit FileLister(ListerOptions options);

    // path: the folder, with or without a trailing "/". icons: null when icons are off.
    // progress: when set, asked at every row made and every few thousand names read.
    // With icons, each row names its icon's image key and the listing the icons to draw.
    Listing list(const QString& path, const FileIconSource* icons = nullptr,
                 const ListingProgress& progress = {}) const;
    // On the window's thread: puts the icons rows want into the image list; a row whose icon
    // could not be had loses its key, and its file is named in failures.
    static void drawIcons(const QHash<QString, WantedIcon>& icons, std::vector<FileRow>& rows,
                          QStringList& failures, FileIconSource& source, ImageList& images);

private:
    ListerOptions m_options;
};
