#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "browser/folder_scan.h"

// The subfolders of many folders (a node's children, one level ahead), read on a few threads of
// their own that each take the next folder as they finish one: a folder on a share that does not
// answer holds one thread, and the others go on. The window takes what was read within its
// deadline at once, and is handed the rest one by one as it comes. The threads are never waited
// for at the end: one stuck in the kernel is left behind, and what it reads is thrown away.
class SubFolderScans {
public:
    using Scan = std::pair<int, SubFolderScan>;  // the folder's place in the list given, its scan

    static std::shared_ptr<SubFolderScans> start(std::vector<QByteArray> folders,
                                                 AttributeFilter filter, int threads);

    // Waits until a batch of folders not taken yet has been read, or every folder is, or the wait
    // is over;
    // the scans read so far, each once.
    std::vector<Scan> takeRead(std::chrono::milliseconds wait);
    // True once every folder has been read and taken.
    bool allTaken() const;
    // Each scan not taken yet is handed to then on the context's thread as it comes (also those
    // that came before this call), unless the context has gone first.
    void whenEachRead(QObject* context, std::function<void(Scan)> then);

private:
    struct State {
        std::mutex mutex;
        std::condition_variable read;
        std::vector<QByteArray> folders;
        AttributeFilter filter;
        size_t next = 0;     // the next folder a thread takes
        size_t pending = 0;  // folders not read yet
        size_t taken = 0;    // scans handed out
        std::vector<Scan> ready;
        QPointer<QObject> context;
        std::function<void(Scan)> then;
    };
    static void work(const std::shared_ptr<State>& state);
    static void handOver(const std::shared_ptr<State>& state, std::vector<Scan> scans);

    const std::shared_ptr<State> m_state = std::make_shared<State>();
};
