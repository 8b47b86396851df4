#include "platform/folder_size.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>

FolderSizeCounter::FolderSizeCounter(QObject* parent) : QObject(parent) {}

FolderSizeCounter::~FolderSizeCounter() {
    stop();
}

void FolderSizeCounter::start(const QString& folder) {
    stop();
    m_totals = {};
    // The walk and its totals belong to the counting thread; each step hands on a copy.
    auto iterator = std::make_shared<QDirIterator>(
        folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    auto totals = std::make_shared<Totals>();
    m_call = SteppedCall<Slice>::start(
        this,
        [iterator, totals, cap = m_cap](Slice& slice) {
            QElapsedTimer clock;
            clock.start();
            bool more = true;
            while (more && clock.elapsed() < 20) {
                if (!iterator->hasNext()) {
                    more = false;
                    break;
                }
                iterator->next();
                const QFileInfo info = iterator->fileInfo();
                if (info.isDir() && !info.isSymLink()) {
                    ++totals->folders;
                } else {
                    ++totals->files;
                    if (!info.isSymLink()) {
                        totals->bytes += info.size();
                    }
                }
                if (totals->files + totals->folders >= cap) {
                    slice.capped = true;
                    more = false;
                }
            }
            slice.totals = *totals;
            return more;
        },
        [this](Slice slice, bool more) {
            m_totals = slice.totals;
            if (more) {
                emit progressed(m_totals);
                return;
            }
            m_call.reset();
            emit finished(m_totals, !slice.capped);
        });
}

void FolderSizeCounter::stop() {
    if (m_call) {
        m_call->cancel();
        m_call.reset();
    }
}
