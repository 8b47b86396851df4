#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <unordered_map>
#include <vector>

#include "history/history_records.h"

struct sqlite3;
struct sqlite3_stmt;

// The play history on disk: one SQLite file in write-ahead mode, made private to the user
// (mode 0600). Per file, keyed by its absolute path, the stamp it had when last seen, where it
// was left, its duration, whether it was played, and when that was written; per folder the name
// of the row last played there. Paths are kept as their bytes on disk, so a name that is not
// valid UTF-8 keeps its own key.
//
// A store is used from one thread (the history's worker). Every call returns whether it
// worked; after a failure, failure() says of what kind, and the caller gives the store up: a
// file that is locked, damaged or of a newer program is never repaired or replaced here.
class HistoryStore {
public:
    enum class Status {
        Ready,
        CannotCreate,  // its folder or the file cannot be made, or the file cannot be written
        Locked,        // another program holds it
        Corrupt,       // not a history file, or a damaged one
        Newer,         // written by a newer version of the program, with a schema unknown here
        Failed,        // a read or write failed (disk full, I/O error)
    };

    HistoryStore() = default;
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens the file at path, making it (and its folders, mode 0700) when missing, and sets up
    // or checks its schema. Ready, or why not.
    Status open(const QString& path);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    Status failure() const { return m_failure; }
    // SQLite's own words for the last failure, for a log.
    QString errorText() const { return m_error; }

    // Writes between begin() and commit() go to disk together.
    bool begin();
    bool commit();
    bool inTransaction() const;

    // Where a file was left: stored with its stamp; played stays set once it is.
    bool savePlayback(const QString& path, FileStamp stamp, qint64 positionMs, qint64 durationMs,
                      bool played);
    bool setLastRow(const QString& folder, const QString& name);
    // A file or folder renamed or moved: its state, and that of everything under it, goes
    // with it (replacing what was stored at the new path).
    bool movePath(const QString& from, const QString& to);
    // Forgets the files at these paths (positions and played marks).
    bool clearMarks(const QStringList& paths);
    // Forgets everything, and leaves none of it in the file's free pages or its log.
    bool clearAll();

    // The stored state of the file at path, seen now with stamp: a changed stamp drops the
    // stored position (and writes that) but keeps the played mark. Empty when nothing is known;
    // none on failure.
    std::optional<FileHistory> file(const QString& path, FileStamp stamp);
    // The same for the rows of a listed folder, in one query on the folder: only rows with a
    // stored state are in the result.
    std::optional<FolderHistory> folder(const QString& folder, const std::vector<RowStamp>& rows);
    // Every file of folder the store knows, as stored (nothing dropped); none on failure.
    std::optional<std::vector<StoredFile>> storedFolder(const QString& folder);
    // The name of the row last played in folder; empty when none.
    std::optional<QString> lastRow(const QString& folder);

    // How many files the store knows (for tests and the bench).
    std::optional<qint64> fileCount();

private:
    class Query;
    struct PathKey {
        QByteArray folder;
        QByteArray name;
    };
    static std::optional<PathKey> keyOf(const QString& path);

    Status openFile(const QString& path);
    Status setUpSchema();
    sqlite3_stmt* statement(const char* sql);
    bool exec(const char* sql);
    bool failed(int code);
    // A file seen with another stamp than the stored one loses its position (on disk too).
    static bool changedSince(FileStamp stored, FileStamp seen, const FileHistory& history);
    bool dropPosition(const PathKey& key, FileStamp seen, FileHistory& history);

    sqlite3* m_db = nullptr;
    // Prepared once, by the address of their text.
    std::unordered_map<const char*, sqlite3_stmt*> m_statements;
    Status m_failure = Status::Ready;
    QString m_error;
};
