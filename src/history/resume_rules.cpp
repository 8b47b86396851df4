#include "history/resume_rules.h"

#include <algorithm>
#include <cmath>

#include "history/messages.h"
#include "player/play_time.h"

namespace {

// At or past the played share of the duration; whole numbers, so 95 % is exact.
bool inPlayedShare(qint64 positionMs, qint64 durationMs) {
    return durationMs > 0 && positionMs * 100 >= durationMs * kPlayedPercent;
}

}  // namespace

qint64 resumePositionMs(qint64 positionMs, qint64 durationMs) {
    if (durationMs < kResumeMinDurationMs || positionMs < kResumeLeadInMs ||
        positionMs > durationMs || inPlayedShare(positionMs, durationMs)) {
        return 0;
    }
    return positionMs - kResumeRewindMs;
}

bool countsAsPlayed(qint64 positionMs, qint64 durationMs, bool reachedEnd) {
    return reachedEnd || inPlayedShare(positionMs, durationMs);
}

std::optional<double> progressFraction(const FileHistory& file) {
    if (file.played || resumePositionMs(file.positionMs, file.durationMs) == 0) {
        return std::nullopt;
    }
    return double(file.positionMs) / double(file.durationMs);
}

std::uint8_t heardMark(const FileHistory& file) {
    if (file.played) {
        return 100;
    }
    const std::optional<double> fraction = progressFraction(file);
    if (!fraction) {
        return 0;
    }
    return static_cast<std::uint8_t>(std::clamp(std::lround(*fraction * 100), 1L, 99L));
}

QString resumeText(qint64 startMs) {
    return history_msg::resumeFrom() + u' ' + formatPlayTime(double(startMs) / 1000.0);
}
