#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// Keeps a second copy of the program from starting: the first copy holds a lock file in the
// user's runtime folder for as long as it runs. A lock left behind by a copy that died is taken
// over, however old it is; a lock of a running copy never is.
class SingleInstanceGuard {
public:
    explicit SingleInstanceGuard(QString lockPath);

    // True when this process now holds the lock (or already did).
    bool tryAcquire();
    QString lockPath() const { return m_lockPath; }

    // The lock file for the executable's base name: $XDG_RUNTIME_DIR/<base>.lock, or the temp
    // folder with the user id in the name when there is no runtime folder.
    static QString defaultLockPath(const QString& baseName);

private:
    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
};
