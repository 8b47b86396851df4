#include "app/window_fit.h"

#include <QHeaderView>
#include <QScreen>
#include <QTreeView>
#include <algorithm>

WindowFit measureWindowFit(const WindowFitWidgets& w, const Twips& twips) {
    const auto inTwips = [&twips](int pixels) { return qRound(twips.fromPixels(pixels)); };
    WindowFit fit;
    fit.twipsPerPixelX = twips.perPixel;
    fit.twipsPerPixelY = twips.perPixel;
    fit.treeWidth = inTwips(w.tree.width());
    fit.playerWidth = w.mediaPlayer.isVisible()       ? inTwips(w.mediaPlayer.width())
                      : w.streamingPlayer.isVisible() ? inTwips(w.streamingPlayer.width())
                                                      : 0;
    const QScreen* screen = w.window.screen();
    fit.screenWidth = screen ? inTwips(screen->geometry().width()) : 0;
    fit.window = QSize(inTwips(w.window.width()), inTwips(w.window.height()));
    // The list keeps a few rows below the tree, whatever the picture (our mend: a small picture
    // made the window so low that the list had no height left).
    constexpr int kListRowsKept = 3;
    const int rowHeight = std::max(w.list.sizeHintForRow(0), w.list.fontMetrics().height());
    const int listFloor =
        w.list.header()->sizeHint().height() + kListRowsKept * rowHeight + 2 * w.list.frameWidth();
    fit.minHeight = inTwips(w.window.height() - w.client.height() + w.list.y() + listFloor +
                            w.statusBar.sizeHint().height()) +
                    qRound(pane_limits::kMargin);
    return fit;
}
