#include "archive/lhasa_source.h"

#include "archive/archive_codes.h"
#include "archive/name_charset.h"
#include "platform/file_name_codec.h"
#include "platform/text_codec.h"

#include <archive_entry.h>
#include <lhasa.h>
#include <sys/stat.h>
#include <array>
#include <cstring>

namespace {

constexpr size_t kBlock = 64 * 1024;

// The methods libarchive decodes; liblhasa reads the rest.
constexpr std::array<const char*, 6> kLibarchiveMethods = {"-lh0-", "-lh5-", "-lh6-",
                                                           "-lh7-", "-lhd-", "-lz4-"};

// CRC-16 as LHA computes it (polynomial 0xA001, reflected, starting at 0).
const std::array<quint16, 256>& crcTable() {
    static const std::array<quint16, 256> table = [] {
        std::array<quint16, 256> t{};
        for (unsigned i = 0; i < 256; ++i) {
            quint16 crc = static_cast<quint16>(i);
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc & 1) != 0 ? static_cast<quint16>((crc >> 1) ^ 0xA001)
                                     : static_cast<quint16>(crc >> 1);
            }
            t[i] = crc;
        }
        return t;
    }();
    return table;
}

quint16 updateCrc(quint16 crc, const unsigned char* data, size_t size) {
    const std::array<quint16, 256>& table = crcTable();
    for (size_t i = 0; i < size; ++i) {
        crc = static_cast<quint16>((crc >> 8) ^ table[(crc ^ data[i]) & 0xFF]);
    }
    return crc;
}

quint16 le16(const uint8_t* bytes) {
    return static_cast<quint16>(bytes[0] | (bytes[1] << 8));
}

quint32 le32(const uint8_t* bytes) {
    return static_cast<quint32>(bytes[0]) | static_cast<quint32>(bytes[1]) << 8 |
           static_cast<quint32>(bytes[2]) << 16 | static_cast<quint32>(bytes[3]) << 24;
}

// UTF-16LE bytes as UTF-8, 0xFFFF (the folder separator of the UTF-16 folder header) as "/".
QByteArray utf16Name(const char* data, qsizetype length) {
    QString text;
    text.reserve(length / 2);
    for (qsizetype i = 0; i + 1 < length; i += 2) {
        const auto unit = static_cast<char16_t>(static_cast<uint8_t>(data[i]) |
                                                static_cast<uint8_t>(data[i + 1]) << 8);
        text += unit == 0xFFFF ? QChar(u'/') : QChar(unit);
    }
    return text.toUtf8();
}

QByteArray asFolder(QByteArray folder) {
    if (!folder.isEmpty() && !folder.endsWith('/')) {
        folder += '/';
    }
    return folder;
}

// The name as the header stores it. liblhasa turns every byte 0x5C of a DOS name into "/", also
// where it is the second byte of a CP932 character ("表", "ソ"); the name is taken from the raw
// header instead, and its separators are turned after it has been decoded. A name in the UTF-16
// headers wins over the other; it is given as UTF-8 and `utf8` is set. Levels 0-3; false when
// the header does not parse (liblhasa's own name is used then).
bool rawHeaderName(const LHAFileHeader* header, QByteArray& name, bool& utf8) {
    const uint8_t* raw = header->raw_data;
    const size_t size = header->raw_data_len;
    if (raw == nullptr || size < 24) {
        return false;
    }
    const int level = raw[20];
    QByteArray folder;
    QByteArray file;
    QByteArray wideFolder;
    QByteArray wideFile;
    size_t extended = 0;  // offset of the first extended header's size field
    size_t field = 2;     // bytes of a size field
    if (level == 0 || level == 1) {
        const size_t length = raw[21];
        if (22 + length > size) {
            return false;
        }
        file = QByteArray(reinterpret_cast<const char*>(raw + 22), static_cast<qsizetype>(length));
        if (level == 0) {
            name = file;
            return true;
        }
        extended = 22 + length + 3;  // CRC, OS
    } else if (level == 2) {
        extended = 24;
    } else if (level == 3) {
        extended = 28;
        field = 4;
    } else {
        return false;
    }
    // Each extended header: its type, its data, and the size of the next one (0: no more).
    size_t next = extended;
    while (next + field <= size) {
        const size_t length = field == 2 ? le16(raw + next) : le32(raw + next);
        const size_t at = next + field;
        if (length == 0) {
            break;
        }
        if (length < field + 1 || length > size || at + length > size) {
            return false;
        }
        const auto* data = reinterpret_cast<const char*>(raw + at + 1);
        const auto dataLength = static_cast<qsizetype>(length - field - 1);
        switch (raw[at]) {
            case 0x01:
                file = QByteArray(data, dataLength);
                break;
            case 0x02:
                folder = asFolder(QByteArray(data, dataLength).replace('\xFF', '/'));
                break;
            case 0x44:
                wideFile = utf16Name(data, dataLength);
                break;
            case 0x45:
                wideFolder = asFolder(utf16Name(data, dataLength));
                break;
            default:
                break;  // times, attributes, comments, other systems' data: not the name's
        }
        next = at + length - field;
    }
    utf8 = !wideFolder.isEmpty() || !wideFile.isEmpty();
    if (utf8) {
        // The other half, if any, in the same encoding.
        text_codec::Cp932 codec;
        name = (wideFolder.isEmpty() ? codec.decode(folder).toUtf8() : wideFolder) +
               (wideFile.isEmpty() ? codec.decode(file).toUtf8() : wideFile);
    } else {
        name = folder + file;
    }
    return true;
}

QByteArray headerName(const LHAFileHeader* header, bool* utf8 = nullptr) {
    QByteArray name;
    bool wide = false;
    if (rawHeaderName(header, name, wide)) {
        if (utf8 != nullptr) {
            *utf8 = wide;
        }
        // A link stores "name|target"; the target is what liblhasa gave.
        if (header->symlink_target != nullptr) {
            const qsizetype target = static_cast<qsizetype>(std::strlen(header->symlink_target));
            if (name.size() > target && name.at(name.size() - target - 1) == '|') {
                name.chop(target + 1);
            }
        }
        return name;
    }
    if (header->path != nullptr) {
        name += header->path;
    }
    if (header->filename != nullptr) {
        name += header->filename;
    }
    return name;
}

bool isDirectory(const LHAFileHeader* header) {
    return std::strcmp(header->compress_method, LHA_COMPRESS_TYPE_DIR) == 0;
}

bool libarchiveDecodes(const char* method) {
    for (const char* known : kLibarchiveMethods) {
        if (std::strcmp(method, known) == 0) {
            return true;
        }
    }
    return false;
}

bool isCp932(text_codec::Cp932& codec, const QByteArray& bytes) {
    return !codec.decode(bytes).contains(QChar(0xFFFD));
}

// CP932 when the bytes are CP932, UTF-8 when they are UTF-8, else the bytes kept.
QString nameText(text_codec::Cp932& codec, const QByteArray& bytes) {
    if (bytes.isEmpty()) {
        return {};
    }
    QString cp932 = codec.decode(bytes);
    if (!cp932.contains(QChar(0xFFFD))) {
        return cp932.replace(u'\\', u'/');
    }
    return decodeEntryName(nullptr, bytes);
}

}  // namespace

int LhasaSource::readCallback(void* handle, void* buffer, size_t length) {
    auto* self = static_cast<LhasaSource*>(handle);
    const size_t got = std::fread(buffer, 1, length, self->m_file);
    if (got == 0 && std::ferror(self->m_file) != 0) {
        return -1;
    }
    self->m_position += static_cast<qint64>(got);
    return static_cast<int>(got);
}

int LhasaSource::skipCallback(void* handle, size_t length) {
    auto* self = static_cast<LhasaSource*>(handle);
    const qint64 target = self->m_position + static_cast<qint64>(length);
    if (target > self->m_fileSize || std::fseek(self->m_file, target, SEEK_SET) != 0) {
        return 0;
    }
    self->m_position = target;
    return 1;
}

namespace {

const LHAInputStreamType kStreamType = {
    &LhasaSource::readCallback, &LhasaSource::skipCallback,
    nullptr,  // the file is closed by the source
};

}  // namespace

LhasaSource::LhasaSource() : m_entry(archive_entry_new()) {}

LhasaSource::~LhasaSource() {
    if (m_reader != nullptr) {
        lha_reader_free(m_reader);
    }
    if (m_stream != nullptr) {
        lha_input_stream_free(m_stream);
    }
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
    if (m_entry != nullptr) {
        archive_entry_free(m_entry);
    }
}

int LhasaSource::open(const QString& path) {
    if (m_entry == nullptr) {
        return archive_code::kNoWorkMemory;
    }
    m_file = std::fopen(encodeFileName(path).constData(), "rb");
    struct stat info {};
    if (m_file == nullptr || ::fstat(fileno(m_file), &info) != 0 || !S_ISREG(info.st_mode)) {
        return archive_code::kCannotOpenArchive;
    }
    m_fileSize = info.st_size;
    m_stream = lha_input_stream_new(&kStreamType, this);
    m_reader = m_stream != nullptr ? lha_reader_new(m_stream) : nullptr;
    if (m_reader == nullptr) {
        return archive_code::kNoWorkMemory;
    }
    lha_reader_set_dir_policy(m_reader, LHA_READER_DIR_PLAIN);
    return archive_code::kOk;
}

EntrySource::Step LhasaSource::fail(int code) {
    m_failure = code;
    return Step::Failed;
}

bool LhasaSource::libarchiveDecodes() const {
    return m_header != nullptr && ::libarchiveDecodes(m_header->compress_method);
}

bool LhasaSource::unicodeName() const {
    bool utf8 = false;
    return m_header != nullptr && !headerName(m_header, &utf8).isEmpty() && utf8;
}

// liblhasa gives no header at the end of the archive and for a header it cannot read alike. The
// archive ended where the next header would start: at the end of the file, or at a zero byte.
bool LhasaSource::endsCleanly() {
    if (m_nextHeader >= m_fileSize) {
        return true;
    }
    unsigned char first = 1;
    return std::fseek(m_file, m_nextHeader, SEEK_SET) == 0 &&
           std::fread(&first, 1, 1, m_file) == 1 && first == 0;
}

EntrySource::Step LhasaSource::next() {
    m_header = lha_reader_next_file(m_reader);
    if (m_header == nullptr) {
        if (endsCleanly()) {
            return m_sawEntry ? Step::End : fail(archive_code::kNotAnArchive);
        }
        return fail(m_sawEntry ? archive_code::kBadHeader : archive_code::kNotAnArchive);
    }
    m_sawEntry = true;
    // liblhasa has read the header and none of the data yet.
    m_nextHeader = m_position + static_cast<qint64>(m_header->compressed_length);
    m_done = 0;
    m_crc = 0;
    m_decodable = lha_decoder_for_name(m_header->compress_method) != nullptr;

    archive_entry_clear(m_entry);
    archive_entry_copy_pathname(m_entry, headerName(m_header).constData());
    const bool folder = isDirectory(m_header);
    const bool link = m_header->symlink_target != nullptr;
    archive_entry_set_filetype(m_entry, folder ? AE_IFDIR : link ? AE_IFLNK : AE_IFREG);
    const mode_t perm = LHA_FILE_HAVE_EXTRA(m_header, LHA_FILE_UNIX_PERMS)
                            ? static_cast<mode_t>(m_header->unix_perms & 07777)
                            : (folder ? 0755 : 0644);
    archive_entry_set_perm(m_entry, perm);
    archive_entry_set_mtime(m_entry, static_cast<time_t>(m_header->timestamp), 0);
    if (link) {
        archive_entry_copy_symlink(m_entry, m_header->symlink_target);
    } else if (!folder) {
        archive_entry_set_size(m_entry, static_cast<la_int64_t>(m_header->length));
    }
    return Step::Ok;
}

QString LhasaSource::name() {
    bool utf8 = false;
    const QByteArray bytes = headerName(m_header, &utf8);
    return utf8 ? QString::fromUtf8(bytes).replace(u'\\', u'/') : nameText(m_codec, bytes);
}

QString LhasaSource::linkTarget() {
    return m_header->symlink_target != nullptr
               ? nameText(m_codec, QByteArray(m_header->symlink_target))
               : QString();
}

EntrySource::Step LhasaSource::read(const void*& block, size_t& size, qint64& offset) {
    if (isDirectory(m_header) || m_header->symlink_target != nullptr) {
        return Step::End;
    }
    if (!m_decodable) {
        return fail(archive_code::kUnsupportedMethod);
    }
    m_buffer.resize(kBlock);
    const size_t got = lha_reader_read(m_reader, m_buffer.data(), kBlock);
    if (got > 0) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(m_buffer.constData());
        if (m_done + static_cast<qint64>(got) > static_cast<qint64>(m_header->length)) {
            return fail(archive_code::kBadData);
        }
        m_crc = updateCrc(m_crc, bytes, got);
        block = m_buffer.constData();
        size = got;
        offset = m_done;
        m_done += static_cast<qint64>(got);
        return Step::Ok;
    }
    if (m_done != static_cast<qint64>(m_header->length)) {
        return fail(m_position >= m_fileSize ? archive_code::kReadError : archive_code::kBadData);
    }
    if (m_crc != m_header->crc) {
        return fail(archive_code::kChecksum);
    }
    return Step::End;
}

bool lhasaNeeded(const QString& path) {
    LhasaSource source;
    if (source.open(path) != archive_code::kOk) {
        return false;
    }
    text_codec::Cp932 codec;
    while (source.next() == EntrySource::Step::Ok) {
        archive_entry* entry = source.entry();
        const char* name = archive_entry_pathname(entry);
        const char* target = archive_entry_symlink(entry);
        if ((name != nullptr && !isCp932(codec, QByteArray(name))) ||
            (target != nullptr && !isCp932(codec, QByteArray(target)))) {
            return true;
        }
        if (!source.libarchiveDecodes() || source.unicodeName()) {
            return true;
        }
    }
    return false;
}
