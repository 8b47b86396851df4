#pragma once

#include <QHash>
#include <QString>

#include "platform/volumes.h"

// The names the location box shows for volumes: "/" and "/home" by their role, any other by the
// label of its file system, or the last part of its mount point when it has none, always with the
// mount point in brackets so that two disks of the same label stay apart.

// File-system labels by device (the device's real path), as udev publishes them: one link per
// label in byLabelFolder, named after the label with "\xNN" escapes.
QHash<QString, QString> readVolumeLabels(
    const QString& byLabelFolder = QStringLiteral("/dev/disk/by-label"));

// The label of a volume's device; empty when it has none.
QString volumeLabel(const Volume& volume, const QHash<QString, QString>& labels);

QString volumeDisplayName(const Volume& volume, const QHash<QString, QString>& labels);
