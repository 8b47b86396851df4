#pragma once

#include <QHash>
#include <QString>
#include <QtGlobal>
#include <optional>

// What the play history knows of files, as the store keeps it and the window reads it.

// A file as it was on disk: a file whose stamp differs from the stored one has been replaced
// or changed, and loses its position. The time is whole seconds, as the list's rows carry it.
struct FileStamp {
    qint64 size = 0;
    qint64 mtime = 0;  // last write, seconds since the epoch

    bool operator==(const FileStamp&) const = default;

    // The stamp of the file at path now; none when it cannot be read (gone, no access).
    static std::optional<FileStamp> of(const QString& path);
};

// One row of a listed folder: its name (as the list holds it) and its stamp.
struct RowStamp {
    QString name;
    FileStamp stamp;
};

// The stored state of one file. All zero and false: nothing is known of it.
struct FileHistory {
    qint64 positionMs = 0;  // where it was left; 0 once its stamp changed
    qint64 durationMs = 0;  // its length when it was left; 0 when unknown
    bool played = false;    // played to its end (or nearly) at some time

    bool operator==(const FileHistory&) const = default;
    bool isEmpty() const { return positionMs == 0 && durationMs == 0 && !played; }
};

// A file of a folder as the store keeps it: its stamp when last seen and its state then.
struct StoredFile {
    QString name;
    FileStamp stamp;
    FileHistory history;
};

// The files of one folder that have a stored state, by name.
using FolderHistory = QHash<QString, FileHistory>;

// Where a file is to start: startMs 0 is from the beginning.
struct ResumePoint {
    qint64 startMs = 0;
    FileHistory stored;
};
