#include "platform/path_list.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <cerrno>
#include <functional>

#include "platform/file_op_outcome.h"
#include "platform/path_text.h"
#include "platform/run_error.h"

QStringList parsePathList(const QString& list) {
    QStringList paths;
    qsizetype start = 0;
    while (start < list.size()) {
        qsizetype end = list.indexOf(QChar(u'\0'), start);
        if (end < 0) {
            end = list.size();
        }
        if (end == start) {
            break;
        }
        paths.append(list.mid(start, end - start));
        start = end + 1;
    }
    return paths;
}

QString makePathList(const QStringList& paths) {
    QString list;
    for (const QString& path : paths) {
        list += path + QChar(u'\0');
    }
    return list + QChar(u'\0');
}

QStringList normalizeSources(const QStringList& paths, FileOpOutcome& outcome) {
    QStringList sources;
    QSet<QString> listed;
    listed.reserve(paths.size());
    for (const QString& path : paths) {
        if (!QDir::isAbsolutePath(path)) {
            outcome = FileOpOutcome::fromErrno(FileOpFailure::NotFullPath, path, EINVAL);
            return {};
        }
        const QString clean = cleanedPath(path);
        if (!listed.contains(clean)) {
            listed.insert(clean);
            sources.append(clean);
        }
    }
    if (sources.isEmpty()) {
        outcome = {run_error::kBadFileName, FileOpFailure::NoPaths, {}, {}};
        return {};
    }
    // An item inside another listed folder goes with that folder. What is known of a folder is
    // kept, so that thousands of items from one folder cost one look each.
    QHash<QString, bool> withListed;  // folder -> it or a folder above it is listed
    const std::function<bool(const QString&)> isWithListed = [&](const QString& folder) {
        if (folder == u"/") {
            return listed.contains(folder);
        }
        const auto known = withListed.constFind(folder);
        if (known != withListed.constEnd()) {
            return *known;
        }
        const bool result = listed.contains(folder) || isWithListed(GetParentFolder(folder));
        withListed.insert(folder, result);
        return result;
    };
    QStringList outer;
    outer.reserve(sources.size());
    QString lastFolder;
    bool lastInside = false;
    for (const QString& path : sources) {
        if (path == u"/") {
            outer.append(path);
            continue;
        }
        const qsizetype slash = path.lastIndexOf(u'/');
        const QStringView folder = slash == 0 ? QStringView(u"/") : QStringView(path).left(slash);
        if (lastFolder.isNull() || folder != lastFolder) {
            lastFolder = folder.toString();
            lastInside = isWithListed(lastFolder);
        }
        if (!lastInside) {
            outer.append(path);
        }
    }
    return outer;
}
