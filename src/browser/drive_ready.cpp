#include "browser/drive_ready.h"

#include <cerrno>
#include <exception>

#include "browser/messages.h"
#include "browser/path_utils.h"
#include "platform/dialogs.h"
#include "platform/error_box.h"
#include "platform/file_exist.h"
#include "platform/run_error.h"

QString driveTypeName(DriveType type) {
    const int index = static_cast<int>(type);
    if (index < 2 || index > 6) {
        return {};
    }
    return QString::fromUtf16(browser_msg::kDriveTypeNames[index]);
}

bool DriveReady(Dialogs& dialogs, const QString& path, const QList<Volume>& volumes) {
    const Volume* volume = volumeOf(path, volumes);
    return DriveReady(
        dialogs, path, volumes,
        volume && volume->type != DriveType::Unknown ? volumeAccessError(*volume) : 0);
}

bool DriveReady(Dialogs& dialogs, const QString& path, const QList<Volume>& volumes,
                int accessError) {
    try {
        const Volume* volume = volumeOf(path, volumes);
        if (volume == nullptr) {
            dialogs.message(browser_msg::driveMissing(path), MsgIcon::Critical);
            return false;
        }
        if (volume->type == DriveType::Unknown) {
            dialogs.message(browser_msg::driveTypeUnknown(volume->mountPoint), MsgIcon::Critical);
            return false;
        }
        const int error = accessError;
        if (error == 0) {
            return true;
        }
        // Mounted, but this user may not read its top: that is no drive waiting for a medium.
        if (error == EACCES || error == EPERM) {
            throwErrno(error);
        }
        dialogs.message(browser_msg::driveNotReady(volume->mountPoint, driveTypeName(volume->type)),
                        MsgIcon::Information);
        return false;
    } catch (const std::exception& e) {
        ErrMsgDsp(dialogs, e);
        return false;
    }
}

PathLook lookAtPath(const QString& path, const std::optional<Volume>& volume) {
    PathLook look;
    look.driveError = volume && volume->type != DriveType::Unknown ? volumeAccessError(*volume) : 0;
    look.folder = look.driveError == 0 && FolderExist(path);
    look.file = look.driveError == 0 && !look.folder && FileExist(path);
    return look;
}

std::shared_ptr<BackgroundCall<PathLook>> lookAtPathLater(const QString& path,
                                                          const QList<Volume>& volumes) {
    const Volume* volume = volumeOf(path, volumes);
    return BackgroundCall<PathLook>::start(
        [path, volume = volume ? std::optional<Volume>(*volume) : std::nullopt] {
            return lookAtPath(path, volume);
        });
}

void tellDriveNotAnswering(Dialogs& dialogs, const QString& path, const QList<Volume>& volumes) {
    const Volume* volume = volumeOf(path, volumes);
    const QString drive = volume ? volume->mountPoint : GetDriveNm(path, volumes);
    dialogs.message(
        browser_msg::driveNotReady(drive, driveTypeName(volume ? volume->type : DriveType::Remote)),
        MsgIcon::Information);
}
