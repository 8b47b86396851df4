#pragma once

#include "archive/archive_reader.h"

#include <QString>
#include <memory>

struct archive_entry;

// Where an extraction's entries come from: one archive, read forward entry by entry. The entry's
// header is given as a libarchive entry, whichever library read it, so that one disk writer
// stores them all.
class EntrySource {
public:
    virtual ~EntrySource() = default;

    // 0, or the code of why the file cannot be read as this kind of archive.
    virtual int open(const QString& path) = 0;

    enum class Step { Ok, End, Failed };
    // The next entry's header; Failed: failureCode() says why.
    virtual Step next() = 0;
    // The current entry. The caller may change it (its names, its mode) before writing it.
    virtual archive_entry* entry() = 0;
    // The current entry's name with "/" separators; null when it has none that can be read.
    virtual QString name() = 0;
    // The target of the current symbolic link; null when it has none that can be read.
    virtual QString linkTarget() = 0;
    // The next block of the current entry's data; End after its last, once its check passed.
    virtual Step read(const void*& block, size_t& size, qint64& offset) = 0;
    // The code of the last Failed.
    virtual int failureCode() const = 0;

    // Asked for each password; attempt counts from 1, nullopt gives up. Only ZIP asks.
    virtual void setPasswordSource(ArchiveReader::PasswordSource source) { Q_UNUSED(source); }
};

// The reader for an archive of this kind. LHA archives go to libarchive, unless they hold a
// method it cannot decode (lh1-lh4, LHark's lh7, lzs, lz5, pm0-pm2 ...) or a name it cannot
// convert: those are read by liblhasa, and so is the rest of any archive where libarchive stops.
std::unique_ptr<EntrySource> makeEntrySource(ArchiveKind kind, const QString& path);
