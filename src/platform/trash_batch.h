#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "platform/file_op_outcome.h"
#include "platform/trash.h"

// Several items moved into the trash as one deletion. check() looks at every item before
// anything is touched: it is there, and its file system has a trash it can go into. put() then
// writes every item's .trashinfo, brings them all to disk together, and only then moves the
// items in; when one cannot be moved, those moved so far go back to their places and no info
// file of the batch is left behind. Each folder is looked up once however many items it holds,
// so that deleting thousands of files costs little more than their renames.
class TrashBatch {
public:
    explicit TrashBatch(Trash& trash);

    // Checks the items (absolute paths) and keeps them for put().
    FileOpOutcome check(const QStringList& paths);
    // Moves the checked items into the trash: all of them, or none.
    FileOpOutcome put();

    // What put() moved into the trash, in the order of the items.
    const QList<TrashEntry>& entries() const { return m_entries; }
    // The errno value behind the last failure, or Trash::kNoUsableTrash.
    int error() const { return m_error; }

private:
    struct Folder {
        QString real;    // the folder's real path, links resolved
        int trash = -1;  // where its items go; -1 when nowhere
    };
    struct TrashDir {
        QString path;
        int items = 0;
        QHash<QString, int> nextTry;  // name -> the first try not known to be taken
    };
    struct Item {
        QString path;
        QString name;
        int folder = 0;
        QString trashName;  // its name under files/, once its info file is written
    };

    int folderOf(const QString& path);
    int writeInfo(Item& item, const QByteArray& date, bool flushNow);
    void backOut(qsizetype moved);
    FileOpOutcome fail(FileOpFailure failure, const QString& path, int err);

    Trash& m_trash;
    QList<Folder> m_folders;
    QHash<QString, int> m_folderIndex;
    QList<TrashDir> m_trashDirs;
    QList<Item> m_items;
    QList<TrashEntry> m_entries;
    QDateTime m_now;
    int m_error = 0;
};
