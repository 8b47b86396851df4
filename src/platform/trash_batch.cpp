#include "platform/trash_batch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <algorithm>
#include <cerrno>

#include "platform/file_name_codec.h"
#include "platform/file_transfer.h"
#include "platform/path_text.h"

namespace {

// Up to this many items for one trash folder, each info file is flushed by itself; beyond it,
// one flush of the whole file system costs less, though it also waits for whatever else is
// still to be written there.
constexpr int kFlushEachUpTo = 16;
constexpr int kMaxTries = 10000;

const QString kInfoSuffix = QStringLiteral(".trashinfo");

QString filesPath(const QString& trashDir, const QString& trashName) {
    return trashDir + u"/files/" + trashName;
}
QString infoPath(const QString& trashDir, const QString& trashName) {
    return trashDir + u"/info/" + trashName + kInfoSuffix;
}

void removeFile(const QString& path) {
    ::unlink(encodeFileName(path).constData());
}

}  // namespace

TrashBatch::TrashBatch(Trash& trash) : m_trash(trash) {}

FileOpOutcome TrashBatch::fail(FileOpFailure failure, const QString& path, int err) {
    m_error = err;
    if (err == Trash::kNoUsableTrash) {
        return {shell_result::kNoUsableTrash, FileOpFailure::NoUsableTrash, path, {}};
    }
    return FileOpOutcome::fromErrno(failure, path, err);
}

int TrashBatch::folderOf(const QString& path) {
    const QString parent = GetParentFolder(path);
    const auto found = m_folderIndex.constFind(parent);
    if (found != m_folderIndex.constEnd()) {
        return *found;
    }
    Folder folder;
    folder.real = file_transfer::realPath(parent);
    const QString trashDir = folder.real.isEmpty() ? QString() : m_trash.trashDirFor(path);
    if (!trashDir.isEmpty()) {
        const auto known = std::find_if(m_trashDirs.cbegin(), m_trashDirs.cend(),
                                        [&](const TrashDir& dir) { return dir.path == trashDir; });
        folder.trash = static_cast<int>(known - m_trashDirs.cbegin());
        if (known == m_trashDirs.cend()) {
            m_trashDirs.append({trashDir, 0, {}});
        }
    }
    m_folders.append(folder);
    const int index = static_cast<int>(m_folders.size() - 1);
    m_folderIndex.insert(parent, index);
    return index;
}

FileOpOutcome TrashBatch::check(const QStringList& paths) {
    m_items.clear();
    for (TrashDir& trashDir : m_trashDirs) {
        trashDir.items = 0;
    }
    m_entries.clear();
    m_error = 0;
    m_items.reserve(paths.size());
    for (const QString& given : paths) {
        if (!QDir::isAbsolutePath(given)) {
            return fail(FileOpFailure::CannotTrash, given, EINVAL);
        }
        Item item;
        item.path = cleanedPath(given);
        item.name = GetFileNm(item.path);
        if (item.name.isEmpty() || item.path == u"/") {
            return fail(FileOpFailure::CannotTrash, item.path, EINVAL);
        }
        struct stat st {};
        if (::lstat(encodeFileName(item.path).constData(), &st) != 0) {
            return fail(FileOpFailure::CannotTrash, item.path, errno);
        }
        item.folder = folderOf(item.path);
        const int trash = m_folders.at(item.folder).trash;
        if (trash < 0) {
            return fail(FileOpFailure::NoUsableTrash, item.path, Trash::kNoUsableTrash);
        }
        ++m_trashDirs[trash].items;
        m_items.append(item);
    }
    return {};
}

int TrashBatch::writeInfo(Item& item, const QByteArray& date, bool flushNow) {
    const Folder& folder = m_folders.at(item.folder);
    TrashDir& trashDir = m_trashDirs[folder.trash];
    // Written as the item's real place, so it can be found again whatever links led to it.
    const QByteArray info =
        trashInfoText(m_trash.infoPathValue(trashDir.path, childKey(folder.real, item.name)), date);
    // Many items of one name would otherwise try every taken number again each time. A name
    // taken only under files/ shows when the item is moved there.
    for (int n = trashDir.nextTry.value(item.name, 1); n < kMaxTries; ++n) {
        const QString trashName = trashItemName(item.name, n);
        // The info file is made exclusively: whoever makes it owns the name.
        const QByteArray nativeInfo = encodeFileName(infoPath(trashDir.path, trashName));
        const int fd =
            ::open(nativeInfo.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return errno;
        }
        int err = file_transfer::writeAll(fd, info.constData(), info.size());
        if (err == 0 && flushNow && ::fsync(fd) != 0) {
            err = errno;
        }
        if (::close(fd) != 0 && err == 0) {
            err = errno;
        }
        if (err != 0) {
            ::unlink(nativeInfo.constData());
            return err;
        }
        trashDir.nextTry.insert(item.name, n + 1);
        item.trashName = trashName;
        return 0;
    }
    return EEXIST;
}

void TrashBatch::backOut(qsizetype moved) {
    for (qsizetype i = m_items.size() - 1; i >= 0; --i) {
        Item& item = m_items[i];
        if (item.trashName.isEmpty()) {
            continue;
        }
        const QString& trashDir = m_trashDirs.at(m_folders.at(item.folder).trash).path;
        // An item that cannot go back keeps its info file, so that it can be found in the trash.
        if (i >= moved ||
            file_transfer::renameNoReplace(filesPath(trashDir, item.trashName), item.path) == 0) {
            removeFile(infoPath(trashDir, item.trashName));
        }
        item.trashName.clear();
    }
    m_entries.clear();
}

FileOpOutcome TrashBatch::put() {
    m_entries.clear();
    m_now = QDateTime::currentDateTime();
    const QByteArray date = trashInfoDate(m_now);
    auto flushEach = [this](const Item& item) {
        return m_trashDirs.at(m_folders.at(item.folder).trash).items <= kFlushEachUpTo;
    };
    // Every info file is on disk before any item moves: a crash in between must not leave an
    // item in the trash that nothing says where it came from.
    for (Item& item : m_items) {
        if (const int err = writeInfo(item, date, flushEach(item)); err != 0) {
            backOut(0);
            return fail(FileOpFailure::CannotTrash, item.path, err);
        }
    }
    for (const TrashDir& trashDir : std::as_const(m_trashDirs)) {
        if (trashDir.items <= kFlushEachUpTo) {
            continue;
        }
        if (const int err = file_transfer::syncFileSystem(trashDir.path + u"/info"); err != 0) {
            backOut(0);
            return fail(FileOpFailure::CannotTrash, m_items.first().path, err);
        }
    }
    m_entries.reserve(m_items.size());
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        Item& item = m_items[i];
        const Folder& folder = m_folders.at(item.folder);
        const QString& trashDir = m_trashDirs.at(folder.trash).path;
        int err = file_transfer::renameNoReplace(item.path, filesPath(trashDir, item.trashName));
        // An item of that name is there already, without an info file: on to the next name.
        while (err == EEXIST) {
            removeFile(infoPath(trashDir, item.trashName));
            item.trashName.clear();
            if (const int infoErr = writeInfo(item, date, true); infoErr != 0) {
                err = infoErr;
                break;
            }
            err = file_transfer::renameNoReplace(item.path, filesPath(trashDir, item.trashName));
        }
        if (err != 0) {
            backOut(i);
            return fail(FileOpFailure::CannotTrash, item.path,
                        err == EXDEV ? Trash::kNoUsableTrash : err);
        }
        m_entries.append({trashDir, item.trashName, childKey(folder.real, item.name), m_now});
    }
    return {};
}
