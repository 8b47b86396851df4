#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "browser/file_row.h"
#include "browser/folder_scan.h"
#include "browser/row_key_index.h"
#include "settings/module1.h"

class FileIconSource;
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

// Where the icons of a listing come from and go to (icon view only).
struct IconContext {
    FileIconSource& source;
    ImageList& images;
};

struct Listing {
    std::vector<FileRow> rows;  // in the order they were found
    int files = 0;
    int folders = 0;
    // Full paths whose icon could not be had; their rows have none.
    QStringList iconFailures;
    bool readable = true;  // false: the folder could not be opened (the listing is empty)
    bool sorted = false;   // true: the rows are in the order of this column (1-5) and order,
                           // and keyRows tells each key's row
    RowKeyIndex keyRows;
    int sortColumn = 0;
    int sortOrder = 0;
    int error = 0;  // then: the errno value it was refused with
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
    Listing list(const QString& path, IconContext* icons = nullptr,
                 const ListingProgress& progress = {}) const;

private:
    ListerOptions m_options;
};
