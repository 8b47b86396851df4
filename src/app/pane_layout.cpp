#include "app/pane_layout.h"

#include <algorithm>
#include <cmath>

using namespace pane_limits;

namespace {

// Whole twips, ties to even: the same rounding an assignment to a whole-number setting gets.
float wholeTwips(float value) {
    return std::nearbyint(value);
}

}  // namespace

Twips Twips::forDpi(qreal logicalDpi) {
    if (!(logicalDpi > 0)) {
        return {};
    }
    return {static_cast<float>(1440.0 / logicalDpi)};
}

int Twips::toPixels(float twips) const {
    return static_cast<int>(std::lround(twips / perPixel));
}

QRect Twips::toPixels(const TwipsRect& rect) const {
    return {toPixels(rect.left), toPixels(rect.top), std::max(0, toPixels(rect.width)),
            std::max(0, toPixels(rect.height))};
}

TwipsRect Twips::fromPixels(const QRect& rect) const {
    return {fromPixels(rect.x()), fromPixels(rect.y()), fromPixels(rect.width()),
            fromPixels(rect.height())};
}

PaneLayout PaneLayout::design() {
    // The left column's panes are as wide as the bar's left less its width, so starting them at
    // 120 ends them just short of the bar.
    constexpr float kLeft = 120;
    constexpr float kTop = 480;
    constexpr float kColumnWidth = 3480 - 135;
    constexpr float kPlayerLeft = 3480 + 135;
    constexpr float kPlayerWidth = kDesignClientWidth - kPlayerLeft - kPlayerGap;
    constexpr float kStatusBarHeight = 375;
    constexpr float kPlayerHeight = kDesignClientHeight - kTop - kStatusBarHeight - kMargin;

    PaneLayout l;
    l.ImageCombo1 = {kLeft, kTop, kColumnWidth, 360};
    l.TreeView1 = {kLeft, 840, kColumnWidth, 1800};
    l.picSlider2 = {kLeft, 2640, 4695, 100};
    l.picShadow2 = {kLeft, 2760, 4575, kShadowWidth};
    l.ListView1 = {kLeft, 2740, kColumnWidth,
                   kDesignClientHeight - 2740 - kStatusBarHeight - kMargin};
    l.picSlider = {3480, kTop, 135, 4575};
    l.picShadow = {3480, kTop, kShadowWidth, 4575};
    l.MediaPlayer1 = {kPlayerLeft, kTop, kPlayerWidth, kPlayerHeight};
    l.RealAudio1[0] = {kPlayerLeft, kTop, kPlayerWidth, kPlayerHeight - kControlPanelHeight};
    l.RealAudio1[1] = {kPlayerLeft, kTop + kPlayerHeight - kControlPanelHeight, kPlayerWidth,
                       kControlPanelHeight};
    return l;
}

ResizeOutcome FormResize(const PaneLayout& layout, const WindowMetrics& w) {
    ResizeOutcome out{layout, {}, {}, {}};
    PaneLayout& l = out.layout;

    if (!w.minimized) {
        if (w.outerHeight < kMinWindowHeight) {
            // The raised height brings its own resize; this one keeps nothing.
            out.raiseOuterHeightTo = kMinWindowHeight;
            return out;
        }

        if (l.ListView1.top + w.statusBarHeight + kMargin < w.clientHeight) {
            l.ListView1.height = w.clientHeight - l.ListView1.top - w.statusBarHeight - kMargin;
        }

        const float playerHeight =
            wholeTwips(w.clientHeight - w.toolbarHeight - w.statusBarHeight - kMargin);
        if (playerHeight > kMinPlayerHeight) {
            if (l.RealAudio1[1].height < playerHeight) {
                l.RealAudio1[0].height = playerHeight - l.RealAudio1[1].height;
            }
            l.MediaPlayer1.height = playerHeight;
        }
        // The control panel keeps its place under the picture window even when the player
        // heights were left alone.
        l.RealAudio1[1].height = kControlPanelHeight;
        l.RealAudio1[1].top = wholeTwips(l.RealAudio1[0].height + kControlPanelOffset);

        if (w.outerHeight < kMinColumnWindowSize || w.outerWidth < kMinColumnWindowSize) {
            return out;
        }

        if (w.statusBarHeight + kMargin < w.clientHeight - w.toolbarHeight) {
            l.picShadow.height = w.clientHeight - w.toolbarHeight - w.statusBarHeight - kMargin;
            l.picSlider.height = l.picShadow.height;
        }

        const float playerLeft = l.picSlider.left + l.picSlider.width;
        // Adds the bar's width rather than taking it off: after a resize the player reaches nearer
        // the right edge than after a bar move.
        const float playerWidth =
            w.clientWidth - l.picSlider.left + l.picSlider.width - kRightMargin;
        for (TwipsRect* player : {&l.RealAudio1[0], &l.RealAudio1[1], &l.MediaPlayer1}) {
            player->left = playerLeft;
            if (playerWidth > kRightMargin) {
                player->width = playerWidth;
            }
        }
    }

    // Kept also while minimized: the toolkit still reports the normal size then.
    if (!w.maximized) {
        out.formHeight = static_cast<qint32>(wholeTwips(w.outerHeight));
        out.formWidth = static_cast<qint32>(wholeTwips(w.outerWidth));
    }
    return out;
}

PaneLayout MoveVShadow(const PaneLayout& layout, float x) {
    PaneLayout l = layout;
    l.picShadowVisible = true;
    l.picShadow.left = l.picSlider.left + x;
    return l;
}

PaneLayout MoveHShadow(const PaneLayout& layout, float y) {
    PaneLayout l = layout;
    l.picShadow2Visible = true;
    l.picShadow2.top = l.picSlider2.top + y;
    return l;
}

PaneLayout ApplyVSplit(const PaneLayout& layout, const WindowMetrics& w) {
    PaneLayout l = layout;
    l.picShadowVisible = false;
    if (l.picShadow.left + kVBarLimit > w.clientWidth) {
        l.picShadow.left = w.clientWidth - kVBarLimit;
    }
    if (l.picShadow.left - kVBarLimit < 0) {
        l.picShadow.left = kVBarLimit;
    }
    l.picSlider.left = l.picShadow.left;

    const float leftWidth = l.picSlider.left - l.picSlider.width;
    const float playerLeft = l.picSlider.left + l.picSlider.width;
    const float playerWidth = w.clientWidth - playerLeft - kPlayerGap;
    for (TwipsRect* player : {&l.MediaPlayer1, &l.RealAudio1[1], &l.RealAudio1[0]}) {
        player->left = playerLeft;
        player->width = playerWidth;
    }
    for (TwipsRect* pane :
         {&l.ImageCombo1, &l.TreeView1, &l.ListView1, &l.picSlider2, &l.picShadow2}) {
        pane->width = leftWidth;
    }
    return l;
}

PaneLayout ApplyHSplit(const PaneLayout& layout, const WindowMetrics& w) {
    PaneLayout l = layout;
    l.picShadow2Visible = false;
    if (l.picShadow2.top + kHBarBottomLimit > w.clientHeight) {
        l.picShadow2.top = w.clientHeight - kHBarBottomLimit;
    }
    if (l.picShadow2.top - kHBarTopLimit < 0) {
        l.picShadow2.top = kHBarTopLimit;
    }

    if (l.TreeView1.top < l.picShadow2.top) {
        l.TreeView1.height = l.picShadow2.top - l.TreeView1.top;
        l.picSlider2.top = l.TreeView1.top + l.TreeView1.height;
    } else {
        // Dropped above the tree: only the bar moves, the tree keeps its height.
        l.picSlider2.top = l.picShadow2.top;
    }
    l.ListView1.top = l.picSlider2.top + l.picSlider2.height;
    if (l.ListView1.top + kListBottomReserve < w.outerHeight) {
        l.ListView1.height = w.outerHeight - l.ListView1.top - kListBottomReserve;
    }
    return l;
}
