#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "platform/file_operations.h"

class Dialogs;
class FileOpProgress;

// The run-time error number an operation reports for an errno value (never 0 or 7).
int shellErrorFromErrno(int err);

// The sources of an operation as clean absolute paths, each once, without those inside another
// one; an explanation in outcome when a path is not absolute or there is none.
QStringList normalizeSources(const QStringList& paths, FileOperations::Outcome& outcome);

// One move, from the user's questions to the last file: first every question is asked and
// every step planned without touching anything; then the steps run, each one written down so
// that a failure or a cancel can undo all that was done; only when every item is in place are
// the sources of copies and the replaced files removed.
class FileMover {
public:
    FileMover(Dialogs& dialogs, FileOpProgress& progress);

    FileOperations::Outcome move(const QStringList& sources, const QString& destination,
                                 bool confirm);

private:
    enum class StepKind { Move, Replace, MergeFolder };
    struct Step {
        StepKind kind;
        QString source;
        QString target;
        bool crossDevice = false;
    };
    enum class DoneKind { Renamed, Copied, BackedUp };
    struct Done {
        DoneKind kind;
        QString from;
        QString to;
    };

    int plan(const QString& source, const QString& target, FileOperations::Outcome& outcome);
    bool checkRemovable(const Step& step, FileOperations::Outcome& outcome) const;
    bool run(const Step& step, FileOperations::Outcome& outcome);
    bool copyToTemporary(const Step& step, QString& temporary, FileOperations::Outcome& outcome);
    bool fail(const QString& path, int err, FileOperations::Outcome& outcome) const;
    void rollBack();
    void commit(FileOperations::Outcome& outcome);

    Dialogs& m_dialogs;
    FileOpProgress& m_progress;
    QList<Step> m_steps;
    QList<Done> m_done;
    QStringList m_sourcesWhenDone;  // sources of copies, removed last
    QStringList m_backupsWhenDone;  // the files that were replaced, removed last
    QStringList m_foldersWhenDone;  // merged source folders, removed last when empty
    QStringList m_touchedFolders;   // folders whose entries are flushed before sources go
    bool m_progressShown = false;
    qint64 m_work = 0;
    qint64 m_workDone = 0;
};
