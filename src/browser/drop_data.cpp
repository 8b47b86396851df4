#include "browser/drop_data.h"

#include <QMimeData>

#include "browser/file_name_codec.h"

namespace {

QString sourceFormat() {
    return QStringLiteral("application/x-quorvane-drag-source");
}

QByteArray sourceTag(DropKind kind) {
    return kind == DropKind::TreeFolder ? QByteArrayLiteral("tree") : QByteArrayLiteral("list");
}

}  // namespace

QUrl fileUrlOf(const QString& path) {
    // Percent-encoding the bytes themselves keeps a name that is not UTF-8 as it is on disk.
    return QUrl::fromEncoded(QByteArrayLiteral("file://") +
                                 encodeFileName(path).toPercentEncoding(QByteArrayLiteral("/")),
                             QUrl::StrictMode);
}

QString pathOfFileUrl(const QUrl& url) {
    if (!url.isLocalFile()) {
        return {};
    }
    const QByteArray encoded = url.path(QUrl::FullyEncoded).toLatin1();
    return decodeFileName(QByteArray::fromPercentEncoding(encoded));
}

QMimeData* makeDragData(DropKind source, const QStringList& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    urls.reserve(paths.size());
    for (const QString& path : paths) {
        urls.append(fileUrlOf(path));
    }
    data->setUrls(urls);
    if (source == DropKind::TreeFolder || source == DropKind::ListRows) {
        data->setData(sourceFormat(), sourceTag(source));
    }
    return data;
}

QStringList droppedPaths(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        const QString path = pathOfFileUrl(url);
        if (!path.isEmpty()) {
            paths.append(path);
        }
    }
    return paths;
}

DropKind dropKindOf(const QMimeData* data) {
    if (data == nullptr) {
        return DropKind::None;
    }
    if (data->hasFormat(sourceFormat())) {
        const QByteArray tag = data->data(sourceFormat());
        if (tag == sourceTag(DropKind::TreeFolder)) {
            return DropKind::TreeFolder;
        }
        if (tag == sourceTag(DropKind::ListRows)) {
            return DropKind::ListRows;
        }
    }
    return droppedPaths(data).isEmpty() ? DropKind::None : DropKind::OutsideItems;
}
