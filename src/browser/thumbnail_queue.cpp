#include "browser/thumbnail_queue.h"

#include <QMetaObject>
#include <QPointer>
#include <QSet>
#include <deque>
#include <mutex>
#include <thread>

struct ThumbnailQueue::State {
    ThumbnailCache cache;
    int workers = 2;
    std::mutex mutex;
    QPointer<ThumbnailQueue> owner;  // null once the queue is gone
    std::deque<ThumbnailJob> jobs;
    std::deque<QString> forgotten;
    QSet<QString> making;
    int running = 0;
    int side = 48;
    std::atomic<int> decodes{0};
};

ThumbnailQueue::ThumbnailQueue(ThumbnailCache cache, int workers, QObject* parent)
    : QObject(parent), m_state(std::make_shared<State>()) {
    m_state->cache = std::move(cache);
    m_state->workers = std::max(1, workers);
    m_state->owner = this;
}

ThumbnailQueue::~ThumbnailQueue() {
    const std::lock_guard lock(m_state->mutex);
    m_state->owner = nullptr;
    m_state->jobs.clear();
}

void ThumbnailQueue::setSide(int side) {
    const std::lock_guard lock(m_state->mutex);
    m_state->side = std::max(1, side);
}

int ThumbnailQueue::side() const {
    const std::lock_guard lock(m_state->mutex);
    return m_state->side;
}

void ThumbnailQueue::want(std::vector<ThumbnailJob> jobs) {
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->jobs.clear();
        for (ThumbnailJob& job : jobs) {
            if (!m_state->making.contains(job.path)) {
                m_state->jobs.push_back(std::move(job));
            }
        }
    }
    startWorkers();
}

void ThumbnailQueue::forget(const QString& path) {
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->forgotten.push_back(path);
    }
    startWorkers();
}

int ThumbnailQueue::decodes() const {
    return m_state->decodes;
}

int ThumbnailQueue::pending() const {
    const std::lock_guard lock(m_state->mutex);
    return static_cast<int>(m_state->jobs.size() + m_state->forgotten.size()) + m_state->running;
}

void ThumbnailQueue::startWorkers() {
    const std::lock_guard lock(m_state->mutex);
    const size_t waiting = m_state->jobs.size() + m_state->forgotten.size();
    while (m_state->running < m_state->workers && waiting > static_cast<size_t>(m_state->running)) {
        ++m_state->running;
        std::thread(&ThumbnailQueue::work, m_state).detach();
    }
}

void ThumbnailQueue::work(std::shared_ptr<State> state) {
    for (;;) {
        ThumbnailJob job;
        QString forgotten;
        int side = 0;
        {
            const std::lock_guard lock(state->mutex);
            if (!state->forgotten.empty()) {
                forgotten = std::move(state->forgotten.front());
                state->forgotten.pop_front();
            } else if (!state->jobs.empty() && state->owner) {
                job = std::move(state->jobs.front());
                state->jobs.pop_front();
                state->making.insert(job.path);
                side = state->side;
            } else {
                --state->running;
                return;
            }
        }
        if (!forgotten.isNull()) {
            state->cache.forget(forgotten);
            continue;
        }
        const ThumbnailResult result = ThumbnailMaker(state->cache, side).make(job);
        if (result.decoded) {
            ++state->decodes;
        }
        const std::lock_guard lock(state->mutex);
        state->making.remove(job.path);
        if (ThumbnailQueue* owner = state->owner.data()) {
            // Queued: told on the queue's thread, and dropped there if it is gone by then.
            QMetaObject::invokeMethod(
                owner,
                [owner, path = job.path, mtime = job.mtime, image = result.image, side] {
                    emit owner->ready(path, mtime, image, side);
                },
                Qt::QueuedConnection);
        }
    }
}
