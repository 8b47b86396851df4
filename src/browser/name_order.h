#pragma once

#include <QByteArray>
#include <QStringView>
#include <vector>

struct FileRow;
struct UCollator;

// The natural order of file names, as people read them: runs of digits compare by their value
// (full-width digits count as digits), and the comparison follows Japanese collation, so that
// upper and lower case, and half-width and full-width katakana, sort together.
//
// The order comes from ICU's collation (Japanese, numeric mode, secondary strength) as sort keys:
// a name's key is made once, and keys then compare as plain bytes. ICU is used directly rather
// than through QCollator, whose keys are opaque: the list's sort packs the first bytes of each
// key into its compact records, which keeps 100,000 rows cheap to sort again and again.
// One collator serves one thread.
class NameCollator {
public:
    NameCollator();
    ~NameCollator();
    NameCollator(const NameCollator&) = delete;
    NameCollator& operator=(const NameCollator&) = delete;

    // The key of a name: byte strings compare as the names' natural order. Names that differ only
    // in case or width get equal keys. Empty only when no collator could be had.
    QByteArray sortKey(QStringView name) const;

private:
    UCollator* m_collator = nullptr;
};

// Gives every row without one the sort key of its name; a long run of rows is shared among the
// machine's cores.
void fillNameKeys(std::vector<FileRow>& rows);

// The natural order of two names (<0, 0, >0), for a single comparison; names equal in the
// natural order compare by the list's plain text order, so that no two names tie.
int compareNaturalNames(QStringView a, QStringView b);
