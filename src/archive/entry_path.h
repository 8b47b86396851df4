#pragma once

#include <QString>

// Where an entry's name may take it. The archive's names are checked before anything is joined
// to the destination: libarchive's secure flags are a second line, not the only one.
enum class EntryPathVerdict { Ok, Empty, DotDot };

struct EntryPath {
    EntryPathVerdict verdict = EntryPathVerdict::Empty;
    QString relative;  // "a/b/c": no "." or empty parts, no leading or trailing "/"
};

// Checks a name with "/" separators. A leading DOS drive ("C:") and leading separators are
// dropped, as every extractor does: some Windows archivers store "/dir/file" for "dir/file", and
// the entry lands inside the destination either way.
EntryPath checkEntryPath(const QString& name);

// The name with every control character (C0, DEL, C1: ESC, BEL, a line break...) turned into
// "_", so that no name of an archive reaches a message, a terminal or the disk with them.
QString withoutControlCharacters(QString name);

// True when a link at `entryRelative` (a checked relative path) whose target is `target` points
// to a place inside the destination, wherever the archive's other links lead. A ".." after a
// name in the target is refused.
bool linkStaysInside(const QString& entryRelative, const QString& target);
