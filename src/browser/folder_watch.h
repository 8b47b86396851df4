#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>

class QSocketNotifier;
template <typename T>
class BackgroundCall;

// Watches folders for what other programs do in them (inotify, within its limits): entries
// created, deleted, renamed, written or with changed attributes; or, for a tree, subfolders only.
// Changes in one folder are told once, a moment after the first, however many come. A watched
// folder that is deleted, moved away or unmounted is told as gone and no longer watched.
// Starting to watch may wait on the file system (a share that has stopped answering), so it is
// done off the window's thread; a folder whose watch has not started yet is simply not watched.
class FolderWatch : public QObject {
    Q_OBJECT
public:
    enum class Entries { All, FoldersOnly };

    explicit FolderWatch(Entries entries = Entries::All, QObject* parent = nullptr);
    ~FolderWatch() override;

    // Watches this folder instead of those before; an empty path stops watching.
    void watch(const QString& folder);
    // Watches these folders (paths as given, without a trailing "/" but for the root).
    void watchAll(const QStringList& folders);
    QStringList folders() const { return QStringList(m_wanted.cbegin(), m_wanted.cend()); }
    // True once the folder's watch has started (a test waits for it).
    bool isWatching(const QString& folder) const;
    // The start of the folder's watch while it is on its way, else nothing. Whoever reads the
    // folder after it has started misses nothing: later changes are told.
    std::shared_ptr<BackgroundCall<int>> starting(const QString& folder) const {
        return m_starting.value(folder);
    }

signals:
    // Something in the folder changed.
    void changed(const QString& folder);
    // The folder itself was deleted, moved away or unmounted.
    void gone(const QString& folder);

private:
    void readEvents();
    void startWatch(const QString& folder);
    void stopWatch(const QString& folder);
    void note(const QString& folder);
    void settled();

    const Entries m_entries;
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QSet<QString> m_wanted;
    QHash<QString, int> m_watchOf;  // started watches
    QHash<int, QString> m_folderOf;
    QHash<QString, std::shared_ptr<BackgroundCall<int>>> m_starting;
    QSet<int> m_early;  // watches that had events before their start was told here
    QTimer m_settle;
    QSet<QString> m_changed;  // folders told at the next settle
};
