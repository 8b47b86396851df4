#include "history/history_store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDateTime>
#include <QDir>
#include <cerrno>
#include <cstring>

#include "platform/file_name_codec.h"

namespace {

constexpr int kSchemaVersion = 1;
// How long a statement waits for another connection's lock before it counts as locked. The
// store is only ever used from the worker, so the wait never reaches the window.
constexpr int kBusyWaitMs = 250;

// Files are keyed by folder and name, so that a folder's rows are one range of the key, and a
// folder moved is one range of keys renamed. Keys are the bytes on disk.
constexpr const char* kSchema[] = {
    "CREATE TABLE files ("
    " folder BLOB NOT NULL, name BLOB NOT NULL,"
    " size INTEGER NOT NULL, mtime INTEGER NOT NULL,"         // the stamp when last seen
    " position INTEGER NOT NULL, duration INTEGER NOT NULL,"  // milliseconds
    " played INTEGER NOT NULL, updated INTEGER NOT NULL,"     // updated: ms since the epoch
    " PRIMARY KEY (folder, name)) WITHOUT ROWID",
    "CREATE TABLE folders ("
    " folder BLOB NOT NULL PRIMARY KEY, name BLOB NOT NULL, updated INTEGER NOT NULL)"
    " WITHOUT ROWID",
    "PRAGMA user_version = 1",
};

constexpr const char* kSelectFile =
    "SELECT size, mtime, position, duration, played FROM files WHERE folder = ?1 AND name = ?2";
constexpr const char* kSelectFolder =
    "SELECT name, size, mtime, position, duration, played FROM files WHERE folder = ?1";
constexpr const char* kUpsertFile =
    "INSERT INTO files (folder, name, size, mtime, position, duration, played, updated)"
    " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8) ON CONFLICT (folder, name) DO UPDATE SET"
    " size = excluded.size, mtime = excluded.mtime, position = excluded.position,"
    " duration = excluded.duration, played = max(played, excluded.played),"
    " updated = excluded.updated";
constexpr const char* kDropPosition =
    "UPDATE files SET size = ?3, mtime = ?4, position = 0, duration = 0, updated = ?5"
    " WHERE folder = ?1 AND name = ?2";
constexpr const char* kUpsertLastRow =
    "INSERT INTO folders (folder, name, updated) VALUES (?1, ?2, ?3)"
    " ON CONFLICT (folder) DO UPDATE SET name = excluded.name, updated = excluded.updated";
constexpr const char* kSelectLastRow = "SELECT name FROM folders WHERE folder = ?1";
constexpr const char* kMoveFile =
    "UPDATE OR REPLACE files SET folder = ?3, name = ?4 WHERE folder = ?1 AND name = ?2";
constexpr const char* kRenameLastRow =
    "UPDATE folders SET name = ?3 WHERE folder = ?1 AND name = ?2";
constexpr const char* kForgetLastRow = "DELETE FROM folders WHERE folder = ?1 AND name = ?2";
// Everything in a folder and below: the folder itself, and the key range of "<folder>/"
// ('0' follows '/'). substr counts bytes in a BLOB; || gives text, cast back to the bytes.
constexpr const char* kMoveTreeFiles =
    "UPDATE OR REPLACE files SET folder = CAST(?2 || substr(folder, ?5) AS BLOB)"
    " WHERE folder = ?1 OR (folder >= ?3 AND folder < ?4)";
constexpr const char* kMoveTreeFolders =
    "UPDATE OR REPLACE folders SET folder = CAST(?2 || substr(folder, ?5) AS BLOB)"
    " WHERE folder = ?1 OR (folder >= ?3 AND folder < ?4)";
constexpr const char* kDeleteFile = "DELETE FROM files WHERE folder = ?1 AND name = ?2";

qint64 now() {
    return QDateTime::currentMSecsSinceEpoch();
}

// A folder's key: its clean absolute path's bytes; empty for a relative one.
QByteArray folderKey(const QString& folder) {
    return QDir::isAbsolutePath(folder) ? encodeFileName(QDir::cleanPath(folder)) : QByteArray();
}

// Makes the folder and its missing parents, private to the user as the base-directory
// convention asks of folders it makes.
bool makeFolders(const QByteArray& dir) {
    struct stat st {};
    if (stat(dir.constData(), &st) == 0) {
        return S_ISDIR(st.st_mode);
    }
    const qsizetype slash = dir.lastIndexOf('/');
    if (slash > 0 && !makeFolders(dir.left(slash))) {
        return false;
    }
    return mkdir(dir.constData(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

// One use of a prepared statement: bound in order, stepped, and reset when it goes.
class HistoryStore::Query {
public:
    Query(HistoryStore& store, const char* sql) : m_store(store), m_s(store.statement(sql)) {}
    ~Query() {
        if (m_s != nullptr) {
            sqlite3_reset(m_s);
            sqlite3_clear_bindings(m_s);
        }
    }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    explicit operator bool() const { return m_s != nullptr; }
    sqlite3_stmt* get() const { return m_s; }

    Query& bind(const QByteArray& bytes) {
        sqlite3_bind_blob(m_s, ++m_index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Query& bind(qint64 value) {
        sqlite3_bind_int64(m_s, ++m_index, value);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error; the failure is recorded in the store.
    int step() {
        if (m_s == nullptr) {
            return SQLITE_MISUSE;
        }
        const int rc = sqlite3_step(m_s);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            m_store.failed(rc);
        }
        return rc;
    }
    // Runs a statement that gives no rows.
    bool run() { return step() == SQLITE_DONE; }
    QString nameAt(int column) const {
        return decodeFileName(static_cast<const char*>(sqlite3_column_blob(m_s, column)),
                              sqlite3_column_bytes(m_s, column));
    }
    FileStamp stampAt(int column) const {
        return {sqlite3_column_int64(m_s, column), sqlite3_column_int64(m_s, column + 1)};
    }
    FileHistory historyAt(int column) const {
        return {sqlite3_column_int64(m_s, column), sqlite3_column_int64(m_s, column + 1),
                sqlite3_column_int(m_s, column + 2) != 0};
    }

private:
    HistoryStore& m_store;
    sqlite3_stmt* m_s;
    int m_index = 0;
};

std::optional<FileStamp> FileStamp::of(const QString& path) {
    struct stat st {};
    if (stat(encodeFileName(path).constData(), &st) != 0) {
        return std::nullopt;
    }
    return FileStamp{qint64(st.st_size), qint64(st.st_mtim.tv_sec)};
}

HistoryStore::~HistoryStore() {
    close();
}

HistoryStore::Status HistoryStore::open(const QString& path) {
    close();
    m_failure = Status::Ready;
    m_error.clear();
    const Status status = openFile(path);
    if (status != Status::Ready) {
        m_failure = status;
        close();
    }
    return status;
}

void HistoryStore::close() {
    for (const auto& [sql, statement] : m_statements) {
        sqlite3_finalize(statement);
    }
    m_statements.clear();
    if (m_db != nullptr) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

HistoryStore::Status HistoryStore::openFile(const QString& path) {
    const QByteArray native = encodeFileName(path);
    const qsizetype slash = native.lastIndexOf('/');
    if (slash > 0 && !makeFolders(native.left(slash))) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return Status::CannotCreate;
    }
    // Made here rather than by SQLite, so that it is private from its first byte; SQLite gives
    // its log files the mode of the database.
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
    } else if (errno != EEXIST) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return Status::CannotCreate;
    }
    // Without SQLITE_OPEN_CREATE: a file that went in between is not made again by SQLite.
    const int rc = sqlite3_open_v2(native.constData(), &m_db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        m_error = QString::fromUtf8(m_db != nullptr ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc));
        return Status::CannotCreate;
    }
    if (sqlite3_db_readonly(m_db, "main") == 1) {
        m_error = QStringLiteral("read-only");
        return Status::CannotCreate;
    }
    sqlite3_busy_timeout(m_db, kBusyWaitMs);
    return setUpSchema();
}

HistoryStore::Status HistoryStore::setUpSchema() {
    // Reading the header first: a file that is not a database fails here, before anything is
    // written to it or beside it.
    int version = 0;
    {
        Query query(*this, "PRAGMA user_version");
        if (query.step() != SQLITE_ROW) {
            return m_failure;
        }
        version = sqlite3_column_int(query.get(), 0);
    }
    if (version > kSchemaVersion) {
        m_error = QStringLiteral("schema version ") + QString::number(version);
        return Status::Newer;
    }
    if (version == 0) {
        // A new file is empty; a database of something else is not ours to change.
        Query query(*this, "SELECT count(*) FROM sqlite_master");
        if (query.step() != SQLITE_ROW) {
            return m_failure;
        }
        if (sqlite3_column_int(query.get(), 0) != 0) {
            m_error = QStringLiteral("not a history file");
            return Status::Corrupt;
        }
    }
    // secure_delete: what is forgotten is overwritten, not left in free pages.
    if (!exec("PRAGMA journal_mode = WAL") || !exec("PRAGMA synchronous = NORMAL") ||
        !exec("PRAGMA secure_delete = ON")) {
        return m_failure;
    }
    // Taking the write lock proves the store is ours to write; another program holding it
    // makes this wait kBusyWaitMs and fail.
    if (!begin()) {
        return m_failure;
    }
    if (version == 0) {
        for (const char* sql : kSchema) {
            if (!exec(sql)) {
                return m_failure;
            }
        }
    }
    return commit() ? Status::Ready : m_failure;
}

sqlite3_stmt* HistoryStore::statement(const char* sql) {
    if (m_db == nullptr) {
        m_failure = Status::Failed;
        return nullptr;
    }
    const auto found = m_statements.find(sql);
    if (found != m_statements.end()) {
        return found->second;
    }
    sqlite3_stmt* prepared = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &prepared, nullptr);
    if (rc != SQLITE_OK) {
        failed(rc);
        return nullptr;
    }
    m_statements.emplace(sql, prepared);
    return prepared;
}

bool HistoryStore::exec(const char* sql) {
    Query query(*this, sql);
    const int rc = query.step();
    return rc == SQLITE_DONE || rc == SQLITE_ROW;  // a pragma may answer with a row
}

bool HistoryStore::failed(int code) {
    switch (code & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            m_failure = Status::Locked;
            break;
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
            m_failure = Status::Corrupt;
            break;
        case SQLITE_READONLY:
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
            m_failure = Status::CannotCreate;
            break;
        default:
            m_failure = Status::Failed;
    }
    m_error = QString::fromUtf8(m_db != nullptr ? sqlite3_errmsg(m_db) : sqlite3_errstr(code));
    return false;
}

bool HistoryStore::begin() {
    return exec("BEGIN IMMEDIATE");
}

bool HistoryStore::commit() {
    return exec("COMMIT");
}

bool HistoryStore::inTransaction() const {
    return m_db != nullptr && sqlite3_get_autocommit(m_db) == 0;
}

std::optional<HistoryStore::PathKey> HistoryStore::keyOf(const QString& path) {
    const QByteArray bytes = folderKey(path);
    const qsizetype slash = bytes.lastIndexOf('/');
    if (slash < 0 || slash == bytes.size() - 1) {
        return std::nullopt;  // relative, or the root
    }
    return PathKey{slash == 0 ? QByteArray("/") : bytes.left(slash), bytes.mid(slash + 1)};
}

bool HistoryStore::savePlayback(const QString& path, FileStamp stamp, qint64 positionMs,
                                qint64 durationMs, bool played) {
    const auto key = keyOf(path);
    if (!key) {
        return true;
    }
    Query query(*this, kUpsertFile);
    query.bind(key->folder).bind(key->name).bind(stamp.size).bind(stamp.mtime);
    query.bind(positionMs).bind(durationMs).bind(qint64(played ? 1 : 0)).bind(now());
    return query.run();
}

bool HistoryStore::setLastRow(const QString& folder, const QString& name) {
    const QByteArray key = folderKey(folder);
    if (key.isEmpty() || name.isEmpty()) {
        return true;
    }
    Query query(*this, kUpsertLastRow);
    return query.bind(key).bind(encodeFileName(name)).bind(now()).run();
}

bool HistoryStore::movePath(const QString& from, const QString& to) {
    const auto source = keyOf(from);
    const auto target = keyOf(to);
    if (!source || !target) {
        return true;
    }
    const QByteArray fromPath = folderKey(from);
    const QByteArray toPath = folderKey(to);
    if (fromPath == toPath || toPath.startsWith(QByteArray(fromPath + '/'))) {
        return true;  // nothing moves, or a folder into itself (which the disk refuses)
    }
    {
        Query query(*this, kMoveFile);
        query.bind(source->folder).bind(source->name).bind(target->folder).bind(target->name);
        if (!query.run()) {
            return false;
        }
    }
    {
        // The last row of the folder it left: renamed with it, or gone from there.
        const bool sameFolder = source->folder == target->folder;
        Query query(*this, sameFolder ? kRenameLastRow : kForgetLastRow);
        query.bind(source->folder).bind(source->name);
        if (sameFolder) {
            query.bind(target->name);
        }
        if (!query.run()) {
            return false;
        }
    }
    for (const char* sql : {kMoveTreeFiles, kMoveTreeFolders}) {
        Query query(*this, sql);
        query.bind(fromPath).bind(toPath).bind(QByteArray(fromPath + '/'));
        query.bind(QByteArray(fromPath + '0'));
        query.bind(qint64(fromPath.size() + 1));
        if (!query.run()) {
            return false;
        }
    }
    return true;
}

bool HistoryStore::clearMarks(const QStringList& paths) {
    for (const QString& path : paths) {
        const auto key = keyOf(path);
        if (!key) {
            continue;
        }
        Query query(*this, kDeleteFile);
        if (!query.bind(key->folder).bind(key->name).run()) {
            return false;
        }
    }
    return true;
}

bool HistoryStore::clearAll() {
    if (inTransaction() && !commit()) {
        return false;
    }
    // VACUUM rewrites the file without the freed pages; the checkpoint then empties the log,
    // so nothing forgotten can still be read from either.
    return exec("DELETE FROM files") && exec("DELETE FROM folders") && exec("VACUUM") &&
           exec("PRAGMA wal_checkpoint(TRUNCATE)");
}

bool HistoryStore::changedSince(FileStamp stored, FileStamp seen, const FileHistory& history) {
    return stored != seen && (history.positionMs != 0 || history.durationMs != 0);
}

bool HistoryStore::dropPosition(const PathKey& key, FileStamp seen, FileHistory& history) {
    Query query(*this, kDropPosition);
    query.bind(key.folder).bind(key.name).bind(seen.size).bind(seen.mtime).bind(now());
    history.positionMs = 0;
    history.durationMs = 0;
    return query.run();
}

std::optional<FileHistory> HistoryStore::file(const QString& path, FileStamp stamp) {
    const auto key = keyOf(path);
    if (!key) {
        return FileHistory{};
    }
    FileHistory history;
    FileStamp stored;
    {
        Query query(*this, kSelectFile);
        const int rc = query.bind(key->folder).bind(key->name).step();
        if (rc == SQLITE_DONE) {
            return FileHistory{};
        }
        if (rc != SQLITE_ROW) {
            return std::nullopt;
        }
        stored = query.stampAt(0);
        history = query.historyAt(2);
    }
    if (changedSince(stored, stamp, history) && !dropPosition(*key, stamp, history)) {
        return std::nullopt;
    }
    return history;
}

std::optional<std::vector<StoredFile>> HistoryStore::storedFolder(const QString& folder) {
    const QByteArray key = folderKey(folder);
    std::vector<StoredFile> stored;
    if (key.isEmpty()) {
        return stored;
    }
    Query query(*this, kSelectFolder);
    query.bind(key);
    int rc = SQLITE_ROW;
    while ((rc = query.step()) == SQLITE_ROW) {
        stored.push_back({query.nameAt(0), query.stampAt(1), query.historyAt(3)});
    }
    if (rc != SQLITE_DONE) {
        return std::nullopt;
    }
    return stored;
}

std::optional<FolderHistory> HistoryStore::folder(const QString& folder,
                                                  const std::vector<RowStamp>& rows) {
    const QByteArray key = folderKey(folder);
    if (key.isEmpty()) {
        return FolderHistory{};
    }
    std::optional<std::vector<StoredFile>> read = storedFolder(folder);
    if (!read) {
        return std::nullopt;
    }
    std::vector<StoredFile>& stored = *read;
    // Sized at once: growing a hash of a large folder row by row costs more than the query.
    QHash<QStringView, qsizetype> byName;
    byName.reserve(qsizetype(stored.size()));
    for (qsizetype i = 0; i < qsizetype(stored.size()); ++i) {
        byName.insert(stored[size_t(i)].name, i);
    }
    FolderHistory result;
    result.reserve(byName.size());
    for (const RowStamp& row : rows) {
        const auto found = byName.constFind(row.name);
        if (found == byName.cend()) {
            continue;
        }
        StoredFile& file = stored[size_t(*found)];
        if (changedSince(file.stamp, row.stamp, file.history) &&
            !dropPosition({key, encodeFileName(row.name)}, row.stamp, file.history)) {
            return std::nullopt;
        }
        if (!file.history.isEmpty()) {
            result.insert(file.name, file.history);
        }
    }
    return result;
}

std::optional<QString> HistoryStore::lastRow(const QString& folder) {
    const QByteArray key = folderKey(folder);
    if (key.isEmpty()) {
        return QString();
    }
    Query query(*this, kSelectLastRow);
    const int rc = query.bind(key).step();
    if (rc == SQLITE_DONE) {
        return QString();
    }
    if (rc != SQLITE_ROW) {
        return std::nullopt;
    }
    return query.nameAt(0);
}

std::optional<qint64> HistoryStore::fileCount() {
    Query query(*this, "SELECT count(*) FROM files");
    if (query.step() != SQLITE_ROW) {
        return std::nullopt;
    }
    return sqlite3_column_int64(query.get(), 0);
}
