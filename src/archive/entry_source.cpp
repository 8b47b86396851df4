#include "archive/entry_source.h"

#include "archive/archive_codes.h"
#include "archive/lhasa_source.h"
#include "archive/name_charset.h"

#include <archive.h>
#include <archive_entry.h>

namespace {

// libarchive: its reader, and the raw names of entries whose names it could not convert.
class LibarchiveSource final : public EntrySource {
public:
    explicit LibarchiveSource(ArchiveKind kind) : m_kind(kind), m_reader(kind) {}

    int open(const QString& path) override {
        m_path = path;
        return m_reader.open(path);
    }

    Step next() override {
        const int header = archive_read_next_header(m_reader.handle(), &m_entry);
        if (header == ARCHIVE_EOF) {
            return Step::End;
        }
        if (header < ARCHIVE_WARN) {
            m_failure = m_reader.failureCode(ArchiveReader::Stage::Header);
            return Step::Failed;
        }
        // A warning here is a name that could not be converted: name() deals with it.
        ++m_index;
        return Step::Ok;
    }

    archive_entry* entry() override { return m_entry; }

    QString name() override {
        const char* converted = archive_entry_pathname(m_entry);
        if (converted != nullptr) {
            return decodeEntryName(converted, {});
        }
        if (!m_rawNames) {
            m_rawNames.emplace(m_kind, m_path);
        }
        return decodeEntryName(nullptr, m_rawNames->nameAt(m_index));
    }

    QString linkTarget() override {
        const char* target = archive_entry_symlink(m_entry);
        return target != nullptr ? decodeEntryName(target, {}) : QString();
    }

    Step read(const void*& block, size_t& size, qint64& offset) override {
        la_int64_t at = 0;
        const int result = archive_read_data_block(m_reader.handle(), &block, &size, &at);
        offset = at;
        if (result == ARCHIVE_EOF) {
            return Step::End;
        }
        // libarchive reports a CRC mismatch as a warning after the data: a warning is a failure.
        if (result != ARCHIVE_OK) {
            m_failure = m_reader.failureCode(ArchiveReader::Stage::Data);
            return Step::Failed;
        }
        return Step::Ok;
    }

    int failureCode() const override { return m_failure; }

    void setPasswordSource(ArchiveReader::PasswordSource source) override {
        m_reader.setPasswordSource(std::move(source));
    }

private:
    ArchiveKind m_kind;
    ArchiveReader m_reader;
    QString m_path;
    std::optional<RawEntryNames> m_rawNames;
    archive_entry* m_entry = nullptr;
    int m_index = -1;
    int m_failure = archive_code::kOk;
};

}  // namespace

std::unique_ptr<EntrySource> makeEntrySource(ArchiveKind kind, const QString& path) {
    if (kind == ArchiveKind::Lha && lhasaNeeded(path)) {
        return std::make_unique<LhasaSource>();
    }
    return std::make_unique<LibarchiveSource>(kind);
}
