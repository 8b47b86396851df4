#include "app/window_placement.h"

#include <algorithm>
#include <cstdlib>

#include "app/pane_layout.h"

namespace {

// How much of the window must lie on one screen for the user to reach it: a good grip on the
// title bar, or the whole window when it is smaller.
constexpr int kGripWidth = 1500;
constexpr int kGripHeight = 450;
// Farther than any desktop reaches, and safely within the arithmetic of a rectangle.
constexpr qint64 kFar = qint64{1} << 28;

bool reachable(const QRect& window, const QList<QRect>& screens) {
    for (const QRect& screen : screens) {
        const QRect shared = window.intersected(screen);
        if (shared.width() >= std::min(window.width(), kGripWidth) &&
            shared.height() >= std::min(window.height(), kGripHeight)) {
            return true;
        }
    }
    return false;
}

}  // namespace

QPoint centredOn(const QRect& screen, int width, int height) {
    const qint64 left = (qint64{screen.width()} - width) / 2 + screen.x();
    const qint64 top = (qint64{screen.height()} - height) / 2 + screen.y();
    return QPoint(static_cast<int>(left), static_cast<int>(top));
}

QRect startPlacement(const StoredPlacement& stored, const QList<QRect>& screens,
                     const QRect& primary) {
    const QRect firstStart(centredOn(primary, kFirstStartWidth, kFirstStartHeight),
                           QSize(kFirstStartWidth, kFirstStartHeight));
    if (stored.left == 0 && stored.top == 0 && stored.width == 0 && stored.height == 0) {
        return firstStart;
    }
    if (stored.width < pane_limits::kMinColumnWindowSize ||
        stored.height < pane_limits::kMinWindowHeight || stored.width > kFar ||
        stored.height > kFar || std::abs(qint64{stored.left}) > kFar ||
        std::abs(qint64{stored.top}) > kFar) {
        return firstStart;
    }
    if (stored.centre) {
        return QRect(centredOn(primary, stored.width, stored.height),
                     QSize(stored.width, stored.height));
    }
    const QRect window(stored.left, stored.top, stored.width, stored.height);
    return reachable(window, screens) ? window : firstStart;
}
