#include "archive/zip_lzma_guard.h"

#include "platform/file_name_codec.h"

#include <sys/stat.h>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace zip_lzma {

namespace {

constexpr qint64 kMiB = 1024 * 1024;
constexpr qint64 kFloor = 64 * kMiB;
constexpr qint64 kCeiling = 1024 * kMiB;
constexpr int kLzmaMethod = 14;
constexpr qint64 kEndRecordSize = 22;
constexpr qint64 kLongestComment = 0xFFFF;
constexpr qint64 kLargestDirectory = 256 * kMiB;  // larger ones are not read (nor are they ZIPs)
constexpr qint64 kScanBlock = 1024 * 1024;

using File = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

quint64 le(const QByteArray& bytes, qsizetype at, int width) {
    quint64 value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = value << 8 | static_cast<quint8>(bytes.at(at + i));
    }
    return value;
}

QByteArray readAt(std::FILE* file, qint64 offset, qint64 size) {
    QByteArray bytes;
    if (offset < 0 || size <= 0 || ::fseeko(file, offset, SEEK_SET) != 0) {
        return bytes;
    }
    bytes.resize(size);
    bytes.resize(static_cast<qsizetype>(std::fread(bytes.data(), 1, size, file)));
    return bytes;
}

enum class Local { Missing, Fine, TooLarge };

// The entry at a local header's offset. libarchive takes the method from the local header, so
// that is the one looked at. Encrypted data cannot be looked into. `size` is the uncompressed
// size, or -1 to take the local header's.
Local localEntry(std::FILE* file, qint64 offset, qint64 size) {
    const QByteArray header = readAt(file, offset, 30);
    if (header.size() < 30 || !header.startsWith("PK\x03\x04")) {
        return Local::Missing;
    }
    if (le(header, 8, 2) != kLzmaMethod || (le(header, 6, 2) & 1) != 0) {
        return Local::Fine;
    }
    const qint64 data = offset + 30 + static_cast<qint64>(le(header, 26, 2) + le(header, 28, 2));
    const qint64 dictionary = dictionarySize(readAt(file, data, 9));
    const qint64 limit = dictionaryLimit(size >= 0 ? size : static_cast<qint64>(le(header, 22, 4)));
    return dictionary > limit ? Local::TooLarge : Local::Fine;
}

struct Directory {
    qint64 offset = -1;
    qint64 size = 0;
};

// Where the central directory is, from the end record (and its ZIP64 form); offset -1: none.
Directory findDirectory(std::FILE* file, qint64 fileSize) {
    const qint64 tailSize = std::min(fileSize, kEndRecordSize + kLongestComment);
    const QByteArray tail = readAt(file, fileSize - tailSize, tailSize);
    const qsizetype end = tail.lastIndexOf("PK\x05\x06");
    Directory directory;
    if (end < 0 || end + kEndRecordSize > tail.size()) {
        return directory;
    }
    directory.size = static_cast<qint64>(le(tail, end + 12, 4));
    directory.offset = static_cast<qint64>(le(tail, end + 16, 4));
    if (directory.offset == 0xFFFFFFFF || directory.size == 0xFFFFFFFF) {
        const qint64 endAt = fileSize - tailSize + end;
        const QByteArray locator = readAt(file, endAt - 20, 20);
        if (locator.size() == 20 && locator.startsWith("PK\x06\x07")) {
            const QByteArray record = readAt(file, static_cast<qint64>(le(locator, 8, 8)), 56);
            if (record.size() == 56 && record.startsWith("PK\x06\x06")) {
                directory.size = static_cast<qint64>(le(record, 40, 8));
                directory.offset = static_cast<qint64>(le(record, 48, 8));
            }
        }
    }
    return directory;
}

// A central entry's uncompressed size and local header offset, from its ZIP64 field where the
// plain ones are full.
void readZip64(const QByteArray& extra, qint64& size, qint64& offset, bool compressedFull) {
    for (qsizetype at = 0; at + 4 <= extra.size();) {
        const auto id = le(extra, at, 2);
        const auto length = static_cast<qsizetype>(le(extra, at + 2, 2));
        if (id == 0x0001) {
            qsizetype field = at + 4;
            const qsizetype fieldEnd = std::min(extra.size(), at + 4 + length);
            if (size == 0xFFFFFFFF && field + 8 <= fieldEnd) {
                size = static_cast<qint64>(le(extra, field, 8));
                field += 8;
            }
            if (compressedFull) {
                field += 8;
            }
            if (offset == 0xFFFFFFFF && field + 8 <= fieldEnd) {
                offset = static_cast<qint64>(le(extra, field, 8));
            }
            return;
        }
        at += 4 + length;
    }
}

// Every entry the central directory names, at its local header. Missing when one of them is not
// where it is said to be: libarchive then looks for it elsewhere (data before the archive).
Local directoryEntries(std::FILE* file, const Directory& directory) {
    const QByteArray entries = readAt(file, directory.offset, directory.size);
    for (qsizetype at = 0; at + 46 <= entries.size() && entries.mid(at, 4) == "PK\x01\x02";) {
        const auto nameLength = static_cast<qsizetype>(le(entries, at + 28, 2));
        const auto extraLength = static_cast<qsizetype>(le(entries, at + 30, 2));
        const auto commentLength = static_cast<qsizetype>(le(entries, at + 32, 2));
        auto size = static_cast<qint64>(le(entries, at + 24, 4));
        auto offset = static_cast<qint64>(le(entries, at + 42, 4));
        readZip64(entries.mid(at + 46 + nameLength, extraLength), size, offset,
                  le(entries, at + 20, 4) == 0xFFFFFFFF);
        const Local local = localEntry(file, offset, size);
        if (local != Local::Fine) {
            return local;
        }
        at += 46 + nameLength + extraLength + commentLength;
    }
    return Local::Fine;
}

// Without a central directory libarchive reads the local headers one after the other; any of
// them may be one.
bool localHeadersTooLarge(std::FILE* file, qint64 fileSize) {
    for (qint64 start = 0; start < fileSize; start += kScanBlock) {
        // Overlapping by three bytes, so that no signature is cut.
        const QByteArray block = readAt(file, start, kScanBlock + 3);
        for (qsizetype at = block.indexOf("PK\x03\x04"); at >= 0;
             at = block.indexOf("PK\x03\x04", at + 1)) {
            if (localEntry(file, start + at, -1) == Local::TooLarge) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

qint64 dictionaryLimit(qint64 uncompressedSize) {
    return std::clamp(uncompressedSize, kFloor, kCeiling);
}

qint64 dictionarySize(const QByteArray& dataStart) {
    // Major and minor version of the LZMA SDK, the size of the properties (5), the properties:
    // one byte of lc/lp/pb and the dictionary size.
    if (dataStart.size() < 9 || le(dataStart, 2, 2) != 5) {
        return -1;
    }
    return static_cast<qint64>(le(dataStart, 5, 4));
}

bool asksTooMuchMemory(const QString& path) {
    const File file(std::fopen(encodeFileName(path).constData(), "rb"), &std::fclose);
    struct stat info {};
    if (!file || ::fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    const Directory directory = findDirectory(file.get(), info.st_size);
    if (directory.offset >= 0 && directory.size <= kLargestDirectory &&
        directory.offset + directory.size <= info.st_size) {
        const Local entries = directoryEntries(file.get(), directory);
        if (entries != Local::Missing) {
            return entries == Local::TooLarge;
        }
    }
    return localHeadersTooLarge(file.get(), info.st_size);
}

}  // namespace zip_lzma
