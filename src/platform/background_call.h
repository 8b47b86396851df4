#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

// A call that may wait on a disk or a network (reading a folder, looking at a share), run on a
// thread of its own so the window's thread never waits on it for long. The window waits for it a
// moment and takes the result at once when it comes in that time; else it is told when it comes.
// The thread is never waited for at the end: one stuck in the kernel on a share that stopped
// answering is left behind, and what it returns later is thrown away.
template <typename T>
class BackgroundCall {
public:
    static std::shared_ptr<BackgroundCall> start(std::function<T()> work) {
        std::shared_ptr<BackgroundCall> call(new BackgroundCall);
        // Detached on purpose: see above. The thread holds the state, never the call.
        std::thread([state = call->m_state, work = std::move(work)] {
            T result = work();
            {
                const std::lock_guard lock(state->mutex);
                if (state->cancelled) {
                    return;
                }
                state->result = std::move(result);
                state->done = true;
            }
            state->finished.notify_all();
            post(state);
        }).detach();
        return call;
    }

    // Waits up to the deadline; true when the call has returned.
    bool waitFor(std::chrono::milliseconds deadline) {
        std::unique_lock lock(m_state->mutex);
        return m_state->finished.wait_for(lock, deadline, [this] { return m_state->done; });
    }
    bool done() const {
        const std::lock_guard lock(m_state->mutex);
        return m_state->done;
    }
    // The result (once, when done).
    T take() {
        const std::lock_guard lock(m_state->mutex);
        return std::exchange(m_state->result, T{});
    }
    // Runs `then` on the window's thread once the call has returned (queued, also when it has
    // already), unless the context has gone or the call was cancelled first.
    void whenDone(QObject* context, std::function<void()> then) {
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
    // Nobody wants the result any more.
    void cancel() {
        const std::lock_guard lock(m_state->mutex);
        m_state->cancelled = true;
        m_state->then = {};
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
        bool cancelled = false;
        T result{};
        QPointer<QObject> context;  // looked at on the window's thread only
        std::function<void()> then;
    };

    BackgroundCall() = default;

    static void post(const std::shared_ptr<State>& state) {
        QCoreApplication* app = QCoreApplication::instance();
        if (app == nullptr) {
            return;
        }
        // Delivered through the application object, which outlives every window.
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

    std::shared_ptr<State> m_state = std::make_shared<State>();
};
