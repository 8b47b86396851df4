#pragma once

#include "archive/archive_reader.h"
#include "archive/command_line.h"
#include "archive/entry_source.h"
#include "archive/password_offers.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

class ExtractionPrompts;
struct archive;

// The free space an extraction leaves on the destination's file system; by default the larger of
// 64 MiB and 1 % of the file system. A value of 0 or more replaces it (tests); below 0 restores
// the default.
void setDiskReserveOverride(qint64 bytes);

// Extracts one archive into one folder without ever writing outside it. Every entry's name is
// checked before it is joined to the destination (a leading drive or separator is dropped; "..",
// links that point out and special files are refused and reported, and the rest goes on; control
// characters in names become "_"); libarchive's disk writer then
// refuses to write through symbolic links. Data streams through in blocks. A damaged archive
// stops the run and removes the file that was being written; files completed before stay.
//
// With request.wholeOrNothing the entries are written into a staging folder inside the
// destination and moved into place only when the whole archive read back whole; a stop leaves
// nothing behind.
//
// Result: 0 when every entry was extracted; otherwise the first code that applies: a stop
// (damage, disk full, cancel, password) returns its own code at once; refused entries give
// kCannotOpenForWrite, entries the user skipped kSkipped, entries left alone because nobody could
// be asked kExists.
class SecureExtractor {
public:
    SecureExtractor(ArchiveKind kind, ExtractionPrompts* prompts);
    int extract(const ExtractionRequest& request);
    // After a failed extract: whether the archive itself failed (not this kind of archive,
    // damaged, a method that cannot be decoded), rather than the disk or the user.
    bool archiveFailed() const { return m_archiveFailed; }

private:
    enum class Step { Next, Stop, Retry };
    std::unique_ptr<EntrySource> openSource(int& code);
    int run(std::unique_ptr<EntrySource>& source, archive* writer);
    Step extractEntry(EntrySource& source, archive* writer, int index);
    Step copyData(EntrySource& source, archive* writer, const QString& name);
    bool mayReplace(const QByteArray& relative, Step& step);
    void refuse(const QString& name, const QString& reason);
    void note(int code);
    Step stop(int code);
    bool belowReserve(qint64 extra) const;

    ArchiveKind m_kind;
    ExtractionPrompts* m_prompts;
    ExtractionRequest m_request;
    QByteArray m_root;       // the destination, resolved, without a trailing "/"
    QByteArray m_writeRoot;  // where entries are written: the root or a staging folder in it
    qint64 m_done = 0;
    int m_result = 0;
    bool m_replaceAll = false;
    bool m_archiveFailed = false;
    std::optional<PasswordOffers> m_passwords;
};

// Reads every entry's data as an extraction would, writing nothing. 0 when the archive is whole.
int verifyArchive(ArchiveKind kind, const QString& path);
