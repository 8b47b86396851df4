#include "browser/volume_names.h"

#include <QDir>
#include <QFileInfo>

#include "browser/messages.h"
#include "platform/path_text.h"

namespace {

// udev writes blanks, slashes and other unsafe bytes of a label as \xNN.
QString unescapeLabel(const QString& name) {
    const QByteArray bytes = name.toUtf8();
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\\' && i + 3 < bytes.size() && bytes[i + 1] == 'x') {
            bool ok = false;
            const int value = bytes.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.append(bytes[i]);
    }
    return QString::fromUtf8(out);
}

}  // namespace

QHash<QString, QString> readVolumeLabels(const QString& byLabelFolder) {
    QHash<QString, QString> labels;
    const QDir folder(byLabelFolder);
    for (const QFileInfo& link :
         folder.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString device = link.canonicalFilePath();
        if (!device.isEmpty()) {
            labels.insert(device, unescapeLabel(link.fileName()));
        }
    }
    return labels;
}

QString volumeLabel(const Volume& volume, const QHash<QString, QString>& labels) {
    if (volume.device.isEmpty() || labels.isEmpty()) {
        return {};
    }
    // fstab may name the device through another link (by-uuid); the labels know its real path.
    if (volume.device.startsWith(u'/')) {
        const QString real = QFileInfo(volume.device).canonicalFilePath();
        if (!real.isEmpty() && labels.contains(real)) {
            return labels.value(real);
        }
    }
    return labels.value(volume.device);
}

QString volumeDisplayName(const Volume& volume, const QHash<QString, QString>& labels) {
    const QString& mountPoint = volume.mountPoint;
    if (mountPoint == u"/") {
        return browser_msg::volumeName(QString::fromUtf16(browser_msg::kVolumeRootName),
                                       mountPoint);
    }
    if (mountPoint == u"/home") {
        return browser_msg::volumeName(QString::fromUtf16(browser_msg::kVolumeHomeName),
                                       mountPoint);
    }
    QString name = volumeLabel(volume, labels).trimmed();
    if (name.isEmpty()) {
        name = GetFileNm(mountPoint);
    }
    if (name.isEmpty()) {
        return mountPoint;
    }
    return browser_msg::volumeName(name, mountPoint);
}
