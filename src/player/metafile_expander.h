#pragma once

#include <QList>
#include <QString>

#include "player/metafile.h"

// What a metafile plays: the media it names in order, the metafiles among them read in their
// place. Refused when a metafile names itself, directly or through another (it would loop), or
// the nesting is deeper than any real list; then nothing of it is played.
struct MetafilePlan {
    QList<MetafileEntry> entries;
    bool refused = false;
};

// Reads the metafile at `path` (of the given format) and the local metafiles it names. Only
// files it names are read, each at most kMaxMetafileBytes; nothing is written.
MetafilePlan expandMetafile(const QString& path, MetafileFormat format);

inline constexpr qint64 kMaxMetafileBytes = 4 * 1024 * 1024;
inline constexpr int kMaxMetafileDepth = 8;
