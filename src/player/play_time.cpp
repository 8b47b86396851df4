#include "player/play_time.h"

#include <cmath>

QString formatPlayTime(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0) {
        seconds = 0;
    }
    const qint64 whole = static_cast<qint64>(std::floor(seconds));
    const qint64 h = whole / 3600;
    const qint64 m = (whole / 60) % 60;
    const qint64 s = whole % 60;
    const QString ss = QStringLiteral("%1").arg(s, 2, 10, QLatin1Char('0'));
    if (h > 0) {
        return QString::number(h) + u':' + QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0')) +
               u':' + ss;
    }
    return QString::number(m) + u':' + ss;
}
