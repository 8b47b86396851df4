#include "player/play_steps.h"

#include <cmath>

StepMove stepMove(int mode, int current, int count) {
    StepMove move;
    move.target = current;
    if (count <= 0) {
        move.target = -1;
        return move;
    }
    if (mode == 0) {
        if (current < count - 1) {
            move.leftRow = current;
            move.leftIcon = QStringLiteral("NextDwn");
            move.target = current + 1;
        } else {
            move.target = 0;
        }
    } else if (mode == 1) {
        if (current < 1) {
            move.target = count - 1;
        } else {
            move.leftRow = current;
            move.leftIcon = QStringLiteral("NextUp");
            move.target = current - 1;
        }
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
    return QSize(fit.window.width() - (fit.playerWidth - pictureWidth), pictureHeight + 3200);
}
