#include "browser/folder_watch.h"

namespace {
// Long enough to take a burst of changes as one, short enough that rows follow within half a
// second.
constexpr int kSettleMs = 150;
}  // namespace

FolderWatch::FolderWatch(QObject* parent) : QObject(parent) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &FolderWatch::changed);
    // Not restarted by later changes: a folder that keeps changing is still looked at twice a
    // second or so.
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!m_settle.isActive()) {
            m_settle.start();
        }
    });
}

void FolderWatch::watch(const QString& folder) {
    if (folder == m_folder) {
        return;
    }
    m_settle.stop();
    if (!m_watcher.directories().isEmpty()) {
        m_watcher.removePaths(m_watcher.directories());
    }
    m_folder = folder;
    if (!folder.isEmpty()) {
        m_watcher.addPath(folder);
    }
}
