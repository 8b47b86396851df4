#include "browser/thumbnail_maker.h"

#include <QImageReader>
#include <QMimeDatabase>

#include "browser/video_frame.h"

ThumbnailKind thumbnailKindOf(const QString& name) {
    static const QMimeDatabase mimes;
    const QString type = mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension).name();
    if (type.startsWith(u"image/")) {
        return ThumbnailKind::Picture;
    }
    if (type.startsWith(u"video/") || type.startsWith(u"audio/")) {
        return ThumbnailKind::Video;
    }
    return ThumbnailKind::None;
}

QImage ThumbnailMaker::pictureThumbnail(const QString& path, int side) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize size = reader.size();
    if (size.isValid() && (size.width() > side || size.height() > side)) {
        // The reader scales before it turns: the size asked is the file's own way round.
        reader.setScaledSize(size.scaled(side, side, Qt::KeepAspectRatio));
    }
    QImage image = reader.read();
    if (!image.isNull() && (image.width() > side || image.height() > side)) {
        image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    return image;
}

ThumbnailResult ThumbnailMaker::make(const ThumbnailJob& job) const {
    ThumbnailResult result;
    const ThumbnailCache::Size size = ThumbnailCache::sizeFor(m_side);
    const int cacheSide = ThumbnailCache::sideOf(size);
    QImage image = m_cache.load(job.path, job.mtime, job.bytes, size);
    if (image.isNull()) {
        if (m_cache.failed(job.path, job.mtime)) {
            return result;
        }
        if (job.kind == ThumbnailKind::Picture) {
            image = pictureThumbnail(job.path, cacheSide);
        }
        // FFmpeg reads the pictures Qt has no reader for, and videos and sounds.
        if (image.isNull()) {
            image = videoFrame(job.path, cacheSide);
        }
        result.decoded = true;
        if (image.isNull()) {
            m_cache.markFailed(job.path, job.mtime);
            return result;
        }
        m_cache.save(job.path, job.mtime, job.bytes, image, size);
    }
    if (image.width() > m_side || image.height() > m_side) {
        image = image.scaled(m_side, m_side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    result.image = std::move(image);
    return result;
}
