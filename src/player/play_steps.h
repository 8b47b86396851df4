#pragma once

#include <QSize>
#include <QString>
#include <functional>
#include <optional>

// The arithmetic of the play list, apart from the list and the engines.

// Where a play-list step goes from row `current` (0-based) of `count` rows. Mode 0 next, 1
// previous, 2 and 3 the same row. Moving on leaves a mark on the row left behind, except when
// the step wraps round the end of the list. Folder rows (isFolder) are passed over: a step lands
// on the next file in its direction, wrapping round as often as it must.
struct StepMove {
    int target = 0;
    int leftRow = -1;  // -1: no row is marked
    QString leftIcon;  // "NextDwn" or "NextUp"
};
StepMove stepMove(int mode, int current, int count,
                  const std::function<bool(int row)>& isFolder = {});

// The icon of the row that is playing, by the direction the list runs in.
QString playingIcon(bool reverse);

// Whether a file that has just started arms the slide-show timer: pictures only (kind 0: bmp,
// png, jpeg, jpg, gif) or every file (kind 1). The extension comes lowered.
bool slideTimerApplies(bool slideShow, int slideType, const QString& extension);
// A picture stays its interval plus one second.
int slideTimerInterval(int slideSeconds);

// The window fitted to a picture in display size 5, in twips.
struct WindowFit {
    double twipsPerPixelX = 15;
    double twipsPerPixelY = 15;
    int treeWidth = 0;    // the folder tree's width
    int playerWidth = 0;  // the width of the player on show, 0 when none is
    int screenWidth = 0;
    QSize window;  // the window's present size
    // The lowest window that leaves the file list a few rows. Where the picture asks for less,
    // this floor wins; the player is then taller than the picture, which it shows whole.
    int minHeight = 0;
};
// The window's new size for a picture of `picture` pixels; nothing when the window stays as it
// is (the tree and the player would not fit on the screen).
std::optional<QSize> fittedWindowSize(const WindowFit& fit, QSize picture);
