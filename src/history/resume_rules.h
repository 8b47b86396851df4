#pragma once

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <optional>

#include "history/history_records.h"

// The rules of resuming and of played marks, apart from the store so they can be read and
// tested on their own. Times are milliseconds; a duration of 0 is unknown.

inline constexpr qint64 kResumeMinDurationMs = 3 * 60 * 1000;  // shorter files start over
inline constexpr qint64 kResumeLeadInMs = 10 * 1000;           // a position before this starts over
inline constexpr qint64 kResumeRewindMs = 2 * 1000;            // the start goes back this much
inline constexpr int kPlayedPercent = 95;  // from here on a file counts as played

// Where a file left at positionMs starts next time: 0 (the beginning) for a file shorter than
// three minutes, a position in its first ten seconds or its last 5 %, or one past its end;
// otherwise two seconds before the position.
qint64 resumePositionMs(qint64 positionMs, qint64 durationMs);

// Whether a file left at positionMs counts as played: it reached its end, or 95 % of it.
bool countsAsPlayed(qint64 positionMs, qint64 durationMs, bool reachedEnd);

// How far a file in progress is (0 to 1), for the list to show; none for a file not in
// progress: played, or one that would start from the beginning.
std::optional<double> progressFraction(const FileHistory& file);

// A row's mark in the list: 100 once played to its end, the per cent played (1-99) while it
// would resume, else 0. A file whose stamp changed since it was left resumes no more.
std::uint8_t heardMark(const FileHistory& file);

// Status panel 1's note for a start at startMs: "続きから再生 12:34", in the control bars' time
// format (h:mm:ss from one hour on).
QString resumeText(qint64 startMs);
