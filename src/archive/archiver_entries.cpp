#include "archive/archiver_entries.h"

#include "archive/archive_codes.h"
#include "archive/archive_reader.h"
#include "archive/command_line.h"
#include "archive/name_charset.h"
#include "archive/secure_extractor.h"

#include <archive.h>
#include <archive_entry.h>
#include <QRegularExpression>
#include <memory>

namespace {

enum class Run { Plain, Checked };

int runExtraction(ArchiveKind kind, ExtractionPrompts* prompts, ParsedCommand parsed,
                  QString* output, Run run = Run::Plain, bool* damaged = nullptr) {
    int result = parsed.error;
    bool archiveFailed = false;
    if (result == archive_code::kOk) {
        SecureExtractor extractor(kind, prompts);
        parsed.request.wholeOrNothing = run == Run::Checked;
        result = extractor.extract(parsed.request);
        archiveFailed = result != archive_code::kOk && extractor.archiveFailed();
    }
    if (damaged != nullptr) {
        *damaged = archiveFailed;
    }
    if (output != nullptr) {
        output->clear();  // the program never reads it; the libraries' report is not kept
    }
    return result;
}

}  // namespace

int Unlha(ExtractionPrompts* prompts, const QString& commandLine, QString* output) {
    return runExtraction(ArchiveKind::Lha, prompts, parseLhaCommand(commandLine), output);
}

int UnlhaCheckArchive(const QString& path, int mode) {
    Q_UNUSED(mode);
    return verifyArchive(ArchiveKind::Lha, path) == archive_code::kOk ? 1 : 0;
}

int UnZip(ExtractionPrompts* prompts, const QString& commandLine, QString* output) {
    return runExtraction(ArchiveKind::Zip, prompts, parseZipCommand(commandLine), output);
}

int UnZipCheckArchive(const QString& path, int mode) {
    Q_UNUSED(mode);
    return verifyArchive(ArchiveKind::Zip, path) == archive_code::kOk ? 1 : 0;
}

int UnlhaChecked(ExtractionPrompts* prompts, const QString& commandLine, bool* damaged) {
    return runExtraction(ArchiveKind::Lha, prompts, parseLhaCommand(commandLine), nullptr,
                         Run::Checked, damaged);
}

int UnZipChecked(ExtractionPrompts* prompts, const QString& commandLine, bool* damaged) {
    return runExtraction(ArchiveKind::Zip, prompts, parseZipCommand(commandLine), nullptr,
                         Run::Checked, damaged);
}

// The open archive behind a ZipHandle: its reader and the entry last found.
struct ZipArchiveState {
    explicit ZipArchiveState(const QString& archivePath) : path(archivePath) {}
    QString path;
    ArchiveReader reader{ArchiveKind::Zip};
    archive_entry* found = nullptr;
};

ZipHandle UnZipOpenArchive(ExtractionPrompts* prompts, const QString& path, int mode) {
    Q_UNUSED(prompts);  // listing never needs a password
    Q_UNUSED(mode);
    Utf8CtypeScope utf8Names;  // libarchive fixes an archive's charset on first use
    auto state = std::make_unique<ZipArchiveState>(path);
    if (state->reader.open(path) != archive_code::kOk) {
        return nullptr;
    }
    return state.release();
}

int UnZipFindFirst(ZipHandle handle, const QString& wildcard) {
    if (handle == nullptr) {
        return -1;
    }
    handle->found = nullptr;
    Utf8CtypeScope utf8Names;
    const bool all = wildcard == u"*.*" || wildcard == u"*" || wildcard.isEmpty();
    const QRegularExpression pattern(
        QRegularExpression::wildcardToRegularExpression(
            wildcard, QRegularExpression::UnanchoredWildcardConversion),
        QRegularExpression::CaseInsensitiveOption);
    archive_entry* entry = nullptr;
    while (archive_read_next_header(handle->reader.handle(), &entry) >= ARCHIVE_WARN) {
        const char* name = archive_entry_pathname(entry);
        if (all || (name != nullptr && pattern.match(QString::fromUtf8(name)).hasMatch())) {
            handle->found = entry;
            return 0;
        }
    }
    return -1;
}

int UnZipGetAttribute(ZipHandle handle) {
    if (handle == nullptr || handle->found == nullptr) {
        return -1;
    }
    archive_entry* entry = handle->found;
    int attributes = archive_entry_filetype(entry) == AE_IFDIR ? 0x10 : 0x20;
    if ((archive_entry_perm(entry) & 0222) == 0) {
        attributes |= 0x01;
    }
    if (archive_entry_is_encrypted(entry)) {
        attributes |= 0x40;
    }
    return attributes;
}

int UnZipCloseArchive(ZipHandle handle) {
    if (handle == nullptr) {
        return -1;
    }
    delete handle;
    return 0;
}

bool archiveEntriesBuiltIn() {
    return true;
}
