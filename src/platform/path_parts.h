#pragma once

#include <QDir>
#include <QString>

// The parts of a path as plain text: no disk access, and names that carry kept bytes (see
// file_name_codec.h) come through unchanged.
namespace path_parts {

inline QString join(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? QString(folder + name) : QString(folder + u'/' + name);
}

// The folder of an absolute path ("/" for an item at the root).
inline QString parentOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

inline QString nameOf(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// True when an absolute path is already as QDir::cleanPath would make it: no empty, "." or ".."
// parts and no closing "/".
inline bool isClean(QStringView path) {
    if (path.isEmpty() || path.front() != u'/') {
        return false;
    }
    if (path.size() == 1) {
        return true;
    }
    if (path.back() == u'/') {
        return false;
    }
    qsizetype partStart = 1;
    for (qsizetype i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != u'/') {
            continue;
        }
        const QStringView part = path.sliced(partStart, i - partStart);
        if (part.isEmpty() || part == u"." || part == u"..") {
            return false;
        }
        partStart = i + 1;
    }
    return true;
}

// An absolute path made clean, untouched (and not copied) when it is already.
inline QString cleaned(const QString& path) {
    return isClean(path) ? path : QDir::cleanPath(path);
}

}  // namespace path_parts
