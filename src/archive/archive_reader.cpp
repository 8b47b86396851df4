#include "archive/archive_reader.h"

#include "archive/archive_codes.h"
#include "platform/file_name_codec.h"

#include <archive.h>
#include <archive_entry.h>
#include <cerrno>

namespace {

constexpr size_t kReadBlock = 64 * 1024;

}  // namespace

ArchiveReader::ArchiveReader(ArchiveKind kind, bool convertNames)
    : m_kind(kind), m_archive(archive_read_new()) {
    if (m_archive == nullptr) {
        return;
    }
    if (kind == ArchiveKind::Zip) {
        archive_read_support_format_zip(m_archive);
        if (convertNames) {
            archive_read_set_format_option(m_archive, "zip", "hdrcharset", "CP932");
        }
    } else {
        archive_read_support_format_lha(m_archive);
        if (convertNames) {
            archive_read_set_format_option(m_archive, "lha", "hdrcharset", "CP932");
        }
    }
    archive_read_set_passphrase_callback(m_archive, this, &ArchiveReader::passphraseCallback);
}

ArchiveReader::~ArchiveReader() {
    if (m_archive != nullptr) {
        archive_read_free(m_archive);
    }
}

int ArchiveReader::open(const QString& path) {
    if (m_archive == nullptr) {
        return archive_code::kNoWorkMemory;
    }
    const QByteArray bytes = encodeFileName(path);
    if (archive_read_open_filename(m_archive, bytes.constData(), kReadBlock) != ARCHIVE_OK) {
        const int error = archive_errno(m_archive);
        if (error == ENOENT || error == EACCES || error == EISDIR || error == ENOTDIR) {
            return archive_code::kCannotOpenArchive;
        }
        return archive_code::kNotAnArchive;
    }
    return archive_code::kOk;
}

const char* ArchiveReader::passphraseCallback(archive*, void* self) {
    // libarchive asks again for as long as answers come; the source decides when to stop.
    auto* reader = static_cast<ArchiveReader*>(self);
    if (!reader->m_passwords) {
        return nullptr;
    }
    const std::optional<QByteArray> answer = reader->m_passwords(++reader->m_attempts);
    if (!answer) {
        return nullptr;
    }
    reader->m_password = *answer;
    return reader->m_password.constData();
}

int ArchiveReader::failureCode(Stage stage) const {
    const QString message = QString::fromUtf8(archive_error_string(m_archive)).toLower();
    const int error = archive_errno(m_archive);
    if (error == ENOMEM) {
        return archive_code::kNoWorkMemory;
    }
    if (message.contains(u"passphrase") || message.contains(u"decryption")) {
        return archive_code::kPassword;
    }
    if (message.contains(u"unsupported") || message.contains(u"not supported")) {
        return archive_code::kUnsupportedMethod;
    }
    if (message.contains(u"unrecognized archive format")) {
        return archive_code::kNotAnArchive;
    }
    if (message.contains(u"truncated") || message.contains(u"premature") || error == EIO) {
        return archive_code::kReadError;
    }
    if (message.contains(u"header") &&
        (message.contains(u"crc") || message.contains(u"sum error"))) {
        return archive_code::kHeaderChecksum;
    }
    if (message.contains(u"crc")) {
        return archive_code::kChecksum;
    }
    return stage == Stage::Header ? archive_code::kBadHeader : archive_code::kBadData;
}

RawEntryNames::RawEntryNames(ArchiveKind kind, const QString& path) : m_kind(kind), m_path(path) {}

QByteArray RawEntryNames::nameAt(int index) {
    if (m_failed || index <= m_index) {
        return {};
    }
    if (!m_reader) {
        m_reader.emplace(m_kind, false);
        if (m_reader->open(m_path) != archive_code::kOk) {
            m_failed = true;
            return {};
        }
    }
    archive_entry* entry = nullptr;
    while (m_index < index) {
        if (archive_read_next_header(m_reader->handle(), &entry) < ARCHIVE_WARN) {
            m_failed = true;
            return {};
        }
        ++m_index;
    }
    const char* name = archive_entry_pathname(entry);
    return name != nullptr ? QByteArray(name) : QByteArray();
}
