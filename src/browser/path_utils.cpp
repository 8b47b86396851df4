#include "browser/path_utils.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "platform/byte_size_text.h"

QString GetDriveNm(const QString& path, const QList<Volume>& volumes) {
    // No rule for short paths here: a drive name ("C:") was short, but "/x" is a folder on the
    // volume of "/", and only a mount point makes a root.
    const Volume* volume = volumeOf(path, volumes);
    return volume ? volume->mountPoint : QString();
}

QString GetDriveNm(const QString& path) {
    if (!path.startsWith(u'/')) {
        return {};
    }
    return GetDriveNm(path, listVolumes());
}

bool IsUNCPath(const QString& path, const QList<Volume>& volumes) {
    if (path.startsWith(u"//") && path.size() > 2 && path[2] != u'/') {
        return true;
    }
    const Volume* volume = volumeOf(path, volumes);
    return volume != nullptr && volume->type == DriveType::Remote;
}

bool IsUNCPath(const QString& path) {
    return IsUNCPath(path, listVolumes());
}

QString SizeText(const QString& countText) {
    bool ok = false;
    const double count = countText.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(count) || count < 0 || count > 9.2e18) {
        return QStringLiteral("0");
    }
    const QString text = QString(13, u' ') + FormatByteSize(static_cast<std::int64_t>(count));
    return text.right(13);
}

QString FileTimeText(std::int64_t unixSeconds) {
    const time_t t = static_cast<time_t>(unixSeconds);
    struct tm local {};
    if (localtime_r(&t, &local) == nullptr) {
        return {};
    }
    char buffer[40];
    const int n =
        snprintf(buffer, sizeof buffer, "%d/%02d/%02d %02d:%02d:%02d", local.tm_year + 1900,
                 local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return QString::fromLatin1(buffer, n);
}
