#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "browser/thumbnail_cache.h"
#include "browser/thumbnail_maker.h"

// The thumbnails the list waits for, made on worker threads in the order last asked: whoever
// asks names the rows in view first and those after them next, and each new ask replaces what
// still waits, so rows scrolled past are never made for nothing. Each thumbnail is told to the
// thread the queue lives on. A file being made when it is asked again is not made twice. The
// workers end when nothing waits; none is waited for, so a file on a disk that stopped answering
// holds no one up.
class ThumbnailQueue : public QObject {
    Q_OBJECT
public:
    // workers: how many thumbnails are made at once.
    explicit ThumbnailQueue(ThumbnailCache cache = ThumbnailCache(), int workers = 2,
                            QObject* parent = nullptr);
    ~ThumbnailQueue() override;

    // The longer edge of the thumbnails told from now on, in device pixels.
    void setSide(int side);
    int side() const;
    // Replaces the files waiting with these, made in this order.
    void want(std::vector<ThumbnailJob> jobs);
    // Drops every file waiting.
    void clear() { want({}); }
    // A file is gone: its cache entries go too (on a worker).
    void forget(const QString& path);
    // How many thumbnails were made from their files rather than taken from the cache.
    int decodes() const;
    // Files waiting or being made.
    int pending() const;

signals:
    // A thumbnail of a file as it was at mtime; a null image when it has none (it keeps its
    // icon). side: the edge it was made for.
    void ready(const QString& path, std::int64_t mtime, const QImage& image, int side);

private:
    struct State;
    void startWorkers();
    static void work(std::shared_ptr<State> state);

    std::shared_ptr<State> m_state;
};
