#pragma once

#include <QList>
#include <QString>

#include "platform/volumes.h"

class Dialogs;

// The drive test before the browser opens a path: true when the path's volume is known, there and
// ready; otherwise the user is told why and the answer is false.
bool DriveReady(Dialogs& dialogs, const QString& path);
bool DriveReady(Dialogs& dialogs, const QString& path, const QList<Volume>& volumes);
// The same with the volume's top already looked at (off the window's thread): accessError is
// volumeAccessError of the path's volume.
bool DriveReady(Dialogs& dialogs, const QString& path, const QList<Volume>& volumes,
                int accessError);

// The type name the messages use for a drive type.
QString driveTypeName(DriveType type);
