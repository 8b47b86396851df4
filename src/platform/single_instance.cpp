#include "platform/single_instance.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

SingleInstanceGuard::SingleInstanceGuard(QString lockPath) : m_lockPath(std::move(lockPath)) {}

bool SingleInstanceGuard::tryAcquire() {
    if (m_lock && m_lock->isLocked()) {
        return true;
    }
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // Age alone must never make a running copy's lock stale: only a dead owner does.
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
}

QString SingleInstanceGuard::defaultLockPath(const QString& baseName) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable()) {
        return runtime + u'/' + baseName + u".lock";
    }
    return QDir::tempPath() + u'/' + baseName + u'-' + QString::number(getuid()) + u".lock";
}
