#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

// Watches the folder on show for files and folders that other programs create, delete or rename
// (inotify, within its limits). A burst of changes is told once, a moment after the first.
class FolderWatch : public QObject {
    Q_OBJECT
public:
    explicit FolderWatch(QObject* parent = nullptr);

    // Watches this folder instead of the one before; an empty path stops watching.
    void watch(const QString& folder);
    QString folder() const { return m_folder; }

signals:
    // Something in the folder changed (or the folder itself went).
    void changed();

private:
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QString m_folder;
};
