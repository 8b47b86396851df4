#pragma once

#include <QList>
#include <QString>

#include "platform/file_mover.h"
#include "platform/trash.h"

class Dialogs;
class FileOpProgress;

// What the file commands of this run did on disk, step by step, so that the last steps can be
// undone: items put in the trash come back out of it (under their names, with their times),
// moved items move back (across file systems by a checked copy), renamed items get their old
// names. Nothing is ever replaced on the way back: where an item's old place is taken, the user
// is asked whether the item there may go to the trash; if not, the item stays where it is.
class UndoHistory {
public:
    // The steps kept; older ones are forgotten.
    static constexpr int kMaxSteps = 50;

    UndoHistory(Dialogs& dialogs, Trash& trash, FileOpProgress& progress);

    // Everything recorded between beginStep and endStep is undone together (one command, e.g.
    // the extension changes of one dialog OK). Steps begun inside a step belong to it. Outside
    // a step, each record is a step of its own.
    void beginStep(const QString& description);
    // A step that recorded nothing is dropped.
    void endStep();

    void recordTrashed(const QList<TrashEntry>& entries);
    // Items of one move, as they moved; they move back together.
    void recordMoved(const QList<MovedItem>& items);
    // A plain rename, not made through FileOperations.
    void recordRenamed(const QString& from, const QString& to);

    bool canUndo() const { return !m_steps.isEmpty(); }
    // What the next undo undoes, e.g. "ファイル削除"; empty when there is nothing.
    QString undoDescription() const;

    struct Result {
        int code = 0;        // 0 done, 7 the user declined everything or stopped it, else error
        QString statusText;  // what the status bar says
        // Each item that went back: from = where it was before the undo ("" for an item that
        // came out of the trash), to = where it is now.
        QList<MovedItem> reverted;
    };
    // Undoes the last step. What cannot be undone because of a failure stays as the last step.
    Result undo();

private:
    enum class Kind { Trashed, Moved };
    // What one operation did: entries it put in the trash, or items it moved or renamed.
    struct Record {
        Kind kind = Kind::Moved;
        QList<TrashEntry> entries;
        QList<MovedItem> items;
    };
    struct Step {
        QString description;
        QList<Record> records;
    };
    // How far an undo got.
    struct Run {
        int code = 0;
        qsizetype left = 0;  // items left where they were at the user's word
        QList<MovedItem> reverted;
    };
    enum class Place { Free, Kept, Failed };

    void add(Record record, const QString& description);
    bool undoTrashed(Record& record, Run& run);
    bool undoMoved(Record& record, Run& run);
    Place clearPlace(const QString& path, Run& run);
    void fail(const QString& text, int code, Run& run);

    Dialogs& m_dialogs;
    Trash& m_trash;
    FileOpProgress& m_progress;
    QList<Step> m_steps;
    Step m_open;
    int m_depth = 0;
};
