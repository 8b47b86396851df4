#include "platform/file_mover.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>

#include "platform/file_name_codec.h"
#include "platform/file_op_progress.h"
#include "platform/file_transfer.h"
#include "platform/path_text.h"
#include "platform/run_error.h"
#include "platform/volumes.h"

namespace {

// From this many items into one folder on, the folder's names are read in one go.
constexpr qsizetype kListFolderFrom = 64;
// How many folders a move keeps open at most.
constexpr int kMaxFolderHandles = 32;

bool lstatPath(const QString& path, struct stat& st) {
    return ::lstat(encodeFileName(path).constData(), &st) == 0;
}

bool statPath(const QString& path, struct stat& st) {
    return ::stat(encodeFileName(path).constData(), &st) == 0;
}

// True when the user may take entries out of folder: what removing a source after its copy
// needs, for the folder it is in and for every folder in it.
bool canEmpty(const QString& folder) {
    return ::access(encodeFileName(folder).constData(), W_OK | X_OK) == 0;
}

bool canRemoveTree(const QString& path) {
    struct stat st {};
    if (!lstatPath(path, st) || !S_ISDIR(st.st_mode)) {
        return true;
    }
    QStringList names;
    if (!canEmpty(path) || ::access(encodeFileName(path).constData(), R_OK) != 0 ||
        file_transfer::namesIn(path, names) != 0) {
        return false;
    }
    return std::all_of(names.cbegin(), names.cend(),
                       [&](const QString& name) { return canRemoveTree(childKey(path, name)); });
}

}  // namespace

FileMover::FileMover(FileOpProgress& progress, MoveQuestions& questions)
    : m_progress(progress), m_questions(questions) {}

void FileMover::setProgressText(const QString& title, LabelFor label) {
    m_title = title;
    m_label = std::move(label);
}

FileOpOutcome FileMover::targetsFor(const QStringList& sources, const QString& destination,
                                    QList<MovedItem>& items) {
    items.clear();
    if (!QDir::isAbsolutePath(destination)) {
        return FileOpOutcome::fromErrno(FileOpFailure::NotFullPath, destination, EINVAL);
    }
    const QString dest = QDir::cleanPath(destination);
    struct stat st {};
    if (statPath(dest, st) && S_ISDIR(st.st_mode)) {
        items.reserve(sources.size());
        const QString folder = dest.endsWith(u'/') ? dest : QString(dest + u'/');
        for (const QString& source : sources) {
            items.append(
                {source, folder + QStringView(source).sliced(source.lastIndexOf(u'/') + 1)});
        }
        return {};
    }
    if (sources.size() == 1 && statPath(GetParentFolder(dest), st) && S_ISDIR(st.st_mode)) {
        items.append({sources.first(), dest});
        return {};
    }
    return {run_error::kPathNotFound, FileOpFailure::DestinationMissing, dest, {}};
}

bool FileMover::fail(const QString& path, int err, FileOpOutcome& outcome) const {
    outcome = FileOpOutcome::fromErrno(FileOpFailure::CannotMove, path, err);
    return false;
}

// The items of a move mostly share their folders: the last one looked up is at hand without a
// copy of its path.
FileMover::Folder FileMover::folderOf(const QString& item) {
    const qsizetype slash = item.lastIndexOf(u'/');
    const QStringView path = slash <= 0 ? QStringView(u"/") : QStringView(item).left(slash);
    if (m_hasLastFolder && path == m_lastFolderPath) {
        return m_lastFolder;
    }
    m_lastFolderPath = path.toString();
    m_lastFolder = folder(m_lastFolderPath);
    m_hasLastFolder = true;
    return m_lastFolder;
}

FileMover::Folder FileMover::folder(const QString& path) {
    const auto found = m_folders.constFind(path);
    if (found != m_folders.constEnd()) {
        return *found;
    }
    Folder folder;
    struct stat st {};
    if (!statPath(path, st)) {
        folder.err = errno;
    } else {
        folder.device = st.st_dev;
        folder.real = file_transfer::realPath(path);
        folder.err = folder.real.isEmpty() ? ENOENT : 0;
        // A few folders are kept open: a merge of a large tree must not use up the
        // descriptors its copies need.
        const int fd = m_handlesOpen < kMaxFolderHandles ? ::open(encodeFileName(path).constData(),
                                                                  O_PATH | O_DIRECTORY | O_CLOEXEC)
                                                         : -1;
        if (fd >= 0) {
            ++m_handlesOpen;
            folder.handle = FolderHandle(new int(fd), [](const int* open) {
                ::close(*open);
                delete open;
            });
        }
    }
    m_folders.insert(path, folder);
    return folder;
}

void FileMover::listBusyFolders(const QList<MovedItem>& items) {
    QHash<QString, qsizetype> itemsInto;
    for (const MovedItem& item : items) {
        ++itemsInto[GetParentFolder(item.to)];
    }
    for (auto it = itemsInto.cbegin(); it != itemsInto.cend(); ++it) {
        if (it.value() < kListFolderFrom) {
            continue;
        }
        // A folder much larger than the move is not read: looking for each target costs less.
        QStringList names;
        if (file_transfer::namesIn(it.key(), names, 4 * it.value() + 1024) != 0) {
            continue;
        }
        Folder listed = folder(it.key());
        listed.names = std::make_shared<const QSet<QString>>(names.cbegin(), names.cend());
        m_folders.insert(it.key(), listed);
    }
}

// A name that a folder's listing lacks was not there when the move began; one made since then
// is still never replaced: the rename refuses it and the move is put back.
bool FileMover::targetExists(const Folder& folder, const QString& target, struct stat& st) const {
    if (folder.names && !folder.names->contains(GetFileNm(target))) {
        return false;
    }
    return lstatPath(target, st);
}

FileOpOutcome FileMover::move(const QList<MovedItem>& items) {
    FileOpOutcome outcome;
    listBusyFolders(items);
    for (const MovedItem& item : items) {
        if (const int code = plan(item.from, item.to, outcome); code != 0) {
            outcome.code = code;
            return outcome;
        }
    }
    for (const Step& step : m_steps) {
        if (!checkRemovable(step, outcome)) {
            return outcome;
        }
    }

    for (const Step& step : m_steps) {
        if (step.crossDevice && step.kind != StepKind::MergeFolder) {
            m_work += file_transfer::copyWork(step.source);
        }
    }
    for (const Step& step : m_steps) {
        if (!run(step, outcome)) {
            rollBack();
            if (m_progressShown) {
                m_progress.end();
            }
            return outcome;
        }
    }
    if (m_progressShown) {
        m_progress.end();
    }
    commit(outcome);
    return outcome;
}

int FileMover::plan(const QString& source, const QString& target, FileOpOutcome& outcome) {
    const Folder sourceFolder = folderOf(source);
    if (sourceFolder.err != 0) {
        fail(source, sourceFolder.err, outcome);
        return outcome.code;
    }
    const Folder targetFolder = folderOf(target);
    if (targetFolder.err != 0) {
        outcome = {run_error::kPathNotFound,
                   FileOpFailure::DestinationMissing,
                   GetParentFolder(target),
                   {}};
        return outcome.code;
    }
    const QString sourceName = GetFileNm(source);
    const QString targetName = GetFileNm(target);
    if (sourceName == targetName && sourceFolder.real == targetFolder.real) {
        return 0;  // already where it is asked to go
    }
    // Only a folder can have the target inside it.
    const QString realSource = childKey(sourceFolder.real, sourceName);
    if (childKey(targetFolder.real, targetName).startsWith(realSource + u'/')) {
        outcome = {run_error::kPathFileAccess, FileOpFailure::MoveIntoItself, source, {}};
        return outcome.code;
    }
    // A mount point: copying it over and removing it would empty that file system.
    if (isMountPoint(realSource)) {
        fail(source, EBUSY, outcome);
        return outcome.code;
    }
    const bool crossDevice = sourceFolder.device != targetFolder.device;

    // A free target needs nothing more of the source here: a source that has gone by now fails
    // its move, and the move is rolled back as for any failure.
    struct stat t {};
    if (!targetExists(targetFolder, target, t)) {
        m_steps.append({StepKind::Move, source, target, crossDevice, sourceFolder.handle,
                        targetFolder.handle});
        return 0;
    }
    struct stat s {};
    const bool found = sourceFolder.handle
                           ? ::fstatat(*sourceFolder.handle, encodeFileName(sourceName), &s,
                                       AT_SYMLINK_NOFOLLOW) == 0
                           : lstatPath(source, s);
    if (!found) {
        fail(source, errno, outcome);
        return outcome.code;
    }
    const bool sourceIsFolder = S_ISDIR(s.st_mode);
    if (s.st_dev == t.st_dev && s.st_ino == t.st_ino) {
        return 0;  // the same file under another name
    }
    const bool targetIsFolder = S_ISDIR(t.st_mode);
    if (sourceIsFolder != targetIsFolder) {
        outcome = {run_error::kFileAlreadyExists, FileOpFailure::KindConflict, target, {}};
        return outcome.code;
    }
    const ConflictAnswer answer =
        sourceIsFolder ? m_questions.mergeFolder(target) : m_questions.replaceFile(target);
    if (answer == ConflictAnswer::No) {
        return 0;
    }
    if (answer != ConflictAnswer::Yes) {
        return shell_result::kCancelled;
    }
    if (!sourceIsFolder) {
        m_steps.append({StepKind::Replace, source, target, crossDevice, {}, {}});
        return 0;
    }
    QStringList names;
    if (const int err = file_transfer::namesIn(source, names); err != 0) {
        fail(source, err, outcome);
        return outcome.code;
    }
    std::sort(names.begin(), names.end());
    for (const QString& name : names) {
        if (const int code = plan(childKey(source, name), childKey(target, name), outcome);
            code != 0) {
            return code;
        }
    }
    m_steps.append({StepKind::MergeFolder, source, target, crossDevice, {}, {}});
    return 0;
}

bool FileMover::checkRemovable(const Step& step, FileOpOutcome& outcome) const {
    if (!step.crossDevice || step.kind == StepKind::MergeFolder) {
        return true;
    }
    if (canEmpty(GetParentFolder(step.source)) && canRemoveTree(step.source)) {
        return true;
    }
    return fail(step.source, EACCES, outcome);
}

bool FileMover::copyToTemporary(const Step& step, QString& temporary, FileOpOutcome& outcome) {
    const QString folder = GetParentFolder(step.target);
    temporary = childKey(folder, file_transfer::unusedHiddenName(folder, GetFileNm(step.target),
                                                                 QStringLiteral("part")));
    if (!m_progressShown) {
        // A move that turned out to cross file systems only when it was tried.
        if (!step.crossDevice) {
            m_work += file_transfer::copyWork(step.source);
        }
        m_progress.begin(m_title, m_work);
        m_progressShown = true;
    }
    const QString name = GetFileNm(step.source);
    const QString label = m_label ? m_label(name) : name;
    const int err = file_transfer::copyTreeVerified(step.source, temporary, [&](qint64 bytes) {
        m_workDone += bytes;
        return m_progress.advance(label, m_workDone);
    });
    if (err == ECANCELED) {
        outcome = FileOpOutcome::cancel();
        return false;
    }
    if (err != 0) {
        return fail(step.source, err, outcome);
    }
    m_touchedFolders.insert(folder);
    return true;
}

bool FileMover::isMountPoint(const QString& realPath) {
    if (!m_mountPointsRead) {
        m_mountPointsRead = true;
        QFile mountInfo(QStringLiteral("/proc/self/mountinfo"));
        if (mountInfo.open(QIODevice::ReadOnly)) {
            for (const MountEntry& entry : parseMountInfo(mountInfo.readAll())) {
                m_mountPoints.insert(entry.mountPoint);
            }
        }
    }
    return m_mountPoints.contains(realPath);
}

bool FileMover::run(const Step& step, FileOpOutcome& outcome) {
    if (step.kind == StepKind::MergeFolder) {
        m_foldersWhenDone.append(step.source);
        return true;
    }
    QString temporary;
    // The old target is kept until the new one is complete.
    if (step.crossDevice && !copyToTemporary(step, temporary, outcome)) {
        return false;
    }
    if (step.kind == StepKind::Replace) {
        const QString folder = GetParentFolder(step.target);
        const QString backup =
            childKey(folder, file_transfer::unusedHiddenName(folder, GetFileNm(step.target),
                                                             QStringLiteral("replaced")));
        if (const int err = file_transfer::renameNoReplace(step.target, backup); err != 0) {
            if (!temporary.isEmpty()) {
                file_transfer::removeTree(temporary);
            }
            return fail(step.source, err, outcome);
        }
        m_done.append({DoneKind::BackedUp, step.target, backup});
        m_backupsWhenDone.append(backup);
    }
    if (temporary.isEmpty()) {
        const int err = step.sourceFolder && step.targetFolder
                            ? file_transfer::renameNoReplaceAt(
                                  *step.sourceFolder, encodeFileName(GetFileNm(step.source)),
                                  *step.targetFolder, encodeFileName(GetFileNm(step.target)))
                            : file_transfer::renameNoReplace(step.source, step.target);
        if (err == 0) {
            m_done.append({DoneKind::Renamed, step.source, step.target});
            m_moved.append({step.source, step.target});
            return true;
        }
        if (err != EXDEV) {
            return fail(step.source, err, outcome);
        }
        if (!copyToTemporary(step, temporary, outcome)) {
            return false;
        }
    }
    if (const int err = file_transfer::renameNoReplace(temporary, step.target); err != 0) {
        file_transfer::removeTree(temporary);
        return fail(step.source, err, outcome);
    }
    m_done.append({DoneKind::Copied, step.source, step.target});
    m_moved.append({step.source, step.target});
    m_sourcesWhenDone.append(step.source);
    return true;
}

void FileMover::rollBack() {
    for (auto it = m_done.crbegin(); it != m_done.crend(); ++it) {
        switch (it->kind) {
            case DoneKind::Renamed:
            case DoneKind::BackedUp:
                file_transfer::renameNoReplace(it->to, it->from);
                break;
            case DoneKind::Copied:
                file_transfer::removeTree(it->to);
                break;
        }
    }
    m_done.clear();
    m_moved.clear();
}

void FileMover::commit(FileOpOutcome& outcome) {
    // The copies reach the disk before their sources leave it.
    for (const QString& folder : std::as_const(m_touchedFolders)) {
        file_transfer::syncFolder(folder);
    }
    for (const QString& source : std::as_const(m_sourcesWhenDone)) {
        if (const int err = file_transfer::removeTree(source); err != 0 && outcome.code == 0) {
            outcome = FileOpOutcome::fromErrno(FileOpFailure::SourceLeftBehind, source, err);
        }
    }
    for (const QString& backup : std::as_const(m_backupsWhenDone)) {
        file_transfer::removeTree(backup);
    }
    // Emptied by the merge unless the user kept some of its items where they were.
    for (const QString& folder : std::as_const(m_foldersWhenDone)) {
        ::rmdir(encodeFileName(folder).constData());
    }
}
