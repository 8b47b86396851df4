#pragma once

#include <QImage>
#include <QString>
#include <cstdint>

#include "browser/thumbnail_cache.h"

// Which files get a thumbnail: pictures, and videos and sounds (a frame, or their cover art).
enum class ThumbnailKind { None, Picture, Video };
// By the name's extension, as the desktop's file types tell it.
ThumbnailKind thumbnailKindOf(const QString& name);

// One file to make a thumbnail of, as the list knows it.
struct ThumbnailJob {
    QString path;
    std::int64_t mtime = 0;  // last write, seconds since the epoch
    std::int64_t bytes = -1;
    ThumbnailKind kind = ThumbnailKind::Picture;
};

struct ThumbnailResult {
    QImage image;          // at most `side` on its longer edge; null: the file keeps its icon
    bool decoded = false;  // made from the file, not taken from the cache
};

// Makes the thumbnail of one file, on a worker: from the cache when it holds a current one, else
// from the file, then stored in the cache for every program. A file that cannot be made into a
// picture is marked failed in the cache and not tried again until it changes.
class ThumbnailMaker {
public:
    ThumbnailMaker(ThumbnailCache cache, int side) : m_cache(std::move(cache)), m_side(side) {}

    ThumbnailResult make(const ThumbnailJob& job) const;

    // A picture decoded at reduced scale (JPEG decodes at an eighth of its size when that is
    // enough), turned as its EXIF orientation says, at most `side` on its longer edge.
    static QImage pictureThumbnail(const QString& path, int side);

private:
    ThumbnailCache m_cache;
    int m_side;
};
