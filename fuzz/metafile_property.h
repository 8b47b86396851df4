#pragma once

// The property every metafile reader keeps, whatever the bytes: it ends; it gives at most
// kMaxMetafileEntries references (entries and their stand-ins), and no more than the input has
// places that can name one; every reference is an absolute clean local path or an address of a
// network protocol, never one of the player's own protocols; a picture's time is finite and not
// negative.

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
    qsizetype references = 0;
    for (const MetafileEntry& e : entries) {
        references += 1 + e.alternatives.size();
    }
    require(references <= kMaxMetafileEntries, "bounded number of references");
    require(references <= places(input), "no more references than the input names");
    static const QRegularExpression kNetwork(
        QStringLiteral("^(https?|rtsps?|rtmp|mms[ht]?|pnm|ftp)://"),
        QRegularExpression::CaseInsensitiveOption);
    const auto checkTarget = [](const QString& target) {
        require(!target.isEmpty(), "no empty entry");
        if (target.startsWith(u'/')) {
            require(QDir::cleanPath(target) == target, "local entries are clean paths");
        } else {
            require(kNetwork.match(target).hasMatch(), "addresses only of network protocols");
        }
    };
    for (const MetafileEntry& e : entries) {
        checkTarget(e.target);
        for (const QString& alternative : e.alternatives) {
            checkTarget(alternative);
        }
        require(std::isfinite(e.seconds) && e.seconds >= 0, "a picture's time is a time");
    }
}

// How many times `word` occurs, in any case.
inline qsizetype occurrences(const QByteArray& input, const char* word) {
    return input.toLower().count(word);
}
