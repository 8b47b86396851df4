#pragma once

#include <QList>
#include <QRect>
#include <QtGlobal>

// Where the main window opens, in twips: the stored place when the window can be used there, else
// the first start's size in the middle of the screen.

inline constexpr int kFirstStartWidth = 12180;
inline constexpr int kFirstStartHeight = 9165;

struct StoredPlacement {
    qint32 left = 0;
    qint32 top = 0;
    qint32 width = 0;
    qint32 height = 0;
    bool centre = false;  // BootPosition = 1: the stored size, centred
};

// The top-left corner that centres a window of this size on the screen: each difference made
// whole first, then halved with the fraction dropped.
QPoint centredOn(const QRect& screen, int width, int height);

// The window's rectangle at start. Nothing stored (all four zero), a size below the window's
// least size, or a place where not even a corner of the window can be reached on any of the
// screens gives the first start's placement on the primary screen.
QRect startPlacement(const StoredPlacement& stored, const QList<QRect>& screens,
                     const QRect& primary);
