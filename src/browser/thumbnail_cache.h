#pragma once

#include <QImage>
#include <QString>
#include <cstdint>

// The freedesktop thumbnail cache, shared with every other program of the desktop: a PNG per
// file and size under $XDG_CACHE_HOME/thumbnails/{normal,large,x-large}, named after the MD5 of
// the file's URI and carrying that URI (Thumb::URI) and the file's last write (Thumb::MTime), so
// that a thumbnail made by another program is taken as it is and ours serve them. A file that
// could not be read gets an entry under fail/, so it is not tried again until it changes.
// Every call reads or writes the disk: only workers call it. Writes go to a temporary file
// first and are renamed into place, so a reader never sees half a thumbnail.
class ThumbnailCache {
public:
    enum class Size { Normal, Large, XLarge };

    // root: the thumbnails folder; empty takes $XDG_CACHE_HOME/thumbnails (~/.cache/thumbnails).
    explicit ThumbnailCache(QString root = {});

    // The size whose thumbnails are at least `side` pixels on their longer edge (the largest
    // when none is), and that edge.
    static Size sizeFor(int side);
    static int sideOf(Size size);
    // file:// URI of a local path, as every thumbnailer spells it.
    static QByteArray uriOf(const QString& path);

    QString root() const { return m_root; }
    // Where the thumbnail of a file of that size lives, and its failure entry.
    QString thumbnailPath(const QString& path, Size size) const;
    QString failurePath(const QString& path) const;

    // The thumbnail of that size when the cache holds one made from the file as it is now (its
    // URI and last write match; its size too, when recorded); else a null image.
    QImage load(const QString& path, std::int64_t mtime, std::int64_t bytes, Size size) const;
    // Stores a thumbnail (scaled down to the size when larger); false when it cannot be written.
    bool save(const QString& path, std::int64_t mtime, std::int64_t bytes, const QImage& image,
              Size size) const;
    // Whether our failure entry is there for the file as it is now; marking one.
    bool failed(const QString& path, std::int64_t mtime) const;
    void markFailed(const QString& path, std::int64_t mtime) const;
    // Removes every entry of a file that is gone.
    void forget(const QString& path) const;

private:
    QString m_root;
};
