#pragma once

#include <Qt>

#include "app/pane_layout.h"

class QWidget;
struct WindowSettings;

// The main window's place, size and panes as the settings file keeps them ([FormPos], [RealSize],
// [MediaSize], [SpPos]), carried onto the window at start and read off it at close.

// Places and sizes the window from the stored values (a place no screen shows, or a size the
// window cannot have, gives the first start's placement, so the window always opens where the
// user can reach it) and gives the players and the splitter lines their stored sizes. Returns the
// state to show the window in: a window closed minimised opens in its normal state.
Qt::WindowStates applyStoredGeometry(QWidget& window, const Twips& twips,
                                     const WindowSettings& stored, PaneLayout& layout);

// The window's place (in its normal state when maximised or minimised), state and panes now.
WindowSettings currentGeometry(const QWidget& window, const Twips& twips, const PaneLayout& layout);
