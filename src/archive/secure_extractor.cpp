#include "archive/secure_extractor.h"

#include "archive/archive_codes.h"
#include "archive/archiver_entries.h"
#include "archive/engine_messages.h"
#include "archive/entry_path.h"
#include "archive/name_charset.h"
#include "archive/staging_folder.h"
#include "platform/file_name_codec.h"

#include <archive.h>
#include <archive_entry.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace {

qint64 g_reserveOverride = -1;

constexpr qint64 kMinimumReserve = 64LL * 1024 * 1024;

qint64 reserveFor(const struct statvfs& fs) {
    if (g_reserveOverride >= 0) {
        return g_reserveOverride;
    }
    const qint64 total = static_cast<qint64>(fs.f_blocks) * static_cast<qint64>(fs.f_frsize);
    return std::max(kMinimumReserve, total / 100);
}

// The destination folder, created when missing and resolved, so that no symbolic link in its own
// path trips the disk writer's check on links. Empty when it cannot be had.
QByteArray resolveDestination(const QString& destination) {
    const QByteArray bytes = encodeFileName(destination);
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(bytes.toStdString()), error);
    char resolved[PATH_MAX];
    if (realpath(bytes.constData(), resolved) == nullptr) {
        return {};
    }
    QByteArray root(resolved);
    while (root.endsWith('/')) {
        root.chop(1);
    }
    return root;
}

int writeFailureCode(int error, int fallback) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return archive_code::kDiskFull;
        case EROFS:
            return archive_code::kReadOnly;
        default:
            return fallback;
    }
}

bool mentionsLink(archive* writer) {
    const char* message = archive_error_string(writer);
    return message != nullptr && QByteArray(message).toLower().contains("symlink");
}

}  // namespace

void setDiskReserveOverride(qint64 bytes) {
    g_reserveOverride = bytes;
}

SecureExtractor::SecureExtractor(ArchiveKind kind, ExtractionPrompts* prompts)
    : m_kind(kind), m_prompts(prompts) {}

int SecureExtractor::extract(const ExtractionRequest& request) {
    m_request = request;
    m_replaceAll = request.overwriteAll;
    m_result = 0;
    m_done = 0;
    m_archiveFailed = false;
    struct stat info {};
    if (::stat(encodeFileName(request.archive).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        m_archiveFailed = true;
        return archive_code::kCannotOpenArchive;
    }
    m_root = resolveDestination(request.destination);
    if (m_root.isEmpty()) {
        return archive_code::kCannotMakeFolder;
    }
    StagingFolder::removeStale(m_root);

    Utf8CtypeScope utf8Names;
    m_passwords.emplace(m_prompts == nullptr ? PasswordOffers::Ask() : [this](int attempt) {
        return m_prompts->askPassword(m_request.archive, attempt);
    });
    int opened = 0;
    std::unique_ptr<EntrySource> source = openSource(opened);
    if (opened != 0) {
        // An archive asking for more memory than there is may be whole: it is not called damaged.
        m_archiveFailed = opened != archive_code::kDiskFull;
        return opened;
    }
    std::optional<StagingFolder> staging;
    m_writeRoot = m_root;
    if (request.wholeOrNothing) {
        staging.emplace(m_root);
        if (staging->path().isEmpty()) {
            return writeFailureCode(errno, archive_code::kCannotMakeFolder);
        }
        m_writeRoot = staging->path();
    }

    archive* writer = archive_write_disk_new();
    if (writer == nullptr) {
        return archive_code::kNoWorkMemory;
    }
    // The archive's own names are made relative first (checkEntryPath); the names given to the
    // writer are the destination joined with them, so its own absolute-path refusal cannot be
    // used here.
    archive_write_disk_set_options(writer, ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                                               ARCHIVE_EXTRACT_SECURE_SYMLINKS |
                                               ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_PERM);
    if (m_prompts != nullptr) {
        m_prompts->begin(request.archive, -1);
    }
    const int stopCode = run(source, writer);
    // Freeing the writer sets the folders' times and modes, which it leaves to the end.
    archive_write_free(writer);
    if (staging && stopCode == 0) {
        staging->moveInto([this](const QString& name, const QString& reason) {
            refuse(name.isEmpty() ? decodeFileName(m_root) : name, reason);
        });
    }
    if (m_prompts != nullptr) {
        m_prompts->end();
    }
    return stopCode != 0 ? stopCode : m_result;
}

std::unique_ptr<EntrySource> SecureExtractor::openSource(int& code) {
    std::unique_ptr<EntrySource> source = makeEntrySource(m_kind, m_request.archive);
    source->setPasswordSource([this](int) { return m_passwords->next(); });
    code = source->open(m_request.archive);
    return source;
}

int SecureExtractor::run(std::unique_ptr<EntrySource>& source, archive* writer) {
    for (int index = 0;; ++index) {
        const EntrySource::Step header = source->next();
        if (header == EntrySource::Step::End) {
            return 0;
        }
        if (header == EntrySource::Step::Failed) {
            m_archiveFailed = true;
            // Bytes that never made a first header are no archive of this kind at all.
            const int code = source->failureCode();
            return index == 0 && code == archive_code::kBadHeader ? archive_code::kNotAnArchive
                                                                  : code;
        }
        const qint64 doneBefore = m_done;
        const Step step = extractEntry(*source, writer, index);
        if (step == Step::Stop) {
            return m_result;
        }
        if (step == Step::Retry) {
            // The entry again, from a new reader that asks for the next password; the entries
            // before it are passed over unread.
            int code = 0;
            source = openSource(code);
            for (int skipped = 0; code == 0 && skipped < index; ++skipped) {
                if (source->next() != EntrySource::Step::Ok) {
                    code = source->failureCode();
                }
            }
            if (code != 0) {
                m_archiveFailed = true;
                return code;
            }
            m_result = 0;
            m_done = doneBefore;
            --index;
        }
    }
}

SecureExtractor::Step SecureExtractor::extractEntry(EntrySource& source, archive* writer,
                                                    int index) {
    archive_entry* entry = source.entry();
    const QString stored = source.name();
    if (stored.isNull()) {
        refuse(QString::number(index + 1), engine_msg::refusedUnreadableName());
        return Step::Next;
    }
    // The name as it is written and shown: links of the archive are read the same way, so a
    // link to such an entry still finds it.
    const QString name = withoutControlCharacters(stored);
    const EntryPath path = checkEntryPath(name);
    if (path.verdict == EntryPathVerdict::DotDot) {
        refuse(name, engine_msg::refusedDotDot());
        return Step::Next;
    }
    if (path.verdict == EntryPathVerdict::Empty) {
        return Step::Next;  // "./" and the like: the destination itself
    }

    const mode_t type = archive_entry_filetype(entry);
    const char* hardlink = archive_entry_hardlink(entry);
    if (hardlink == nullptr && type != AE_IFREG && type != AE_IFDIR && type != AE_IFLNK) {
        refuse(name, engine_msg::refusedSpecialFile());
        return Step::Next;
    }
    QString relative = path.relative;
    if (!m_request.keepPaths) {
        if (type == AE_IFDIR) {
            return Step::Next;
        }
        relative = relative.section(u'/', -1);
    }
    if (type == AE_IFLNK && hardlink == nullptr) {
        const QString target = withoutControlCharacters(source.linkTarget());
        if (target.isNull()) {
            refuse(name, engine_msg::refusedUnreadableName());
            return Step::Next;
        }
        if (!linkStaysInside(relative, target)) {
            refuse(name, engine_msg::refusedLinkOutside());
            return Step::Next;
        }
        archive_entry_copy_symlink(entry, encodeFileName(target).constData());
    }
    if (hardlink != nullptr) {
        const EntryPath linked =
            checkEntryPath(withoutControlCharacters(decodeEntryName(hardlink, {})));
        if (linked.verdict != EntryPathVerdict::Ok || !m_request.keepPaths) {
            refuse(name, engine_msg::refusedLinkOutside());
            return Step::Next;
        }
        const QByteArray linkedPath = m_writeRoot + '/' + encodeFileName(linked.relative);
        archive_entry_copy_hardlink(entry, linkedPath.constData());
    }

    const QByteArray relativeBytes = encodeFileName(relative);
    const QByteArray target = m_writeRoot + '/' + relativeBytes;
    Step step = Step::Next;
    if (type != AE_IFDIR && !mayReplace(relativeBytes, step)) {
        return step;
    }
    // Never set-user-id, set-group-id or sticky; folders stay open to their owner so that what
    // they hold can be written.
    const mode_t perm = archive_entry_perm(entry) & 0777;
    archive_entry_set_perm(entry, type == AE_IFDIR ? (perm | 0700) : perm);
    archive_entry_copy_pathname(entry, target.constData());
    if (archive_entry_size_is_set(entry) && belowReserve(archive_entry_size(entry))) {
        return stop(archive_code::kDiskFull);
    }

    if (archive_write_header(writer, entry) < ARCHIVE_WARN) {
        if (mentionsLink(writer)) {
            refuse(name, engine_msg::refusedThroughSymlink());
            return Step::Next;
        }
        const int code = writeFailureCode(archive_errno(writer), archive_code::kCannotOpenForWrite);
        if (code == archive_code::kDiskFull) {
            return stop(code);
        }
        refuse(name, engine_msg::refusedCannotWrite());
        note(code);
        return Step::Next;
    }
    if (type == AE_IFREG && hardlink == nullptr) {
        const int resultBefore = m_result;
        if (copyData(source, writer, name) == Step::Stop) {
            archive_write_finish_entry(writer);
            ::unlink(target.constData());
            const bool dataFailed = m_archiveFailed && (m_result == archive_code::kChecksum ||
                                                        m_result == archive_code::kBadData);
            if (dataFailed && archive_entry_is_encrypted(entry) && m_passwords->offered()) {
                switch (m_passwords->failedOnData()) {
                    case PasswordOffers::Verdict::Retry:
                        m_archiveFailed = false;
                        m_result = resultBefore;
                        return Step::Retry;
                    case PasswordOffers::Verdict::Wrong:
                        m_result = archive_code::kPassword;
                        break;
                    case PasswordOffers::Verdict::Damaged:
                        break;
                }
            }
            return Step::Stop;
        }
    }
    if (archive_write_finish_entry(writer) < ARCHIVE_WARN) {
        note(writeFailureCode(archive_errno(writer), archive_code::kWriteError));
    }
    return Step::Next;
}

SecureExtractor::Step SecureExtractor::copyData(EntrySource& source, archive* writer,
                                                const QString& name) {
    for (;;) {
        const void* block = nullptr;
        size_t size = 0;
        qint64 offset = 0;
        const EntrySource::Step read = source.read(block, size, offset);
        if (read == EntrySource::Step::End) {
            return Step::Next;
        }
        if (read == EntrySource::Step::Failed) {
            m_archiveFailed = true;
            return stop(source.failureCode());
        }
        if (archive_write_data_block(writer, block, size, offset) < ARCHIVE_OK) {
            return stop(writeFailureCode(archive_errno(writer), archive_code::kWriteError));
        }
        m_done += static_cast<qint64>(size);
        if (belowReserve(0)) {
            return stop(archive_code::kDiskFull);
        }
        if (m_prompts != nullptr && !m_prompts->advance(name, m_done)) {
            return stop(archive_code::kCancelled);
        }
    }
}

bool SecureExtractor::mayReplace(const QByteArray& relative, Step& step) {
    // In a staged run the file may also be in the staging folder already (an archive that holds
    // one name twice, or names folded together without their paths).
    const QByteArray there = m_root + '/' + relative;
    struct stat info {};
    const bool inRoot = ::lstat(there.constData(), &info) == 0 && !S_ISDIR(info.st_mode);
    const bool staged = m_writeRoot != m_root &&
                        ::lstat(QByteArray(m_writeRoot + '/' + relative).constData(), &info) == 0 &&
                        !S_ISDIR(info.st_mode);
    if ((!inRoot && !staged) || m_replaceAll) {
        return true;
    }
    if (m_prompts == nullptr) {
        note(archive_code::kExists);
        return false;
    }
    switch (m_prompts->askOverwrite(decodeFileName(there))) {
        case ExtractionPrompts::Overwrite::Replace:
            return true;
        case ExtractionPrompts::Overwrite::ReplaceAll:
            m_replaceAll = true;
            return true;
        case ExtractionPrompts::Overwrite::Skip:
            note(archive_code::kSkipped);
            return false;
        case ExtractionPrompts::Overwrite::Cancel:
            break;
    }
    step = stop(archive_code::kCancelled);
    return false;
}

void SecureExtractor::refuse(const QString& name, const QString& reason) {
    note(archive_code::kCannotOpenForWrite);
    if (m_prompts != nullptr) {
        m_prompts->entryRefused(name, reason);
    }
}

void SecureExtractor::note(int code) {
    if (m_result == 0) {
        m_result = code;
    }
}

SecureExtractor::Step SecureExtractor::stop(int code) {
    m_result = code;
    return Step::Stop;
}

bool SecureExtractor::belowReserve(qint64 extra) const {
    struct statvfs fs {};
    if (::statvfs(m_root.constData(), &fs) != 0) {
        return false;
    }
    const qint64 free = static_cast<qint64>(fs.f_bavail) * static_cast<qint64>(fs.f_frsize);
    return free - extra < reserveFor(fs);
}

int verifyArchive(ArchiveKind kind, const QString& path) {
    struct stat info {};
    if (::stat(encodeFileName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return archive_code::kCannotOpenArchive;
    }
    Utf8CtypeScope utf8Names;
    const std::unique_ptr<EntrySource> source = makeEntrySource(kind, path);
    if (const int opened = source->open(path); opened != 0) {
        return opened;
    }
    for (bool sawEntry = false;; sawEntry = true) {
        const EntrySource::Step header = source->next();
        if (header == EntrySource::Step::End) {
            return archive_code::kOk;
        }
        if (header == EntrySource::Step::Failed) {
            return sawEntry ? source->failureCode() : archive_code::kNotAnArchive;
        }
        for (;;) {
            const void* block = nullptr;
            size_t size = 0;
            qint64 offset = 0;
            const EntrySource::Step read = source->read(block, size, offset);
            if (read == EntrySource::Step::End) {
                break;
            }
            if (read == EntrySource::Step::Failed) {
                return source->failureCode();
            }
        }
    }
}
