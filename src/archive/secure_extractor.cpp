#include "archive/secure_extractor.h"

#include "archive/archive_codes.h"
#include "archive/archiver_entries.h"
#include "archive/engine_messages.h"
#include "archive/entry_path.h"
#include "archive/name_charset.h"
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

int writeFailureCode(archive* writer, int fallback) {
    switch (archive_errno(writer)) {
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
    struct stat info {};
    if (::stat(encodeFileName(request.archive).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return archive_code::kCannotOpenArchive;
    }
    m_root = resolveDestination(request.destination);
    if (m_root.isEmpty()) {
        return archive_code::kCannotMakeFolder;
    }

    Utf8CtypeScope utf8Names;
    ArchiveReader reader(m_kind);
    if (m_prompts != nullptr) {
        reader.setPasswordSource([this, &request](int attempt) -> std::optional<QByteArray> {
            const std::optional<QString> answer = m_prompts->askPassword(request.archive, attempt);
            return answer ? std::optional<QByteArray>(answer->toUtf8()) : std::nullopt;
        });
    }
    if (const int opened = reader.open(request.archive); opened != 0) {
        return opened;
    }
    RawEntryNames rawNames(m_kind, request.archive);
    m_reader = &reader;
    m_rawNames = &rawNames;

    archive* writer = archive_write_disk_new();
    if (writer == nullptr) {
        return archive_code::kNoWorkMemory;
    }
    // Absolute paths are refused on the archive's own names (checkEntryPath); the names given to
    // the writer are the destination joined with them, so its own absolute-path refusal cannot
    // be used here.
    archive_write_disk_set_options(writer, ARCHIVE_EXTRACT_SECURE_NODOTDOT |
                                               ARCHIVE_EXTRACT_SECURE_SYMLINKS |
                                               ARCHIVE_EXTRACT_TIME | ARCHIVE_EXTRACT_PERM);

    if (m_prompts != nullptr) {
        m_prompts->begin(request.archive, -1);
    }
    int index = -1;
    int stopCode = 0;
    bool sawEntry = false;
    for (;;) {
        archive_entry* entry = nullptr;
        const int header = archive_read_next_header(reader.handle(), &entry);
        if (header == ARCHIVE_EOF) {
            break;
        }
        if (header < ARCHIVE_WARN) {
            stopCode = reader.failureCode(ArchiveReader::Stage::Header);
            // Bytes that never made a first header are no archive of this kind at all.
            if (!sawEntry && stopCode == archive_code::kBadHeader) {
                stopCode = archive_code::kNotAnArchive;
            }
            break;
        }
        sawEntry = true;
        ++index;
        // A warning here is a name libarchive could not convert: extractEntry deals with it.
        if (extractEntry(reader.handle(), writer, entry, index) == Step::Stop) {
            stopCode = m_result;
            break;
        }
    }
    archive_write_free(writer);
    if (m_prompts != nullptr) {
        m_prompts->end();
    }
    m_reader = nullptr;
    m_rawNames = nullptr;
    return stopCode != 0 ? stopCode : m_result;
}

SecureExtractor::Step SecureExtractor::extractEntry(archive* reader, archive* writer,
                                                    archive_entry* entry, int index) {
    const char* converted = archive_entry_pathname(entry);
    const QString name =
        decodeEntryName(converted, converted ? QByteArray() : m_rawNames->nameAt(index));
    if (name.isNull()) {
        refuse(QString::number(index + 1), engine_msg::refusedUnreadableName());
        return Step::Next;
    }
    const EntryPath path = checkEntryPath(name);
    if (path.verdict == EntryPathVerdict::Absolute) {
        refuse(name, engine_msg::refusedAbsolutePath());
        return Step::Next;
    }
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
        const char* target = archive_entry_symlink(entry);
        if (target == nullptr) {
            refuse(name, engine_msg::refusedUnreadableName());
            return Step::Next;
        }
        const QString targetText = decodeEntryName(target, {});
        if (!linkStaysInside(relative, targetText)) {
            refuse(name, engine_msg::refusedLinkOutside());
            return Step::Next;
        }
        archive_entry_copy_symlink(entry, encodeFileName(targetText).constData());
    }
    if (hardlink != nullptr) {
        const EntryPath linked = checkEntryPath(decodeEntryName(hardlink, {}));
        if (linked.verdict != EntryPathVerdict::Ok || !m_request.keepPaths) {
            refuse(name, engine_msg::refusedLinkOutside());
            return Step::Next;
        }
        const QByteArray linkedPath = m_root + '/' + encodeFileName(linked.relative);
        archive_entry_copy_hardlink(entry, linkedPath.constData());
    }

    const QByteArray target = m_root + '/' + encodeFileName(relative);
    Step step = Step::Next;
    if (type != AE_IFDIR && !mayReplace(target, name, step)) {
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
        const int code = writeFailureCode(writer, archive_code::kCannotOpenForWrite);
        if (code == archive_code::kDiskFull) {
            return stop(code);
        }
        refuse(name, engine_msg::refusedCannotWrite());
        note(code);
        return Step::Next;
    }
    if (type == AE_IFREG && hardlink == nullptr) {
        if (copyData(reader, writer, target, name) == Step::Stop) {
            archive_write_finish_entry(writer);
            ::unlink(target.constData());
            return Step::Stop;
        }
    }
    if (archive_write_finish_entry(writer) < ARCHIVE_WARN) {
        note(writeFailureCode(writer, archive_code::kWriteError));
    }
    return Step::Next;
}

SecureExtractor::Step SecureExtractor::copyData(archive* reader, archive* writer,
                                                const QByteArray& target, const QString& name) {
    Q_UNUSED(target);
    for (;;) {
        const void* block = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        const int read = archive_read_data_block(reader, &block, &size, &offset);
        if (read == ARCHIVE_EOF) {
            return Step::Next;
        }
        // libarchive reports a CRC mismatch as a warning after the data: a warning is a failure.
        if (read != ARCHIVE_OK) {
            return stop(m_reader->failureCode(ArchiveReader::Stage::Data));
        }
        if (archive_write_data_block(writer, block, size, offset) < ARCHIVE_OK) {
            return stop(writeFailureCode(writer, archive_code::kWriteError));
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

bool SecureExtractor::mayReplace(const QByteArray& target, const QString& name, Step& step) {
    struct stat info {};
    if (::lstat(target.constData(), &info) != 0 || S_ISDIR(info.st_mode) || m_replaceAll) {
        return true;
    }
    if (m_prompts == nullptr) {
        note(archive_code::kExists);
        return false;
    }
    switch (m_prompts->askOverwrite(decodeFileName(target))) {
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
    Q_UNUSED(name);
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
    ArchiveReader reader(kind);
    if (const int opened = reader.open(path); opened != 0) {
        return opened;
    }
    bool sawEntry = false;
    for (;;) {
        archive_entry* entry = nullptr;
        const int header = archive_read_next_header(reader.handle(), &entry);
        if (header == ARCHIVE_EOF) {
            return archive_code::kOk;
        }
        if (header < ARCHIVE_WARN) {
            return sawEntry ? reader.failureCode(ArchiveReader::Stage::Header)
                            : archive_code::kNotAnArchive;
        }
        sawEntry = true;
        for (;;) {
            const void* block = nullptr;
            size_t size = 0;
            la_int64_t offset = 0;
            const int read = archive_read_data_block(reader.handle(), &block, &size, &offset);
            if (read == ARCHIVE_EOF) {
                break;
            }
            if (read != ARCHIVE_OK) {
                return reader.failureCode(ArchiveReader::Stage::Data);
            }
        }
    }
}
