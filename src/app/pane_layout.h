#pragma once

#include <QRect>
#include <QtGlobal>
#include <array>
#include <optional>

// The geometry of the main window's panes, in twips, kept apart from the widgets so that the
// fitting and splitting rules can be checked on their own. Every rectangle is relative to the
// window's client area, which includes the toolbar along its top and the status bar along its
// bottom. The arithmetic is single-precision throughout, so that sizes come out to the same twip
// as the ones kept in the settings.

struct TwipsRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    float right() const { return left + width; }
    float bottom() const { return top + height; }
    bool operator==(const TwipsRect&) const = default;
};

// Twips per pixel of the screen: 1440 twips to the logical inch.
struct Twips {
    float perPixel = 15.0f;

    static Twips forDpi(qreal logicalDpi);

    float fromPixels(int pixels) const { return static_cast<float>(pixels) * perPixel; }
    TwipsRect fromPixels(const QRect& rect) const;
    int toPixels(float twips) const;
    // Whole pixels; a negative size shrinks to nothing rather than turning the rectangle over.
    QRect toPixels(const TwipsRect& rect) const;
};

// Where each pane of the main window is. The two shadows are the lines drawn while a splitter bar
// is dragged; they are visible only during a drag.
struct PaneLayout {
    TwipsRect ImageCombo1;
    TwipsRect TreeView1;
    TwipsRect ListView1;
    TwipsRect picSlider;
    TwipsRect picShadow;
    TwipsRect picSlider2;
    TwipsRect picShadow2;
    TwipsRect MediaPlayer1;
    // 0: the streaming player's picture window, 1: its control panel below it.
    std::array<TwipsRect, 2> RealAudio1;
    bool picShadowVisible = false;
    bool picShadow2Visible = false;

    // The window as drawn at design, with the vertical drag line already thinned to 25 as the
    // window does on loading.
    static PaneLayout design();
    bool operator==(const PaneLayout&) const = default;
};

// The window's sizes as the rules read them, in twips.
struct WindowMetrics {
    float clientWidth = 0;
    float clientHeight = 0;
    float outerWidth = 0;  // with the frame and title bar
    float outerHeight = 0;
    float toolbarHeight = 0;
    float statusBarHeight = 0;
    bool minimized = false;
    bool maximized = false;
};

namespace pane_limits {
inline constexpr float kDesignClientWidth = 11955;
inline constexpr float kDesignClientHeight = 9420;
inline constexpr float kMinWindowHeight = 5940;
inline constexpr float kMinColumnWindowSize = 1200;
inline constexpr float kMargin = 100;
inline constexpr int kMinPlayerHeight = 4000;
inline constexpr float kControlPanelHeight = 1335;
inline constexpr float kControlPanelOffset = 480;
inline constexpr float kRightMargin = 300;
inline constexpr float kVBarLimit = 300;
inline constexpr float kPlayerGap = 60;
inline constexpr float kHBarTopLimit = 1150;
inline constexpr float kHBarBottomLimit = 500;
inline constexpr float kListBottomReserve = 1150;
inline constexpr float kShadowWidth = 25;
}  // namespace pane_limits

struct ResizeOutcome {
    PaneLayout layout;
    // Set when the window is too low: the caller makes it this high, which brings a new resize.
    std::optional<float> raiseOuterHeightTo;
    // Set when the window size is to be remembered (mFormWidth, mFormHeight), in whole twips.
    std::optional<qint32> formWidth;
    std::optional<qint32> formHeight;
};

// Fits the panes to a window that has just changed size.
ResizeOutcome FormResize(const PaneLayout& layout, const WindowMetrics& window);

// Moves the drag line to follow the pointer: x (or y) is the pointer's offset from the bar's left
// (or top) edge. The line shows itself on the first move.
PaneLayout MoveVShadow(const PaneLayout& layout, float x);
PaneLayout MoveHShadow(const PaneLayout& layout, float y);

// Puts the vertical bar where its drag line was dropped and fits both columns to it.
PaneLayout ApplyVSplit(const PaneLayout& layout, const WindowMetrics& window);
// Puts the horizontal bar where its drag line was dropped and fits the tree and the list to it.
PaneLayout ApplyHSplit(const PaneLayout& layout, const WindowMetrics& window);
