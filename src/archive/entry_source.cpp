#include "archive/entry_source.h"

#include "archive/archive_codes.h"
#include "archive/lhasa_source.h"
#include "archive/name_charset.h"
#include "archive/zip_lzma_guard.h"

#include <archive.h>
#include <archive_entry.h>

namespace {

// libarchive: its reader, and the raw names of entries whose names it could not convert.
class LibarchiveSource final : public EntrySource {
public:
    explicit LibarchiveSource(ArchiveKind kind) : m_kind(kind), m_reader(kind) {}

    int open(const QString& path) override {
        m_path = path;
        // Refused before libarchive could reserve the dictionary: the memory is not there.
        if (m_kind == ArchiveKind::Zip && zip_lzma::asksTooMuchMemory(path)) {
            return archive_code::kDiskFull;
        }
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

// An LHA archive through libarchive, the faster of the two, for as long as it reads it. Where it
// stops (a format or an extended header it does not know, a method it lacks, data it decodes
// wrong), liblhasa opens the archive anew and goes on from the same entry: the entries before it
// are passed over unread, the one that failed is read again from its start.
class LhaSource final : public EntrySource {
public:
    int open(const QString& path) override {
        m_path = path;
        m_current = &m_libarchive;
        const int opened = m_libarchive.open(path);
        return opened == archive_code::kOk ? opened : takeOver(0, opened);
    }

    Step next() override {
        Step step = m_current->next();
        if (step == Step::Failed && canTakeOver()) {
            step = takeOver(m_entries, m_libarchive.failureCode()) == archive_code::kOk
                       ? m_current->next()
                       : Step::Failed;
        }
        if (step == Step::Ok) {
            ++m_entries;
        }
        return step;
    }

    archive_entry* entry() override { return m_current->entry(); }
    QString name() override { return m_current->name(); }
    QString linkTarget() override { return m_current->linkTarget(); }

    Step read(const void*& block, size_t& size, qint64& offset) override {
        const Step step = m_current->read(block, size, offset);
        if (step != Step::Failed || !canTakeOver()) {
            return step;
        }
        if (takeOver(m_entries - 1, m_libarchive.failureCode()) != archive_code::kOk ||
            m_current->next() != Step::Ok) {
            return Step::Failed;
        }
        return m_current->read(block, size, offset);
    }

    int failureCode() const override {
        return m_failure != archive_code::kOk ? m_failure : m_current->failureCode();
    }

private:
    bool canTakeOver() const { return m_current == &m_libarchive; }

    // Switches to liblhasa placed before entry `index`. On failure the code is libarchive's
    // (`code`): it is what stopped first.
    int takeOver(int index, int code) {
        m_current = &m_lhasa;
        int opened = m_lhasa.open(m_path);
        for (int skipped = 0; opened == archive_code::kOk && skipped < index; ++skipped) {
            if (m_lhasa.next() != Step::Ok) {
                opened = code;
            }
        }
        if (opened != archive_code::kOk) {
            m_failure = code;
        }
        return opened;
    }

    QString m_path;
    LibarchiveSource m_libarchive{ArchiveKind::Lha};
    LhasaSource m_lhasa;
    EntrySource* m_current = nullptr;
    int m_entries = 0;  // headers given out
    int m_failure = archive_code::kOk;
};

}  // namespace

std::unique_ptr<EntrySource> makeEntrySource(ArchiveKind kind, const QString& path) {
    if (kind == ArchiveKind::Zip) {
        return std::make_unique<LibarchiveSource>(kind);
    }
    // The headers say beforehand when libarchive cannot do it: no need to start it then.
    if (lhasaNeeded(path)) {
        return std::make_unique<LhasaSource>();
    }
    return std::make_unique<LhaSource>();
}
