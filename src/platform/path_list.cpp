#include "platform/path_list.h"

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
