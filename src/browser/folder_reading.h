#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "browser/file_lister.h"

// One folder read on a thread of its own, so that a folder that takes long (a huge one, or one on
// a network share that has stopped answering) never holds the window's thread. The window waits
// for it a moment, and takes the rows at once when they come in that time; else it is told when
// they come. The thread is never waited for at the end: one stuck in the kernel on a dead share
// is left behind, and what it reads later is thrown away.
class FolderReading {
public:
    static std::shared_ptr<FolderReading> start(FileLister lister, const QString& path);

    // Waits up to the deadline; true when the folder has been read.
    bool waitFor(std::chrono::milliseconds deadline);
    bool done() const;
    // The rows read (once, when done).
    Listing take();
    // Runs `then` on the thread of `context` once the folder has been read (at once, queued, when
    // it has been already), unless the context has gone or the reading was cancelled first.
    void whenDone(QObject* context, std::function<void()> then);
    // Nobody wants the rows any more.
    void cancel();

private:
    struct State;
    explicit FolderReading(std::shared_ptr<State> state) : m_state(std::move(state)) {}
    static void post(const std::shared_ptr<State>& state);

    std::shared_ptr<State> m_state;
};
