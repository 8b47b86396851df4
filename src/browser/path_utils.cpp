#include "browser/path_utils.h"

#include <sys/stat.h>
#include <QFile>
#include <QLocale>
#include <cmath>
#include <ctime>

#include "browser/file_name_codec.h"
#include "browser/messages.h"

namespace {

// The path without trailing separators, except that "/" stays "/".
QString withoutTrailingSlash(const QString& path) {
    qsizetype end = path.size();
    while (end > 1 && path[end - 1] == u'/') {
        --end;
    }
    return path.left(end);
}

bool statPath(const QString& path, struct stat& st) {
    return !path.isEmpty() && stat(encodeFileName(path).constData(), &st) == 0;
}

}  // namespace

QString GetFileNm(const QString& path) {
    const QString p = withoutTrailingSlash(path);
    if (p == u"/") {
        return {};
    }
    return p.mid(p.lastIndexOf(u'/') + 1);
}

QString GetExtName(const QString& path) {
    if (path.isEmpty()) {
        return {};
    }
    const QString name = GetFileNm(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString GetBaseNm(const QString& path) {
    const QString name = GetFileNm(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString GetParentFolder(const QString& path) {
    const QString p = withoutTrailingSlash(path);
    if (p.isEmpty() || p == u"/") {
        return {};
    }
    const qsizetype slash = p.lastIndexOf(u'/');
    if (slash < 0) {
        return {};
    }
    return slash == 0 ? QStringLiteral("/") : p.left(slash);
}

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

bool FileExist(const QString& path) {
    struct stat st {};
    return statPath(path, st) && !S_ISDIR(st.st_mode);
}

bool FolderExist(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    struct stat st {};
    const QString folder = path.endsWith(u'/') ? path : path + u'/';
    return statPath(folder, st) && S_ISDIR(st.st_mode);
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

QString RemoveExtension(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || dot < slash) {
        return path;
    }
    return path.left(dot);
}

QString FormatByteSize(std::int64_t bytes) {
    if (bytes < 1024) {
        return QString::number(bytes) + u' ' + QString::fromUtf16(browser_msg::kBytes);
    }
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double value = static_cast<double>(bytes) / 1024.0;
    int unit = 0;
    while (value >= 1000.0 && unit < 5) {
        value /= 1024.0;
        ++unit;
    }
    // Three significant digits, cut rather than rounded so a size never reads larger than it is.
    QString number;
    if (value < 10.0) {
        number = QString::number(std::floor(value * 100.0) / 100.0, 'f', 2);
    } else if (value < 100.0) {
        number = QString::number(std::floor(value * 10.0) / 10.0, 'f', 1);
    } else {
        number = QString::number(std::floor(value), 'f', 0);
    }
    return number + u' ' + QLatin1StringView(kUnits[unit]);
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
