#pragma once

#include <dirent.h>
#include <sys/types.h>
#include <QByteArray>
#include <QList>
#include <QString>
#include <deque>
#include <memory>
#include <set>
#include <utility>

#include "browser/file_patterns.h"
#include "browser/folder_scan.h"

// A file the search found.
struct FoundFile {
    QString folder;  // the folder's path, as the tree keys it
    QString name;    // decoded as decodeFileName does
    qint64 size = 0;
    qint64 modified = 0;  // seconds since the epoch
};

// The patterns of a search as the user types them: several separated by ";", "*" and "?" as
// wildcards, letters without case; a part without a wildcard finds every name containing it,
// and nothing typed finds every file.
FilePatterns searchPatterns(const QString& text);

// FileSearch: a search for files by name below a folder, done in small steps so that the window
// stays responsive; each step reads entries until its budget is spent and hands back what it
// found. Folders are read one after another, shallow ones first. It stays on the start folder's
// file system, never enters a symbolic link to a folder, reads no folder twice (bind mounts),
// skips folders it cannot read, and keeps to the entries the attribute settings let the browser
// show, so that every result can be opened there.
class FileSearch {
public:
    FileSearch(const QString& startFolder, const QString& patternText, bool subFolders,
               const AttributeFilter& filter);
    ~FileSearch();
    FileSearch(const FileSearch&) = delete;
    FileSearch& operator=(const FileSearch&) = delete;

    // Reads at most maxEntries entries (opening a folder counts as one) and stops early once
    // maxMilliseconds have passed; appends the files found. Returns false once the search is
    // finished.
    bool step(int maxEntries, qint64 maxMilliseconds, QList<FoundFile>& found);
    // Ends the search at once.
    void stop();

    bool isFinished() const { return m_finished; }
    // The folder being read; empty between folders.
    QString currentFolder() const { return m_folderText; }
    qsizetype pendingFolders() const { return qsizetype(m_pending.size()); }
    qint64 foldersSearched() const { return m_searched; }
    // Folders that could not be opened (gone, or no permission).
    qint64 foldersSkipped() const { return m_skipped; }

private:
    struct DirCloser {
        void operator()(DIR* dir) const { closedir(dir); }
    };
    bool openNextFolder();
    void readEntry(const char* name, unsigned char type, QList<FoundFile>& found);

    FilePatterns m_patterns;
    bool m_subFolders = true;
    AttributeFilter m_filter;
    std::deque<QByteArray> m_pending;
    std::unique_ptr<DIR, DirCloser> m_dir;
    QByteArray m_folder;  // the open folder as a folder prefix, in file-system bytes
    QString m_folderText;
    bool m_haveDevice = false;
    dev_t m_device = 0;
    std::set<std::pair<dev_t, ino_t>> m_visited;
    qint64 m_searched = 0;
    qint64 m_skipped = 0;
    bool m_finished = false;
};
