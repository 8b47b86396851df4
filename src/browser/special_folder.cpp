#include "browser/special_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/volumes.h"

QString ClsGetSpecialFolder::NetWorkPath() const {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime + u"/gvfs").isDir()) {
        return runtime + u"/gvfs";
    }
    for (const Volume& volume : listVolumes()) {
        if (volume.type == DriveType::Remote && volume.mounted) {
            return volume.mountPoint;
        }
    }
    return {};
}

QString ClsGetSpecialFolder::MyDocumentPath() const {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString ClsGetSpecialFolder::DesktopPath() const {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString ClsGetSpecialFolder::SendToPath() const { return {}; }

QString ClsGetSpecialFolder::FavoritesDirPath() const { return {}; }

QString ClsGetSpecialFolder::ProgramsDirPath() const {
    return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
}

QString ClsGetSpecialFolder::WindowsPath() const { return {}; }

QString ClsGetSpecialFolder::SystemPath() const { return {}; }

QString ClsGetSpecialFolder::TempPath() const { return QDir::tempPath() + u'/'; }
