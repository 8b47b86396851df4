#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "history/history_records.h"
#include "history/history_worker.h"

// The play history as the window uses it: where each file was left, which files were played,
// the last row of each folder. It lives on the window's thread and only hands work to a worker
// thread that owns the store, so no call costs that thread more than a lock and a push. Writes
// are gathered into transactions on the worker (committed within 200 ms, and at once when the
// position of another file is saved). Look-ups answer through the callback they are given,
// called on this object's thread (the window's) by a queued call, unless the given context
// object has gone by then; they always answer, with nothing known when there is no history.
//
// A store that cannot be made, is locked by another program or is damaged never stops the
// program: the history then keeps nothing, answers nothing, and says why once through
// unavailable(). A damaged file is left as it is for the user.
class PlayHistory : public QObject {
    Q_OBJECT

public:
    // The longest the end of the program waits for the last writes. A commit in write-ahead
    // mode is one write to the log without a sync, far below this; a store on a disk that has
    // stopped answering is left behind rather than holding the exit.
    static constexpr std::chrono::milliseconds kQuitWait{300};

    // Opens (on the worker) the store at storePath; see historyFilePath().
    explicit PlayHistory(const QString& storePath, QObject* parent = nullptr);
    // Closes as close() does.
    ~PlayHistory() override;

    // False once unavailable() has been emitted.
    bool isAvailable() const { return m_available; }

    // Where a file was left (at positionMs of durationMs; reachedEnd: it played to its end). The
    // worker reads the file's stamp; it counts as played by countsAsPlayed().
    void savePlayback(const QString& path, qint64 positionMs, qint64 durationMs, bool reachedEnd);
    // The row last played in a folder.
    void setLastRow(const QString& folder, const QString& name);
    // A file or folder renamed or moved by the program: its state, and that of everything under
    // it, goes along.
    void movePath(const QString& from, const QString& to);
    // Forgets positions and played marks of these files.
    void clearMarks(const QStringList& paths);
    // Forgets everything.
    void clearAll();

    // The stored state of the listed rows of a folder (with the stamps the listing read): the
    // rows with a played mark or a position only. A row whose stamp changed loses its position.
    void lookUpFolder(const QString& folder, std::vector<RowStamp> rows, QObject* context,
                      std::function<void(const FolderHistory&)> then);
    // Where the file at path is to start (by resumePositionMs of what is stored; the worker
    // reads its stamp).
    void lookUpResume(const QString& path, QObject* context,
                      std::function<void(const ResumePoint&)> then);
    // Every file of folder the store knows, handed to give on the history's own thread (at once
    // on this one, empty, when there is no history). Never called back when the history closes
    // first.
    void readFolder(const QString& folder, std::function<void(std::vector<StoredFile>)> give);
    // The name of the row last played in folder (empty when none).
    void lookUpLastRow(const QString& folder, QObject* context,
                       std::function<void(const QString&)> then);

    // Waits at most bound for what was written so far to be committed.
    bool flush(std::chrono::milliseconds bound = kQuitWait);
    // Commits, closes the store and ends the worker, waiting at most bound; true when it
    // finished in that time. No look-up answers after it.
    bool close(std::chrono::milliseconds bound = kQuitWait);

signals:
    // The history cannot be used this run (reason: the text to show); emitted once.
    void unavailable(const QString& reason);

private:
    void postWrite(std::function<bool(HistoryStore&)> write, bool commitNow);
    template <typename Result>
    void postLookUp(QObject* context, std::function<Result(HistoryWorker::Session&)> work,
                    std::function<void(const Result&)> then);
    void reportUnavailable(HistoryStore::Status status);

    QString m_storePath;
    bool m_available = true;
    std::unique_ptr<HistoryWorker> m_worker;
};
