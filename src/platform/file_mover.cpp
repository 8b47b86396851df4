#include "platform/file_mover.h"
#include "platform/file_name_codec.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/dialogs.h"
#include "platform/file_op_progress.h"
#include "platform/file_transfer.h"
#include "platform/messages.h"
#include "platform/run_error.h"

namespace {

QByteArray native(const QString& path) {
    return encodeFileName(path);
}

bool lstatPath(const QString& path, struct stat& st) {
    return ::lstat(native(path).constData(), &st) == 0;
}

bool statPath(const QString& path, struct stat& st) {
    return ::stat(native(path).constData(), &st) == 0;
}

QString joinPath(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? QString(folder + name) : QString(folder + u'/' + name);
}

QString parentOf(const QString& path) {
    return QFileInfo(path).path();
}
QString nameOf(const QString& path) {
    return QFileInfo(path).fileName();
}

QString realFolder(const QString& path) {
    char buffer[PATH_MAX];
    if (::realpath(native(path).constData(), buffer) == nullptr) {
        return {};
    }
    return decodeFileName(buffer);
}

// True when the user may take entries out of folder and, for a folder tree, out of every folder
// in it: what removing a source after its copy needs.
bool canEmpty(const QString& folder) {
    return ::access(native(folder).constData(), W_OK | X_OK) == 0;
}

bool canRemoveTree(const QString& path) {
    struct stat st {};
    if (!lstatPath(path, st) || !S_ISDIR(st.st_mode)) {
        return true;
    }
    if (!canEmpty(path) || ::access(native(path).constData(), R_OK) != 0) {
        return false;
    }
    const QStringList names = QDir(path).entryList(QDir::Dirs | QDir::Hidden | QDir::System |
                                                   QDir::NoDotAndDotDot | QDir::NoSymLinks);
    return std::all_of(names.cbegin(), names.cend(),
                       [&](const QString& name) { return canRemoveTree(joinPath(path, name)); });
}

}  // namespace

int shellErrorFromErrno(int err) {
    const int number = runErrorFromErrno(err);
    return number == shell_result::kCancelled || number == 0 ? run_error::kInternal : number;
}

QStringList normalizeSources(const QStringList& paths, FileOperations::Outcome& outcome) {
    QStringList sources;
    for (const QString& path : paths) {
        if (!QDir::isAbsolutePath(path)) {
            outcome = {shellErrorFromErrno(EINVAL), platform_msg::notFullPath(path)};
            return {};
        }
        const QString clean = QDir::cleanPath(path);
        if (!sources.contains(clean)) {
            sources.append(clean);
        }
    }
    if (sources.isEmpty()) {
        outcome = {run_error::kBadFileName, platform_msg::noPathsGiven()};
        return {};
    }
    // An item inside another listed folder goes with that folder.
    QStringList outer;
    for (const QString& path : sources) {
        const bool inside =
            std::any_of(sources.cbegin(), sources.cend(), [&](const QString& other) {
                return other != path && (other == u"/" || path.startsWith(other + u'/'));
            });
        if (!inside) {
            outer.append(path);
        }
    }
    return outer;
}

FileMover::FileMover(Dialogs& dialogs, FileOpProgress& progress)
    : m_dialogs(dialogs), m_progress(progress) {}

bool FileMover::fail(const QString& path, int err, FileOperations::Outcome& outcome) const {
    const int code = shellErrorFromErrno(err);
    outcome = {code, platform_msg::cannotMove(path, runErrorText(code))};
    return false;
}

FileOperations::Outcome FileMover::move(const QStringList& sources, const QString& destination,
                                        bool confirm) {
    FileOperations::Outcome outcome;
    if (!QDir::isAbsolutePath(destination)) {
        outcome = {shellErrorFromErrno(EINVAL), platform_msg::notFullPath(destination)};
        return outcome;
    }
    const QString dest = QDir::cleanPath(destination);
    struct stat st {};
    QList<std::pair<QString, QString>> moves;
    if (statPath(dest, st) && S_ISDIR(st.st_mode)) {
        for (const QString& source : sources) {
            moves.append({source, joinPath(dest, nameOf(source))});
        }
    } else if (sources.size() == 1 && statPath(parentOf(dest), st) && S_ISDIR(st.st_mode)) {
        moves.append({sources.first(), dest});
    } else {
        outcome = {run_error::kPathNotFound, platform_msg::destinationMissing(dest)};
        return outcome;
    }

    if (confirm &&
        m_dialogs.messageBox(
            platform_msg::confirmMove(sources.size(), nameOf(sources.first()), dest),
            MsgIcon::Question, MsgButtons::YesNo, platform_msg::moveTitle()) != MsgResult::Yes) {
        outcome.code = shell_result::kCancelled;
        return outcome;
    }
    for (const auto& [source, target] : moves) {
        if (const int code = plan(source, target, outcome); code != 0) {
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

int FileMover::plan(const QString& source, const QString& target,
                    FileOperations::Outcome& outcome) {
    struct stat s {};
    if (!lstatPath(source, s)) {
        fail(source, errno, outcome);
        return outcome.code;
    }
    const bool sourceIsFolder = S_ISDIR(s.st_mode);
    struct stat sourceFolder {};
    struct stat targetFolder {};
    if (!statPath(parentOf(source), sourceFolder)) {
        fail(source, errno, outcome);
        return outcome.code;
    }
    if (!statPath(parentOf(target), targetFolder)) {
        outcome = {run_error::kPathNotFound, platform_msg::destinationMissing(parentOf(target))};
        return outcome.code;
    }
    const QString realSource = joinPath(realFolder(parentOf(source)), nameOf(source));
    const QString realTarget = joinPath(realFolder(parentOf(target)), nameOf(target));
    if (realSource == realTarget) {
        return 0;  // already where it is asked to go
    }
    if (sourceIsFolder && realTarget.startsWith(realSource + u'/')) {
        outcome = {run_error::kPathFileAccess, platform_msg::moveIntoItself(source)};
        return outcome.code;
    }
    // A folder on a file system of its own is a mount point: copying it over and removing it
    // would empty that file system.
    if (sourceIsFolder && s.st_dev != sourceFolder.st_dev) {
        fail(source, EBUSY, outcome);
        return outcome.code;
    }
    const bool crossDevice = sourceFolder.st_dev != targetFolder.st_dev;

    struct stat t {};
    if (!lstatPath(target, t)) {
        m_steps.append({StepKind::Move, source, target, crossDevice});
        return 0;
    }
    if (s.st_dev == t.st_dev && s.st_ino == t.st_ino) {
        return 0;  // the same file under another name
    }
    const bool targetIsFolder = S_ISDIR(t.st_mode);
    if (sourceIsFolder != targetIsFolder) {
        outcome = {run_error::kFileAlreadyExists, platform_msg::kindConflict(target)};
        return outcome.code;
    }
    const QString question = sourceIsFolder
                                 ? platform_msg::mergeFolder(nameOf(target), parentOf(target))
                                 : platform_msg::replaceFile(nameOf(target), parentOf(target));
    const MsgResult answer = m_dialogs.messageBox(
        question, MsgIcon::Exclamation, MsgButtons::YesNoCancel, platform_msg::moveTitle());
    if (answer == MsgResult::No) {
        return 0;
    }
    if (answer != MsgResult::Yes) {
        return shell_result::kCancelled;
    }
    if (!sourceIsFolder) {
        m_steps.append({StepKind::Replace, source, target, crossDevice});
        return 0;
    }
    const QStringList names = QDir(source).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        if (const int code = plan(joinPath(source, name), joinPath(target, name), outcome);
            code != 0) {
            return code;
        }
    }
    m_steps.append({StepKind::MergeFolder, source, target, crossDevice});
    return 0;
}

bool FileMover::checkRemovable(const Step& step, FileOperations::Outcome& outcome) const {
    if (!step.crossDevice || step.kind == StepKind::MergeFolder) {
        return true;
    }
    if (canEmpty(parentOf(step.source)) && canRemoveTree(step.source)) {
        return true;
    }
    return fail(step.source, EACCES, outcome);
}

bool FileMover::copyToTemporary(const Step& step, QString& temporary,
                                FileOperations::Outcome& outcome) {
    const QString folder = parentOf(step.target);
    temporary = joinPath(folder, file_transfer::unusedHiddenName(folder, nameOf(step.target),
                                                                 QStringLiteral("part")));
    if (!m_progressShown) {
        // A move that turned out to cross file systems only when it was tried.
        if (!step.crossDevice) {
            m_work += file_transfer::copyWork(step.source);
        }
        m_progress.begin(platform_msg::moveTitle(), m_work);
        m_progressShown = true;
    }
    const QString label = platform_msg::progressLabel(nameOf(step.source));
    const int err = file_transfer::copyTreeVerified(step.source, temporary, [&](qint64 bytes) {
        m_workDone += bytes;
        return m_progress.advance(label, m_workDone);
    });
    if (err == ECANCELED) {
        outcome = {shell_result::kCancelled, {}};
        return false;
    }
    if (err != 0) {
        return fail(step.source, err, outcome);
    }
    if (!m_touchedFolders.contains(folder)) {
        m_touchedFolders.append(folder);
    }
    return true;
}

bool FileMover::run(const Step& step, FileOperations::Outcome& outcome) {
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
        const QString folder = parentOf(step.target);
        const QString backup =
            joinPath(folder, file_transfer::unusedHiddenName(folder, nameOf(step.target),
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
        const int err = file_transfer::renameNoReplace(step.source, step.target);
        if (err == 0) {
            m_done.append({DoneKind::Renamed, step.source, step.target});
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
    m_sourcesWhenDone.append(step.source);
    return true;
}

void FileMover::rollBack() {
    for (auto it = m_done.crbegin(); it != m_done.crend(); ++it) {
        switch (it->kind) {
            case DoneKind::Renamed:
                file_transfer::renameNoReplace(it->to, it->from);
                break;
            case DoneKind::Copied:
                file_transfer::removeTree(it->to);
                break;
            case DoneKind::BackedUp:
                file_transfer::renameNoReplace(it->to, it->from);
                break;
        }
    }
    m_done.clear();
}

void FileMover::commit(FileOperations::Outcome& outcome) {
    // The copies reach the disk before their sources leave it.
    for (const QString& folder : m_touchedFolders) {
        file_transfer::syncFolder(folder);
    }
    for (const QString& source : m_sourcesWhenDone) {
        if (const int err = file_transfer::removeTree(source); err != 0 && outcome.code == 0) {
            const int code = shellErrorFromErrno(err);
            outcome = {code, platform_msg::sourceLeftBehind(source, runErrorText(code))};
        }
    }
    for (const QString& backup : m_backupsWhenDone) {
        file_transfer::removeTree(backup);
    }
    // Emptied by the merge unless the user kept some of its items where they were.
    for (const QString& folder : m_foldersWhenDone) {
        ::rmdir(native(folder).constData());
    }
}
