#include "history/play_history.h"

#include "history/messages.h"
#include "history/resume_rules.h"

PlayHistory::PlayHistory(const QString& storePath, QObject* parent)
    : QObject(parent), m_storePath(storePath) {
    m_worker = std::make_unique<HistoryWorker>(
        storePath, this, [this](HistoryStore::Status status) { reportUnavailable(status); });
}

PlayHistory::~PlayHistory() {
    close();
}

void PlayHistory::reportUnavailable(HistoryStore::Status status) {
    if (!m_available) {
        return;
    }
    m_available = false;
    QString reason;
    switch (status) {
        case HistoryStore::Status::Ready:
            return;
        case HistoryStore::Status::CannotCreate:
            reason = history_msg::cannotCreate(m_storePath);
            break;
        case HistoryStore::Status::Locked:
            reason = history_msg::locked(m_storePath);
            break;
        case HistoryStore::Status::Corrupt:
            reason = history_msg::corrupt(m_storePath);
            break;
        case HistoryStore::Status::Newer:
            reason = history_msg::newer(m_storePath);
            break;
        case HistoryStore::Status::Failed:
            reason = history_msg::writeFailed(m_storePath);
            break;
    }
    emit unavailable(reason);
}

void PlayHistory::postWrite(std::function<bool(HistoryStore&)> write, bool commitNow) {
    if (!m_available || !m_worker) {
        return;
    }
    m_worker->post([write = std::move(write), commitNow](HistoryWorker::Session& session) {
        if (!session.write()) {
            return;
        }
        session.check(write(*session.store()));
        if (commitNow) {
            session.commitNow();
        }
    });
}

template <typename Result>
void PlayHistory::postLookUp(QObject* context, std::function<Result(HistoryWorker::Session&)> work,
                             std::function<void(const Result&)> then) {
    QPointer<QObject> guard(context != nullptr ? context : this);
    if (!m_worker) {
        return;
    }
    // then and guard are moved along, never copied on the worker.
    m_worker->post([work = std::move(work), then = std::move(then),
                    guard = std::move(guard)](HistoryWorker::Session& session) mutable {
        Result result = work(session);
        session.reply(
            [then = std::move(then), guard = std::move(guard), result = std::move(result)] {
                if (guard) {
                    then(result);
                }
            });
    });
}

void PlayHistory::savePlayback(const QString& path, qint64 positionMs, qint64 durationMs,
                               bool reachedEnd) {
    if (!m_available || !m_worker) {
        return;
    }
    const bool played = countsAsPlayed(positionMs, durationMs, reachedEnd);
    m_worker->post([=](HistoryWorker::Session& session) {
        const auto stamp = FileStamp::of(path);
        if (!stamp || !session.write()) {
            return;
        }
        session.check(session.store()->savePlayback(path, *stamp, positionMs, durationMs, played));
        // Another file than the last: the one left is on disk at once.
        if (path != session.lastSavedPath) {
            session.commitNow();
            session.lastSavedPath = path;
        }
    });
}

void PlayHistory::setLastRow(const QString& folder, const QString& name) {
    postWrite([=](HistoryStore& store) { return store.setLastRow(folder, name); }, false);
}

void PlayHistory::movePath(const QString& from, const QString& to) {
    postWrite([=](HistoryStore& store) { return store.movePath(from, to); }, true);
}

void PlayHistory::clearMarks(const QStringList& paths) {
    postWrite([=](HistoryStore& store) { return store.clearMarks(paths); }, true);
}

void PlayHistory::clearAll() {
    // Not in a transaction: emptying the file needs its own (see HistoryStore::clearAll).
    if (!m_available || !m_worker) {
        return;
    }
    m_worker->post([](HistoryWorker::Session& session) {
        if (HistoryStore* store = session.store()) {
            session.check(store->clearAll());
        }
    });
}

void PlayHistory::lookUpFolder(const QString& folder, std::vector<RowStamp> rows, QObject* context,
                               std::function<void(const FolderHistory&)> then) {
    postLookUp<FolderHistory>(
        context,
        [folder, rows = std::move(rows)](HistoryWorker::Session& session) {
            // It writes when it finds a changed file.
            if (!session.write()) {
                return FolderHistory{};
            }
            auto found = session.store()->folder(folder, rows);
            session.check(found.has_value());
            return found.value_or(FolderHistory{});
        },
        std::move(then));
}

void PlayHistory::readFolder(const QString& folder,
                             std::function<void(std::vector<StoredFile>)> give) {
    if (!m_available || !m_worker) {
        give({});
        return;
    }
    m_worker->post([folder, give = std::move(give)](HistoryWorker::Session& session) {
        HistoryStore* store = session.store();
        if (store == nullptr) {
            give({});
            return;
        }
        auto stored = store->storedFolder(folder);
        session.check(stored.has_value());
        give(std::move(stored).value_or(std::vector<StoredFile>{}));
    });
}

void PlayHistory::lookUpResume(const QString& path, QObject* context,
                               std::function<void(const ResumePoint&)> then) {
    postLookUp<ResumePoint>(
        context,
        [path](HistoryWorker::Session& session) {
            const auto stamp = FileStamp::of(path);
            if (!stamp || !session.write()) {
                return ResumePoint{};
            }
            const auto stored = session.store()->file(path, *stamp);
            session.check(stored.has_value());
            const FileHistory file = stored.value_or(FileHistory{});
            return ResumePoint{resumePositionMs(file.positionMs, file.durationMs), file};
        },
        std::move(then));
}

void PlayHistory::lookUpLastRow(const QString& folder, QObject* context,
                                std::function<void(const QString&)> then) {
    postLookUp<QString>(
        context,
        [folder](HistoryWorker::Session& session) {
            HistoryStore* store = session.store();
            if (store == nullptr) {
                return QString();
            }
            const auto name = store->lastRow(folder);
            session.check(name.has_value());
            return name.value_or(QString());
        },
        std::move(then));
}

bool PlayHistory::flush(std::chrono::milliseconds bound) {
    return !m_worker || m_worker->flush(bound);
}

bool PlayHistory::close(std::chrono::milliseconds bound) {
    if (!m_worker) {
        return true;
    }
    const bool finished = m_worker->stop(bound);
    m_worker.reset();
    return finished;
}
