#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The LZMA method of ZIP keeps its dictionary size in the first bytes of an entry's data, and the
// decoder reserves that much memory at once: up to 4 GiB for a few bytes of a hostile archive.
// These checks find such an entry before libarchive is asked to read it.
namespace zip_lzma {

// The most memory an LZMA entry may have reserved for its dictionary: as much as the entry's
// own size (an encoder never needs more, and shrinks it to that), but never less than 64 MiB nor
// more than 1 GiB.
qint64 dictionaryLimit(qint64 uncompressedSize);

// The dictionary size in an LZMA entry's data as ZIP stores it (version, properties size, the
// properties), or -1 when the bytes do not hold one.
qint64 dictionarySize(const QByteArray& dataStart);

// Whether an entry of the ZIP at path uses LZMA with a dictionary above its limit. Reads the
// central directory and the local headers it names; when there is none, or it names places that
// hold no local header, every local header found in the file.
bool asksTooMuchMemory(const QString& path);

}  // namespace zip_lzma
