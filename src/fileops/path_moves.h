#pragma once

#include <QObject>
#include <QString>

// Where the program's own renames and moves took files and folders on disk: the list's rename and
// move, the extension change, drops onto the tree, the tree's folder rename and move, and the
// undo of each (told from the new place back to the old). What is kept about a file by its path
// follows it from here. An item is told once, after it is in its new place: a folder once for
// everything under it; nothing for what was declined, failed or went to the trash.
class PathMoves : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // from and to are absolute paths; an item told to its own place says nothing.
    void tell(const QString& from, const QString& to);

signals:
    // The item that was at from is now at to, with everything under it. Connected by the window
    // to the play history.
    void moved(const QString& from, const QString& to);
};
