#pragma once

// The property every metafile reader keeps, whatever the bytes: it ends; it gives at most
// kMaxMetafileEntries entries, and no more than the input has places that can name one; every
// entry is an absolute clean local path or an address of a network protocol, never one of the
// player's own protocols; a picture's time is finite and not negative.

#include <QDir>
#include <QRegularExpression>

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "player/metafile.h"
#include "property.h"

inline void checkMetafileReader(MetafileFormat format, const uint8_t* data, size_t size,
                                qsizetype places(const QByteArray& input)) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString folder = QStringLiteral("/fuzz/list");
    const QList<MetafileEntry> entries = parseMetafile(format, input, folder);
    require(entries.size() <= kMaxMetafileEntries, "bounded number of entries");
    require(entries.size() <= places(input), "no more entries than the input names");
    static const QRegularExpression kNetwork(
        QStringLiteral("^(https?|rtsps?|rtmp|mms[ht]?|pnm|ftp)://"),
        QRegularExpression::CaseInsensitiveOption);
    for (const MetafileEntry& e : entries) {
        require(!e.target.isEmpty(), "no empty entry");
        if (e.target.startsWith(u'/')) {
            require(QDir::cleanPath(e.target) == e.target, "local entries are clean paths");
        } else {
            require(kNetwork.match(e.target).hasMatch(), "addresses only of network protocols");
        }
        require(std::isfinite(e.seconds) && e.seconds >= 0, "a picture's time is a time");
    }
}

// How many times `word` occurs, in any case.
inline qsizetype occurrences(const QByteArray& input, const char* word) {
    return input.toLower().count(word);
}
