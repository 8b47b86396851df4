#include "browser/thumbnail_cache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace {

constexpr const char* kFolders[] = {"normal", "large", "x-large"};
constexpr int kSides[] = {128, 256, 512};

QString md5Name(const QString& path) {
    return QString::fromLatin1(
               QCryptographicHash::hash(ThumbnailCache::uriOf(path), QCryptographicHash::Md5)
                   .toHex()) +
           u".png";
}

// Thumbnails show what the user has: the folder is the user's alone (0700).
bool makeFolder(const QString& folder) {
    if (QDir(folder).exists()) {
        return true;
    }
    if (!QDir().mkpath(folder)) {
        return false;
    }
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return true;
}

bool writePng(const QString& file, QImage image, const QByteArray& uri, std::int64_t mtime,
              std::int64_t bytes) {
    if (!makeFolder(QFileInfo(file).path())) {
        return false;
    }
    image.setText(QStringLiteral("Thumb::URI"), QString::fromUtf8(uri));
    image.setText(QStringLiteral("Thumb::MTime"), QString::number(mtime));
    if (bytes >= 0) {
        image.setText(QStringLiteral("Thumb::Size"), QString::number(bytes));
    }
    image.setText(QStringLiteral("Software"), QStringLiteral("Quorvane"));
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) {
        return false;
    }
    out.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    QImageWriter writer(&out, "png");
    return writer.write(image) && out.commit();
}

// The image of a cache file when its keys say it was made from this file as it is now.
QImage readIfCurrent(const QString& file, const QByteArray& uri, std::int64_t mtime,
                     std::int64_t bytes) {
    // Read whole: other programs may write their keys after the picture, where a reader looking
    // at the header alone never sees them (a thumbnail is small).
    QImage image;
    if (!image.load(file, "png")) {
        return {};
    }
    if (image.text(QStringLiteral("Thumb::URI")).toUtf8() != uri ||
        image.text(QStringLiteral("Thumb::MTime")).toLongLong() != mtime) {
        return {};
    }
    const QString size = image.text(QStringLiteral("Thumb::Size"));
    if (bytes >= 0 && !size.isEmpty() && size.toLongLong() != bytes) {
        return {};
    }
    return image;
}

}  // namespace

ThumbnailCache::ThumbnailCache(QString root) : m_root(std::move(root)) {
    if (m_root.isEmpty()) {
        m_root =
            QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + u"/thumbnails";
    }
}

ThumbnailCache::Size ThumbnailCache::sizeFor(int side) {
    if (side <= kSides[0]) {
        return Size::Normal;
    }
    return side <= kSides[1] ? Size::Large : Size::XLarge;
}

int ThumbnailCache::sideOf(Size size) {
    return kSides[static_cast<int>(size)];
}

QByteArray ThumbnailCache::uriOf(const QString& path) {
    return QUrl::fromLocalFile(path).toEncoded();
}

QString ThumbnailCache::thumbnailPath(const QString& path, Size size) const {
    return m_root + u'/' + QLatin1String(kFolders[static_cast<int>(size)]) + u'/' + md5Name(path);
}

QString ThumbnailCache::failurePath(const QString& path) const {
    return m_root + u"/fail/quorvane/" + md5Name(path);
}

QImage ThumbnailCache::load(const QString& path, std::int64_t mtime, std::int64_t bytes,
                            Size size) const {
    return readIfCurrent(thumbnailPath(path, size), uriOf(path), mtime, bytes);
}

bool ThumbnailCache::save(const QString& path, std::int64_t mtime, std::int64_t bytes,
                          const QImage& image, Size size) const {
    const int side = sideOf(size);
    const QImage fitted =
        image.width() > side || image.height() > side
            ? image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            : image;
    return writePng(thumbnailPath(path, size), fitted, uriOf(path), mtime, bytes);
}

bool ThumbnailCache::failed(const QString& path, std::int64_t mtime) const {
    return !readIfCurrent(failurePath(path), uriOf(path), mtime, -1).isNull();
}

void ThumbnailCache::markFailed(const QString& path, std::int64_t mtime) const {
    QImage mark(1, 1, QImage::Format_ARGB32);
    mark.fill(Qt::transparent);
    writePng(failurePath(path), mark, uriOf(path), mtime, -1);
}

void ThumbnailCache::forget(const QString& path) const {
    for (int s = 0; s < 3; ++s) {
        QFile::remove(thumbnailPath(path, static_cast<Size>(s)));
    }
    QFile::remove(failurePath(path));
}
