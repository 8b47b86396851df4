#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "history/history_store.h"

// The thread that owns the history store. The thread that hands it tasks (the window's) only
// takes a lock and appends to a queue; the worker runs the tasks in order, gathers their writes
// into one transaction that it commits kCommitDelay after the first (or after the task, when a
// task asks), and posts answers to a receiver object's thread. A store that does not open, or
// fails later, is closed and reported once; tasks then run without it.
class HistoryWorker {
public:
    static constexpr std::chrono::milliseconds kCommitDelay{200};
    using Clock = std::chrono::steady_clock;

    // What a task sees on the worker.
    class Session {
    public:
        // The store; null once the history is unavailable.
        HistoryStore* store() { return m_open ? &m_store : nullptr; }
        // Joins the open transaction (beginning one); false when there is no store to write.
        bool write();
        // The transaction is committed right after this task.
        void commitNow() { m_commitNow = true; }
        // After a store call: a failure gives the store up, and reports it.
        void check(bool ok);
        // Runs call on the receiver's thread, unless the receiver has gone.
        void reply(std::function<void()> call);

        QString lastSavedPath;  // the file whose position was saved last

    private:
        friend class HistoryWorker;
        struct Shared;
        Session(std::shared_ptr<Shared> shared,
                std::function<void(HistoryStore::Status)> unavailable);
        void open(const QString& path);
        void close();
        void giveUp(HistoryStore::Status status);
        void commitIf(bool force);
        std::optional<Clock::time_point> deadline() const;

        std::shared_ptr<Shared> m_shared;
        std::function<void(HistoryStore::Status)> m_unavailable;
        HistoryStore m_store;
        bool m_open = false;
        bool m_commitNow = false;
        std::optional<Clock::time_point> m_deadline;
    };
    using Task = std::function<void(Session&)>;

    // Starts the thread, which opens the store at storePath. unavailable runs once on the
    // receiver's thread when the store cannot be used, with the reason.
    HistoryWorker(const QString& storePath, QObject* receiver,
                  std::function<void(HistoryStore::Status)> unavailable);
    // Stops as stop() does without waiting for it.
    ~HistoryWorker();
    HistoryWorker(const HistoryWorker&) = delete;
    HistoryWorker& operator=(const HistoryWorker&) = delete;

    void post(Task task);
    // Commits what was written so far; true when done within bound.
    bool flush(std::chrono::milliseconds bound);
    // Runs what is queued, commits, closes the store and ends the thread, waiting at most bound.
    // A worker that does not finish in time (a disk that stopped answering) is left to finish
    // on its own; nothing more is posted to the receiver either way.
    bool stop(std::chrono::milliseconds bound);

private:
    static void run(std::shared_ptr<Session::Shared> shared, QString storePath,
                    std::function<void(HistoryStore::Status)> unavailable);

    std::shared_ptr<Session::Shared> m_shared;
    std::thread m_thread;
};
