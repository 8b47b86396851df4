#pragma once

#include <QString>

// Where an entry's name may take it. The archive's names are checked before anything is joined
// to the destination: libarchive's secure flags are a second line, not the only one.
enum class EntryPathVerdict { Ok, Empty, Absolute, DotDot };

struct EntryPath {
    EntryPathVerdict verdict = EntryPathVerdict::Empty;
    QString relative;  // "a/b/c": no "." or empty parts, no leading or trailing "/"
};

// Checks a name with "/" separators. Absolute: a leading "/" or a DOS drive ("C:").
EntryPath checkEntryPath(const QString& name);

// True when a link at `entryRelative` (a checked relative path) whose target is `target` points
// to a place inside the destination, wherever the archive's other links lead. A ".." after a
// name in the target is refused.
bool linkStaysInside(const QString& entryRelative, const QString& target);
