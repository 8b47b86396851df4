#include "browser/sub_folder_scans.h"

#include <QMetaObject>
#include <thread>

std::shared_ptr<SubFolderScans> SubFolderScans::start(std::vector<QByteArray> folders,
                                                      AttributeFilter filter, int threads) {
    auto scans = std::make_shared<SubFolderScans>();
    const std::shared_ptr<State>& state = scans->m_state;
    state->folders = std::move(folders);
    state->filter = filter;
    state->pending = state->folders.size();
    const size_t count = std::min(state->folders.size(), size_t(std::max(threads, 1)));
    for (size_t i = 0; i < count; ++i) {
        std::thread([state] { work(state); }).detach();
    }
    return scans;
}

void SubFolderScans::work(const std::shared_ptr<State>& state) {
    for (;;) {
        size_t index = 0;
        QByteArray folder;
        {
            const std::lock_guard lock(state->mutex);
            if (state->next >= state->folders.size()) {
                return;
            }
            index = state->next++;
            folder = state->folders[index];
        }
        SubFolderScan scan = scanSubFolders(folder, state->filter);
        std::vector<Scan> handed;
        {
            const std::lock_guard lock(state->mutex);
            --state->pending;
            state->ready.emplace_back(int(index), std::move(scan));
            if (state->then) {
                handed = std::exchange(state->ready, {});
            }
        }
        state->read.notify_all();
        if (!handed.empty()) {
            handOver(state, std::move(handed));
        }
    }
}

void SubFolderScans::handOver(const std::shared_ptr<State>& state, std::vector<Scan> scans) {
    QPointer<QObject> context;
    {
        const std::lock_guard lock(state->mutex);
        context = state->context;
    }
    if (context.isNull()) {
        return;
    }
    QMetaObject::invokeMethod(
        context.data(),
        [state, context, scans = std::move(scans)]() mutable {
            if (context.isNull()) {
                return;
            }
            std::function<void(Scan)> then;
            {
                const std::lock_guard lock(state->mutex);
                then = state->then;
            }
            for (Scan& scan : scans) {
                then(std::move(scan));
            }
        },
        Qt::QueuedConnection);
}

std::vector<SubFolderScans::Scan> SubFolderScans::takeRead(std::chrono::milliseconds wait) {
    std::unique_lock lock(m_state->mutex);
    // A few at a time: each wake-up of the window costs more than reading one small folder.
    constexpr size_t kBatch = 100;
    m_state->read.wait_for(
        lock, wait, [this] { return m_state->ready.size() >= kBatch || m_state->pending == 0; });
    m_state->taken += m_state->ready.size();
    return std::exchange(m_state->ready, {});
}

bool SubFolderScans::allTaken() const {
    const std::lock_guard lock(m_state->mutex);
    return m_state->taken == m_state->folders.size();
}

void SubFolderScans::whenEachRead(QObject* context, std::function<void(Scan)> then) {
    std::vector<Scan> already;
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->context = context;
        m_state->then = std::move(then);
        already = std::exchange(m_state->ready, {});
    }
    if (!already.empty()) {
        handOver(m_state, std::move(already));
    }
}
