#pragma once

#include <sys/types.h>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "platform/file_op_outcome.h"

class FileOpProgress;

// One item of a move: where it is, and the exact path it goes to.
struct MovedItem {
    QString from;
    QString to;
    friend bool operator==(const MovedItem&, const MovedItem&) = default;
};

enum class ConflictAnswer { Yes, No, Cancel };

// What a move asks when the place of an item is taken: Yes replaces the file or merges the
// folder, No leaves that item where it is, Cancel ends the move before anything is touched.
class MoveQuestions {
public:
    virtual ~MoveQuestions() = default;
    virtual ConflictAnswer replaceFile(const QString& target) = 0;
    virtual ConflictAnswer mergeFolder(const QString& target) = 0;
};

// One move, from the questions to the last file: first every question is asked and every step
// planned without touching anything; then the steps run, each one written down so that a
// failure or a cancel can undo all that was done; only when every item is in place are the
// sources of copies and the replaced files removed. Across file systems an item is copied to a
// hidden name beside its target, checked, and only then renamed into place. A mover serves one
// move.
class FileMover {
public:
    // The progress label for the item called name.
    using LabelFor = std::function<QString(const QString& name)>;

    FileMover(FileOpProgress& progress, MoveQuestions& questions);

    // What the progress shows while items are copied: its title and each item's label.
    void setProgressText(const QString& title, LabelFor label);

    // The moves of sources into the folder destination; with one source and a destination that
    // is not a folder (but whose folder is), the move of that source to the path destination.
    static FileOpOutcome targetsFor(const QStringList& sources, const QString& destination,
                                    QList<MovedItem>& items);

    // Moves every item from its path to its target path (absolute, clean paths whose target
    // folders exist).
    FileOpOutcome move(const QList<MovedItem>& items);

    // What went where once move() is over: the items as they moved and, for a folder merged
    // into one that was there, each item moved into it. A failed or cancelled move moved nothing,
    // unless it failed only in removing a source of a finished copy.
    const QList<MovedItem>& moved() const { return m_moved; }

private:
    enum class StepKind { Move, Replace, MergeFolder };
    // An open folder (O_PATH): the items in it are reached by name without a new look-up of
    // the folder's path.
    using FolderHandle = std::shared_ptr<const int>;
    struct Step {
        StepKind kind;
        QString source;
        QString target;
        bool crossDevice = false;
        FolderHandle sourceFolder;
        FolderHandle targetFolder;
    };
    enum class DoneKind { Renamed, Copied, BackedUp };
    struct Done {
        DoneKind kind;
        QString from;
        QString to;
    };
    struct Folder {
        int err = 0;
        dev_t device = 0;
        QString real;
        // Its names, when many items go into it: read once instead of a look for each target.
        std::shared_ptr<const QSet<QString>> names;
        FolderHandle handle;
    };

    Folder folder(const QString& path);
    Folder folderOf(const QString& item);
    void listBusyFolders(const QList<MovedItem>& items);
    bool targetExists(const Folder& folder, const QString& target, struct stat& st) const;
    int plan(const QString& source, const QString& target, FileOpOutcome& outcome);
    // True when a path (its folder's real path and its name) is where a file system is mounted.
    bool isMountPoint(const QString& realPath);
    bool checkRemovable(const Step& step, FileOpOutcome& outcome) const;
    bool run(const Step& step, FileOpOutcome& outcome);
    bool copyToTemporary(const Step& step, QString& temporary, FileOpOutcome& outcome);
    bool fail(const QString& path, int err, FileOpOutcome& outcome) const;
    void rollBack();
    void commit(FileOpOutcome& outcome);

    FileOpProgress& m_progress;
    MoveQuestions& m_questions;
    QString m_title;
    LabelFor m_label;
    QHash<QString, Folder> m_folders;
    QString m_lastFolderPath;
    Folder m_lastFolder;
    bool m_hasLastFolder = false;
    int m_handlesOpen = 0;
    QSet<QString> m_mountPoints;
    bool m_mountPointsRead = false;
    QList<Step> m_steps;
    QList<Done> m_done;
    QList<MovedItem> m_moved;
    QStringList m_sourcesWhenDone;   // sources of copies, removed last
    QStringList m_backupsWhenDone;   // the files that were replaced, removed last
    QStringList m_foldersWhenDone;   // merged source folders, removed last when empty
    QSet<QString> m_touchedFolders;  // folders whose entries are flushed before sources go
    bool m_progressShown = false;
    qint64 m_work = 0;
    qint64 m_workDone = 0;
};
