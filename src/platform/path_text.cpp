#include "platform/path_text.h"

#include <QDir>

namespace {

// The path without the "/" at its end, except that "/" stays "/". A view: moves and trash runs
// take thousands of paths apart, and only the part asked for is copied.
QStringView withoutTrailingSlash(const QString& path) {
    qsizetype end = path.size();
    while (end > 1 && path[end - 1] == u'/') {
        --end;
    }
    return QStringView(path).left(end);
}

}  // namespace

QString GetFileNm(const QString& path) {
    const QStringView p = withoutTrailingSlash(path);
    if (p == u"/") {
        return {};
    }
    return p.sliced(p.lastIndexOf(u'/') + 1).toString();
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
    const QStringView p = withoutTrailingSlash(path);
    if (p.isEmpty() || p == u"/") {
        return {};
    }
    const qsizetype slash = p.lastIndexOf(u'/');
    if (slash < 0) {
        return {};
    }
    return slash == 0 ? QStringLiteral("/") : p.left(slash).toString();
}

QString RemoveExtension(const QString& path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || dot < slash) {
        return path;
    }
    return path.left(dot);
}

QString folderPrefix(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString childKey(const QString& folder, const QString& name) {
    // Built in one piece: moves and trash runs make one for each of thousands of items.
    return folder.endsWith(u'/') ? QString(folder + name) : QString(folder + u'/' + name);
}

QString folderKey(const QString& path) {
    QString key;
    key.reserve(path.size());
    for (const QChar c : path) {
        if (c == u'/' && key.endsWith(u'/')) {
            continue;
        }
        key.append(c);
    }
    if (key.size() > 1 && key.endsWith(u'/')) {
        key.chop(1);
    }
    return key;
}

bool isCleanPath(QStringView path) {
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

QString cleanedPath(const QString& path) {
    return isCleanPath(path) ? path : QDir::cleanPath(path);
}
