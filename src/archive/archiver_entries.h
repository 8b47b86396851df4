#pragma once

#include <QString>
#include <optional>

// The archiver entry points the program calls, with the calls, command lines and result codes of
// the libraries it was written for (see command_line.h for the lines, archive_codes.h for the
// codes). Extraction runs on libarchive.

// What an extraction asks of whoever runs it; the window shows dialogs, --extract-here too,
// tests answer from a script. All calls on the caller's thread.
class ExtractionPrompts {
public:
    virtual ~ExtractionPrompts() = default;
    enum class Overwrite { Replace, Skip, ReplaceAll, Cancel };
    // An existing file would be replaced.
    virtual Overwrite askOverwrite(const QString& path) = 0;
    // attempt 1..3; nullopt = cancel (the run then returns kPassword).
    virtual std::optional<QString> askPassword(const QString& archive, int attempt) = 0;
    // totalBytes -1 when unknown.
    virtual void begin(const QString& archive, qint64 totalBytes) = 0;
    // false = the user cancels (kCancelled).
    virtual bool advance(const QString& entry, qint64 doneBytes) = 0;
    virtual void end() = 0;
    // reason: a text of engine_messages.h.
    virtual void entryRefused(const QString& entry, const QString& reason) = 0;
};

// Without prompts (null): existing files are left alone and the run returns kExists; no password
// is known (an encrypted entry returns kPassword); nothing cancels.
int Unlha(ExtractionPrompts* prompts, const QString& commandLine, QString* output = nullptr);
// Non-zero: a valid LHA archive. Every mode reads and checks every entry's data (mode 2 is what
// the program passes).
int UnlhaCheckArchive(const QString& path, int mode);
int UnZip(ExtractionPrompts* prompts, const QString& commandLine, QString* output = nullptr);
int UnZipCheckArchive(const QString& path, int mode);

// An opaque handle on an open ZIP archive; null on failure.
using ZipHandle = struct ZipArchiveState*;
ZipHandle UnZipOpenArchive(ExtractionPrompts* prompts, const QString& path, int mode);
// 0 = an entry was found; "*.*" and "*" match every entry.
int UnZipFindFirst(ZipHandle handle, const QString& wildcard);
// The found entry's attributes (0x01 read-only, 0x10 folder, 0x20 file, 0x40 encrypted); -1 on
// error.
int UnZipGetAttribute(ZipHandle handle);
// 0; -1 for a null handle.
int UnZipCloseArchive(ZipHandle handle);

// Unlha and UnZip with their check in the same pass: the archive is extracted into a staging
// folder inside the destination and moved into place only when every entry read back whole, so
// a damaged archive leaves nothing behind. `damaged` tells a failure of the archive itself (one
// the check calls would have found) from one of the disk or the user.
int UnlhaChecked(ExtractionPrompts* prompts, const QString& commandLine, bool* damaged);
int UnZipChecked(ExtractionPrompts* prompts, const QString& commandLine, bool* damaged);

// True: these entry points are built into the program (the window's library check uses it).
bool archiveEntriesBuiltIn();
