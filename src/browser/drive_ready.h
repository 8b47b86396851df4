#pragma once

#include <QList>
#include <QString>
#include <memory>
#include <optional>

#include "platform/background_call.h"

#include "platform/volumes.h"

class Dialogs;

// The drive test before the browser opens a path: true when the path's volume is known, there and
// ready; otherwise the user is told why and the answer is false.
bool DriveReady(Dialogs& dialogs, const QString& path, const QList<Volume>& volumes);
// The same with the volume's top already looked at (off the window's thread): accessError is
// volumeAccessError of the path's volume.
bool DriveReady(Dialogs& dialogs, const QString& path, const QList<Volume>& volumes,
                int accessError);

// What a look at a path found: its volume's readiness and whether it is a folder or a file. It
// waits on the disk (a share that has stopped answering holds it), so it runs off the window's
// thread.
struct PathLook {
    bool folder = false;
    bool file = false;
    int driveError = 0;  // the volume's top could not be read: errno; 0 when it could
};
PathLook lookAtPath(const QString& path, const std::optional<Volume>& volume);
// The same, started on a thread of its own for a path among these volumes.
std::shared_ptr<BackgroundCall<PathLook>> lookAtPathLater(const QString& path,
                                                          const QList<Volume>& volumes);
// A path whose look has not answered for seconds: its volume is told as not ready.
void tellDriveNotAnswering(Dialogs& dialogs, const QString& path, const QList<Volume>& volumes);

// The type name the messages use for a drive type.
QString driveTypeName(DriveType type);
