#pragma once

#include "app/pane_layout.h"
#include "player/play_steps.h"

class QTreeView;
class QWidget;

// The main window's measures for "100% - フォーム連動", in twips: the widths the picture's
// window is fitted around and the least height that still leaves the file list a few rows.
struct WindowFitWidgets {
    const QWidget& window;
    const QWidget& client;  // the area under the menus
    const QWidget& tree;
    const QTreeView& list;
    const QWidget& mediaPlayer;
    const QWidget& streamingPlayer;
    const QWidget& statusBar;
};
WindowFit measureWindowFit(const WindowFitWidgets& widgets, const Twips& twips);
