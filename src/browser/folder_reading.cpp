#include "browser/folder_reading.h"

#include <QCoreApplication>
#include <thread>

struct FolderReading::State {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool cancelled = false;
    Listing listing;
    QPointer<QObject> context;
    std::function<void()> then;
};

std::shared_ptr<FolderReading> FolderReading::start(FileLister lister, const QString& path) {
    auto state = std::make_shared<State>();
    // Detached on purpose: see the class comment.
    std::thread([state, lister = std::move(lister), path] {
        Listing listing = lister.list(path);
        {
            const std::lock_guard lock(state->mutex);
            if (state->cancelled) {
                return;
            }
            state->listing = std::move(listing);
            state->done = true;
        }
        state->finished.notify_all();
        post(state);
    }).detach();
    return std::shared_ptr<FolderReading>(new FolderReading(std::move(state)));
}

void FolderReading::post(const std::shared_ptr<State>& state) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return;
    }
    // Delivered through the application object, which outlives every window; the context is
    // looked at on the window's thread, where it is destroyed.
    QMetaObject::invokeMethod(
        app,
        [state] {
            std::function<void()> then;
            QPointer<QObject> context;
            {
                const std::lock_guard lock(state->mutex);
                if (state->cancelled || !state->done || !state->then) {
                    return;
                }
                then = std::exchange(state->then, {});
                context = state->context;
            }
            if (context) {
                then();
            }
        },
        Qt::QueuedConnection);
}

bool FolderReading::waitFor(std::chrono::milliseconds deadline) {
    std::unique_lock lock(m_state->mutex);
    return m_state->finished.wait_for(lock, deadline, [this] { return m_state->done; });
}

bool FolderReading::done() const {
    const std::lock_guard lock(m_state->mutex);
    return m_state->done;
}

Listing FolderReading::take() {
    const std::lock_guard lock(m_state->mutex);
    return std::exchange(m_state->listing, {});
}

void FolderReading::whenDone(QObject* context, std::function<void()> then) {
    bool already = false;
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->context = context;
        m_state->then = std::move(then);
        already = m_state->done;
    }
    if (already) {
        post(m_state);
    }
}

void FolderReading::cancel() {
    const std::lock_guard lock(m_state->mutex);
    m_state->cancelled = true;
    m_state->then = {};
}
