#include "player/play_steps.h"

#include <algorithm>
#include <cmath>

namespace {

// One row on in a direction, wrapping round; `wrapped` tells whether the end was crossed.
int oneStep(int mode, int row, int count, bool& wrapped) {
    if (mode == 0) {
        wrapped = row >= count - 1;
        return wrapped ? 0 : row + 1;
    }
    wrapped = row < 1;
    return wrapped ? count - 1 : row - 1;
}

}  // namespace

StepMove stepMove(int mode, int current, int count, const std::function<bool(int row)>& isFolder) {
    StepMove move;
    move.target = current;
    if (count <= 0) {
        move.target = -1;
        return move;
    }
    if (mode != 0 && mode != 1) {
        return move;
    }
    bool wrapped = false;
    move.target = oneStep(mode, current, count, wrapped);
    if (!wrapped) {
        move.leftRow = current;
        move.leftIcon = mode == 0 ? QStringLiteral("NextDwn") : QStringLiteral("NextUp");
    }
    // Past folder rows, at most once round the list.
    for (int tries = 1; isFolder && tries < count && isFolder(move.target); ++tries) {
        bool more = false;
        move.target = oneStep(mode, move.target, count, more);
    }
    return move;
}

QString playingIcon(bool reverse) {
    return reverse ? QStringLiteral("PlayUp") : QStringLiteral("PlayDwn");
}

bool slideTimerApplies(bool slideShow, int slideType, const QString& extension) {
    if (!slideShow) {
        return false;
    }
    if (slideType == 1) {
        return true;
    }
    if (slideType != 0) {
        return false;
    }
    return extension == u"bmp" || extension == u"png" || extension == u"jpeg" ||
           extension == u"jpg" || extension == u"gif";
}

int slideTimerInterval(int slideSeconds) {
    return slideSeconds * 1000 + 1000;
}

std::optional<QSize> fittedWindowSize(const WindowFit& fit, QSize picture) {
    if (picture.width() < 1 || picture.height() < 1) {
        return std::nullopt;
    }
    if (fit.treeWidth + fit.playerWidth > fit.screenWidth) {
        return std::nullopt;
    }
    const int pictureWidth = static_cast<int>(std::lround(picture.width() * fit.twipsPerPixelX));
    const int pictureHeight = static_cast<int>(std::lround(picture.height() * fit.twipsPerPixelY));
    return QSize(fit.window.width() - (fit.playerWidth - pictureWidth),
                 std::max(pictureHeight + 3200, fit.minHeight));
}
