#include "history/history_worker.h"

#include <condition_variable>
#include <deque>
#include <mutex>

// Between the worker and the thread that feeds it.
struct HistoryWorker::Session::Shared {
    std::mutex mutex;
    std::condition_variable wake;     // the worker waits here for work
    std::condition_variable settled;  // flush and stop wait here for the worker
    std::deque<Task> tasks;
    quint64 flushAsked = 0;
    quint64 flushDone = 0;
    bool stopAsked = false;
    bool stopped = false;
    QObject* receiver = nullptr;  // replies go to its thread while it is set
};

HistoryWorker::Session::Session(std::shared_ptr<Shared> shared,
                                std::function<void(HistoryStore::Status)> unavailable)
    : m_shared(std::move(shared)), m_unavailable(std::move(unavailable)) {}

void HistoryWorker::Session::open(const QString& path) {
    const HistoryStore::Status status = m_store.open(path);
    m_open = status == HistoryStore::Status::Ready;
    if (!m_open) {
        giveUp(status);
    }
}

bool HistoryWorker::Session::write() {
    if (!m_open) {
        return false;
    }
    if (!m_store.inTransaction()) {
        if (!m_store.begin()) {
            giveUp(m_store.failure());
            return false;
        }
        m_deadline = Clock::now() + kCommitDelay;
    }
    return true;
}

void HistoryWorker::Session::check(bool ok) {
    if (!ok && m_open) {
        giveUp(m_store.failure());
    }
}

void HistoryWorker::Session::close() {
    m_store.close();
    m_open = false;
    m_deadline.reset();
}

void HistoryWorker::Session::giveUp(HistoryStore::Status status) {
    close();
    reply([unavailable = m_unavailable, status] { unavailable(status); });
}

void HistoryWorker::Session::reply(std::function<void()> call) {
    const std::lock_guard lock(m_shared->mutex);
    if (m_shared->receiver != nullptr) {
        QMetaObject::invokeMethod(m_shared->receiver, std::move(call), Qt::QueuedConnection);
    }
}

void HistoryWorker::Session::commitIf(bool force) {
    if (!m_open || !m_store.inTransaction()) {
        m_commitNow = false;
        return;
    }
    if (force || m_commitNow || !m_deadline || Clock::now() >= *m_deadline) {
        m_commitNow = false;
        m_deadline.reset();
        check(m_store.commit());
    }
}

std::optional<HistoryWorker::Clock::time_point> HistoryWorker::Session::deadline() const {
    return m_open && m_store.inTransaction() ? m_deadline : std::nullopt;
}

HistoryWorker::HistoryWorker(const QString& storePath, QObject* receiver,
                             std::function<void(HistoryStore::Status)> unavailable)
    : m_shared(std::make_shared<Session::Shared>()) {
    m_shared->receiver = receiver;
    m_thread = std::thread(run, m_shared, storePath, std::move(unavailable));
}

HistoryWorker::~HistoryWorker() {
    stop(std::chrono::milliseconds(0));
}

void HistoryWorker::post(Task task) {
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->tasks.push_back(std::move(task));
    }
    m_shared->wake.notify_one();
}

bool HistoryWorker::flush(std::chrono::milliseconds bound) {
    std::unique_lock lock(m_shared->mutex);
    if (m_shared->stopped) {
        return true;
    }
    const quint64 ticket = ++m_shared->flushAsked;
    m_shared->wake.notify_one();
    return m_shared->settled.wait_for(lock, bound, [&] { return m_shared->flushDone >= ticket; });
}

bool HistoryWorker::stop(std::chrono::milliseconds bound) {
    if (!m_thread.joinable()) {
        return true;
    }
    bool stopped = false;
    {
        std::unique_lock lock(m_shared->mutex);
        m_shared->stopAsked = true;
        m_shared->wake.notify_one();
        stopped = m_shared->settled.wait_for(lock, bound, [&] { return m_shared->stopped; });
        m_shared->receiver = nullptr;
    }
    if (stopped) {
        m_thread.join();
    } else {
        m_thread.detach();  // it holds the shared state, and finishes on its own
    }
    return stopped;
}

void HistoryWorker::run(std::shared_ptr<Session::Shared> shared, QString storePath,
                        std::function<void(HistoryStore::Status)> unavailable) {
    Session session(shared, std::move(unavailable));
    session.open(storePath);
    std::unique_lock lock(shared->mutex);
    for (;;) {
        const auto hasWork = [&] {
            return !shared->tasks.empty() || shared->stopAsked ||
                   shared->flushAsked != shared->flushDone;
        };
        if (const auto deadline = session.deadline()) {
            shared->wake.wait_until(lock, *deadline, hasWork);
        } else {
            shared->wake.wait(lock, hasWork);
        }
        std::deque<Task> batch;
        batch.swap(shared->tasks);
        const quint64 flushAsked = shared->flushAsked;
        const bool stopping = shared->stopAsked;
        lock.unlock();
        for (Task& task : batch) {
            task(session);
            session.commitIf(false);
        }
        batch.clear();  // what the tasks held goes on this thread
        session.commitIf(stopping || flushAsked != shared->flushDone);
        if (stopping) {
            session.close();
        }
        lock.lock();
        shared->flushDone = flushAsked;
        if (stopping && shared->tasks.empty()) {
            shared->stopped = true;
            shared->settled.notify_all();
            return;
        }
        shared->settled.notify_all();
    }
}
