#include "browser/folder_watch.h"

#include <sys/inotify.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <cstring>

#include "browser/file_name_codec.h"
#include "platform/background_call.h"

namespace {
// Long enough to take a burst of changes as one, short enough that rows follow within half a
// second.
constexpr int kSettleMs = 150;

constexpr std::uint32_t kGone = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT;
constexpr std::uint32_t kEntryEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

std::uint32_t maskFor(FolderWatch::Entries entries) {
    std::uint32_t mask = kEntryEvents | kGone | IN_ONLYDIR | IN_EXCL_UNLINK;
    if (entries == FolderWatch::Entries::All) {
        mask |= IN_ATTRIB | IN_CLOSE_WRITE;  // a file written to its end, or touched
    }
    return mask;
}
}  // namespace

FolderWatch::FolderWatch(Entries entries, QObject* parent)
    : QObject(parent), m_entries(entries), m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    // Not restarted by later changes: a folder that keeps changing is still looked at twice a
    // second or so.
    connect(&m_settle, &QTimer::timeout, this, &FolderWatch::settled);
    if (m_fd >= 0) {
        m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, &FolderWatch::readEvents);
    }
}

FolderWatch::~FolderWatch() {
    for (auto& starting : m_starting) {
        starting->cancel();
    }
    m_notifier.reset();
    if (m_fd >= 0) {
        // A watch still being started on a stuck share holds the descriptor's file until its
        // call returns; the watch then goes with it.
        close(m_fd);
    }
}

void FolderWatch::watch(const QString& folder) {
    watchAll(folder.isEmpty() ? QStringList() : QStringList{folder});
}

void FolderWatch::watchAll(const QStringList& folders) {
    const QSet<QString> wanted(folders.cbegin(), folders.cend());
    QSet<QString> dropped = m_wanted;
    dropped.subtract(wanted);
    for (const QString& folder : std::as_const(dropped)) {
        stopWatch(folder);
    }
    QSet<QString> added = wanted;
    added.subtract(m_wanted);
    m_wanted = wanted;
    for (const QString& folder : added) {
        startWatch(folder);
    }
}

bool FolderWatch::isWatching(const QString& folder) const {
    return m_watchOf.contains(folder);
}

void FolderWatch::startWatch(const QString& folder) {
    if (m_fd < 0) {
        return;
    }
    const int fd = m_fd;
    auto start =
        BackgroundCall<int>::start([fd, path = encodeFileName(folder), mask = maskFor(m_entries)] {
            return inotify_add_watch(fd, path.constData(), mask);
        });
    m_starting.insert(folder, start);
    start->whenDone(this, [this, folder, start] {
        const int wd = start->take();
        if (m_starting.value(folder) != start) {
            // No longer wanted: a watch the kernel started all the same goes again, unless
            // another path of the same folder uses it.
            if (wd >= 0 && !m_folderOf.contains(wd)) {
                inotify_rm_watch(m_fd, wd);
            }
            return;
        }
        m_starting.remove(folder);
        if (m_starting.isEmpty()) {
            m_early.clear();
        }
        if (wd < 0) {
            return;  // not there, not a folder, or no watches left: the folder goes unwatched
        }
        // Two paths of one folder share a watch: the later one names it.
        m_watchOf.insert(folder, wd);
        m_folderOf.insert(wd, folder);
        // What happened between the kernel's start and now is told as well.
        if (m_early.remove(wd)) {
            note(folder);
        }
    });
}

void FolderWatch::stopWatch(const QString& folder) {
    m_starting.remove(folder);  // a watch that starts after all goes again at once
    m_changed.remove(folder);
    if (!m_watchOf.contains(folder)) {
        return;
    }
    const int wd = m_watchOf.take(folder);
    if (m_folderOf.value(wd) == folder) {
        m_folderOf.remove(wd);
        // The watch is of a folder known to the kernel: no path is looked up.
        inotify_rm_watch(m_fd, wd);
    }
}

void FolderWatch::readEvents() {
    alignas(inotify_event) std::array<char, 16384> buffer;
    QStringList went;
    for (;;) {
        const ssize_t got = read(m_fd, buffer.data(), buffer.size());
        if (got <= 0) {
            break;  // EAGAIN: all read
        }
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            const auto it = m_folderOf.constFind(event->wd);
            if (it == m_folderOf.cend()) {
                if (!m_starting.isEmpty()) {
                    m_early.insert(event->wd);  // perhaps a watch whose start is on its way
                }
                continue;
            }
            const QString folder = *it;
            if ((event->mask & (kGone | IN_IGNORED)) != 0) {
                if (!went.contains(folder)) {
                    went << folder;
                }
                continue;
            }
            if (m_entries == Entries::FoldersOnly && (event->mask & IN_ISDIR) == 0) {
                continue;
            }
            note(folder);
        }
    }
    for (const QString& folder : std::as_const(went)) {
        if (m_watchOf.contains(folder)) {
            const int wd = m_watchOf.take(folder);
            m_folderOf.remove(wd);
            inotify_rm_watch(m_fd, wd);  // already gone with the folder, or as good as
        }
        m_wanted.remove(folder);
        m_changed.remove(folder);
        emit gone(folder);
    }
}

void FolderWatch::note(const QString& folder) {
    m_changed.insert(folder);
    if (!m_settle.isActive()) {
        m_settle.start();
    }
}

void FolderWatch::settled() {
    const QSet<QString> folders = std::exchange(m_changed, {});
    for (const QString& folder : folders) {
        if (m_wanted.contains(folder)) {
            emit changed(folder);
        }
    }
}
