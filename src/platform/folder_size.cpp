#include "platform/folder_size.h"

#include <QElapsedTimer>
#include <QFileInfo>

FolderSizeCounter::FolderSizeCounter(QObject* parent) : QObject(parent) {
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &FolderSizeCounter::countSlice);
}

FolderSizeCounter::~FolderSizeCounter() = default;

void FolderSizeCounter::start(const QString& folder) {
    stop();
    m_totals = {};
    m_iterator = std::make_unique<QDirIterator>(
        folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    m_timer.start();
}

void FolderSizeCounter::stop() {
    m_timer.stop();
    m_iterator.reset();
}

void FolderSizeCounter::countSlice() {
    QElapsedTimer slice;
    slice.start();
    while (m_iterator && m_iterator->hasNext()) {
        m_iterator->next();
        const QFileInfo info = m_iterator->fileInfo();
        if (info.isDir() && !info.isSymLink()) {
            ++m_totals.folders;
        } else {
            ++m_totals.files;
            if (!info.isSymLink()) {
                m_totals.bytes += info.size();
            }
        }
        if (m_totals.files + m_totals.folders >= m_cap) {
            stop();
            emit finished(m_totals, false);
            return;
        }
        if (slice.elapsed() >= 20) {
            emit progressed(m_totals);
            return;
        }
    }
    stop();
    emit finished(m_totals, true);
}
