#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

// Long work done step by step on a thread of its own (counting a folder tree, searching one),
// each step's output handed to the window's thread in order while the next step runs. At most a
// few outputs wait for the window at a time; the thread waits for it beyond that, so a window
// slow to show them is never buried. As with BackgroundCall, the thread is never waited for: one
// stuck in the kernel on a share that stopped answering is left behind, and what it hands on
// after a cancel is thrown away.
template <typename Output>
class SteppedCall {
public:
    // step runs on the thread: it fills one output and returns whether more steps follow.
    // deliver runs on the thread of context, with each output and whether more follow, unless the
    // call was cancelled or context has gone.
    static std::shared_ptr<SteppedCall> start(QObject* context, std::function<bool(Output&)> step,
                                              std::function<void(Output, bool more)> deliver) {
        std::shared_ptr<SteppedCall> call(new SteppedCall);
        call->m_state->context = context;
        call->m_state->deliver = std::move(deliver);
        std::thread([state = call->m_state, step = std::move(step)] {
            bool more = true;
            while (more) {
                Output output;
                more = step(output);
                {
                    std::unique_lock lock(state->mutex);
                    state->roomToHand.wait(lock, [&state] {
                        return state->cancelled || state->waiting < kMostWaiting;
                    });
                    if (state->cancelled) {
                        return;
                    }
                    ++state->waiting;
                }
                hand(state, std::move(output), more);
            }
        }).detach();
        return call;
    }

    // Nobody wants the rest: the thread stops after its step, and nothing more is delivered.
    void cancel() {
        {
            const std::lock_guard lock(m_state->mutex);
            m_state->cancelled = true;
            m_state->deliver = {};
        }
        m_state->roomToHand.notify_all();
    }

private:
    static constexpr int kMostWaiting = 4;

    struct State {
        std::mutex mutex;
        std::condition_variable roomToHand;
        int waiting = 0;  // outputs handed on that the window has not taken yet
        bool cancelled = false;
        QPointer<QObject> context;  // looked at on the window's thread only
        std::function<void(Output, bool)> deliver;
    };

    SteppedCall() = default;

    static void hand(const std::shared_ptr<State>& state, Output output, bool more) {
        QCoreApplication* app = QCoreApplication::instance();
        if (app == nullptr) {
            return;
        }
        // Delivered through the application object, which outlives every window.
        QMetaObject::invokeMethod(
            app,
            [state, output = std::move(output), more]() mutable {
                std::function<void(Output, bool)> deliver;
                {
                    const std::lock_guard lock(state->mutex);
                    --state->waiting;
                    if (!state->cancelled) {
                        deliver = state->deliver;
                    }
                }
                state->roomToHand.notify_all();
                if (deliver && state->context) {
                    deliver(std::move(output), more);
                }
            },
            Qt::QueuedConnection);
    }

    std::shared_ptr<State> m_state = std::make_shared<State>();
};
