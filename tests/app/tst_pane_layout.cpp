#include <QTest>

#include "app/pane_layout.h"

using namespace pane_limits;

namespace {

constexpr float kToolbar = 480;
constexpr float kStatusBar = 375;

// A normal window of the given client size with a frame around it.
WindowMetrics windowOf(float clientWidth, float clientHeight) {
    WindowMetrics w;
    w.clientWidth = clientWidth;
    w.clientHeight = clientHeight;
    w.outerWidth = clientWidth + 120;
    w.outerHeight = clientHeight + 570;
    w.toolbarHeight = kToolbar;
    w.statusBarHeight = kStatusBar;
    return w;
}

// The layout as the window has it after loading: both bars applied at their design places, then
// fitted to the window.
PaneLayout loaded(const WindowMetrics& w) {
    PaneLayout l = ApplyHSplit(ApplyVSplit(PaneLayout::design(), w), w);
    return FormResize(l, w).layout;
}

}  // namespace

class TestPaneLayout : public QObject {
    Q_OBJECT
private slots:
    void twipsFollowTheScreen();
    void loadedLayoutTilesTheWindow();
    void resizeFitsPanesAndKeepsSize();
    void lowWindowIsRaisedFirst();
    void shortPlayerKeepsHeightsButPlacesPanel();
    void narrowWindowStopsBeforeColumns();
    void narrowPlayerKeepsItsWidth();
    void minimizedAndMaximizedWindows();
    void verticalDropIsKeptInside();
    void horizontalDropIsKeptInside();
    void horizontalDropAboveTreeMovesOnlyTheBar();
};

void TestPaneLayout::twipsFollowTheScreen() {
    QCOMPARE(Twips::forDpi(96).perPixel, 15.0f);
    QCOMPARE(Twips::forDpi(120).perPixel, 12.0f);
    QCOMPARE(Twips::forDpi(0).perPixel, 15.0f);

    const Twips t;
    QCOMPARE(t.toPixels(TwipsRect{3480, 480, 135, 4575}), QRect(232, 32, 9, 305));
    QCOMPARE(t.fromPixels(QRect(232, 32, 9, 305)), (TwipsRect{3480, 480, 135, 4575}));
    // A pane squeezed past nothing gets no size rather than a turned-over rectangle.
    QCOMPARE(t.toPixels(TwipsRect{300, 480, -90, 1000}).size(), QSize(0, 67));
}

void TestPaneLayout::loadedLayoutTilesTheWindow() {
    const WindowMetrics w = windowOf(kDesignClientWidth, kDesignClientHeight);
    const PaneLayout l = loaded(w);

    QVERIFY(!l.picShadowVisible);
    QVERIFY(!l.picShadow2Visible);
    QCOMPARE(l.picShadow.width, kShadowWidth);
    QCOMPARE(l.picSlider.left, 3480.0f);

    // Left column: location box, tree, bar, list, top to bottom, all ending before the bar.
    QCOMPARE(l.TreeView1.bottom(), l.picSlider2.top);
    QCOMPARE(l.picSlider2.top, 2760.0f);
    QCOMPARE(l.ListView1.top, l.picSlider2.bottom());
    QCOMPARE(l.ListView1.bottom(), kDesignClientHeight - kStatusBar - kMargin);
    QVERIFY(l.ImageCombo1.bottom() <= l.TreeView1.top);
    for (const TwipsRect& r : {l.ImageCombo1, l.TreeView1, l.ListView1, l.picSlider2}) {
        QVERIFY(r.right() < l.picSlider.left);
        QCOMPARE(r.width, l.picSlider.left - l.picSlider.width);
    }

    // Right column: the players from the bar to near the right edge, the control panel under
    // the picture window, both as tall as the media player.
    for (const TwipsRect& r : {l.MediaPlayer1, l.RealAudio1[0], l.RealAudio1[1]}) {
        QCOMPARE(r.left, l.picSlider.right());
        QVERIFY(r.right() <= kDesignClientWidth);
    }
    QCOMPARE(l.MediaPlayer1.height, kDesignClientHeight - kToolbar - kStatusBar - kMargin);
    QCOMPARE(l.RealAudio1[1].top, l.RealAudio1[0].bottom());
    QCOMPARE(l.RealAudio1[1].bottom(), l.MediaPlayer1.bottom());
}

void TestPaneLayout::resizeFitsPanesAndKeepsSize() {
    const WindowMetrics w = windowOf(15000, 12000.4f);
    const PaneLayout before = loaded(windowOf(kDesignClientWidth, kDesignClientHeight));
    const ResizeOutcome out = FormResize(before, w);
    const PaneLayout& l = out.layout;

    QVERIFY(!out.raiseOuterHeightTo);
    QCOMPARE(out.formWidth, std::optional<qint32>(15120));
    QCOMPARE(out.formHeight, std::optional<qint32>(12570));

    QCOMPARE(l.ListView1.top, before.ListView1.top);
    QCOMPARE(l.ListView1.height, 12000.4f - l.ListView1.top - kStatusBar - kMargin);

    // The player height is whole twips: 12000.4 - 480 - 375 - 100 = 11045.4 -> 11045.
    QCOMPARE(l.MediaPlayer1.height, 11045.0f);
    QCOMPARE(l.RealAudio1[0].height, 11045.0f - kControlPanelHeight);
    QCOMPARE(l.RealAudio1[1].height, kControlPanelHeight);
    QCOMPARE(l.RealAudio1[1].top, l.RealAudio1[0].height + kControlPanelOffset);

    QCOMPARE(l.picShadow.height, 12000.4f - kToolbar - kStatusBar - kMargin);
    QCOMPARE(l.picSlider.height, l.picShadow.height);

    // Width = client width - bar left + bar width - 300.
    const float width = 15000 - 3480 + 135 - kRightMargin;
    for (const TwipsRect& r : {l.MediaPlayer1, l.RealAudio1[0], l.RealAudio1[1]}) {
        QCOMPARE(r.left, 3615.0f);
        QCOMPARE(r.width, width);
    }
    QCOMPARE(l.MediaPlayer1.top, before.MediaPlayer1.top);
    QCOMPARE(l.RealAudio1[0].top, before.RealAudio1[0].top);

    // The bars keep their places; the tree and the location box are not touched by a resize.
    QCOMPARE(l.picSlider.left, before.picSlider.left);
    QCOMPARE(l.picSlider2, before.picSlider2);
    QCOMPARE(l.TreeView1, before.TreeView1);
    QCOMPARE(l.ImageCombo1, before.ImageCombo1);
}

void TestPaneLayout::lowWindowIsRaisedFirst() {
    const PaneLayout before = loaded(windowOf(kDesignClientWidth, kDesignClientHeight));

    WindowMetrics w = windowOf(kDesignClientWidth, 4000 - 570);
    ResizeOutcome out = FormResize(before, w);
    QCOMPARE(out.raiseOuterHeightTo, std::optional<float>(kMinWindowHeight));
    QCOMPARE(out.layout, before);
    QVERIFY(!out.formWidth);
    QVERIFY(!out.formHeight);

    // The resize the raise brings is laid out and kept.
    w = windowOf(kDesignClientWidth, kMinWindowHeight - 570);
    out = FormResize(before, w);
    QVERIFY(!out.raiseOuterHeightTo);
    QCOMPARE(out.formHeight, std::optional<qint32>(5940));
}

void TestPaneLayout::shortPlayerKeepsHeightsButPlacesPanel() {
    PaneLayout before = loaded(windowOf(kDesignClientWidth, kDesignClientHeight));
    before.RealAudio1[1].height = 900;
    before.RealAudio1[1].top = 123;

    // 4955 - 480 - 375 - 100 = 4000: not above the minimum.
    WindowMetrics w = windowOf(kDesignClientWidth, 4955);
    w.outerHeight = 6000;
    ResizeOutcome out = FormResize(before, w);
    QCOMPARE(out.layout.MediaPlayer1.height, before.MediaPlayer1.height);
    QCOMPARE(out.layout.RealAudio1[0].height, before.RealAudio1[0].height);
    QCOMPARE(out.layout.RealAudio1[1].height, kControlPanelHeight);
    QCOMPARE(out.layout.RealAudio1[1].top, before.RealAudio1[0].height + kControlPanelOffset);
    // The list still fits the window.
    QCOMPARE(out.layout.ListView1.bottom(), 4955.0f - kStatusBar - kMargin);

    // One twip more and the players follow; the picture window makes room for the panel as it
    // was before this resize.
    w.clientHeight = 4956;
    out = FormResize(before, w);
    QCOMPARE(out.layout.MediaPlayer1.height, 4001.0f);
    QCOMPARE(out.layout.RealAudio1[0].height, 4001.0f - 900);
    QCOMPARE(out.layout.RealAudio1[1].top, 4001.0f - 900 + kControlPanelOffset);
}

void TestPaneLayout::narrowWindowStopsBeforeColumns() {
    const PaneLayout before = loaded(windowOf(kDesignClientWidth, kDesignClientHeight));
    WindowMetrics w = windowOf(1000, 11000);
    w.outerWidth = 1199;

    const ResizeOutcome out = FormResize(before, w);
    // Heights follow the window...
    QCOMPARE(out.layout.ListView1.bottom(), 11000.0f - kStatusBar - kMargin);
    QCOMPARE(out.layout.MediaPlayer1.height, 11000.0f - kToolbar - kStatusBar - kMargin);
    // ...but the columns are left as they were and the size is not kept.
    QCOMPARE(out.layout.picSlider, before.picSlider);
    QCOMPARE(out.layout.picShadow, before.picShadow);
    QCOMPARE(out.layout.MediaPlayer1.width, before.MediaPlayer1.width);
    QCOMPARE(out.layout.MediaPlayer1.left, before.MediaPlayer1.left);
    QVERIFY(!out.formWidth);
    QVERIFY(!out.formHeight);

    w.outerWidth = 1200;
    QCOMPARE(FormResize(before, w).formWidth, std::optional<qint32>(1200));
}

void TestPaneLayout::narrowPlayerKeepsItsWidth() {
    const WindowMetrics wide = windowOf(kDesignClientWidth, kDesignClientHeight);
    PaneLayout before = loaded(wide);
    before.picShadow.left = 1600;
    before = ApplyVSplit(before, wide);

    // 2000 - 1600 + 135 - 300 = 235: too narrow to set, but the players still start at the bar.
    const ResizeOutcome out = FormResize(before, windowOf(2000, kDesignClientHeight));
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(out.layout.RealAudio1[i].width, before.RealAudio1[i].width);
        QCOMPARE(out.layout.RealAudio1[i].left, 1735.0f);
    }
    QCOMPARE(out.layout.MediaPlayer1.width, before.MediaPlayer1.width);
}

void TestPaneLayout::minimizedAndMaximizedWindows() {
    const PaneLayout before = loaded(windowOf(kDesignClientWidth, kDesignClientHeight));

    // Minimized: nothing is laid out, not even a low window raised, but the size is kept.
    WindowMetrics w = windowOf(9000, 3000);
    w.minimized = true;
    ResizeOutcome out = FormResize(before, w);
    QCOMPARE(out.layout, before);
    QVERIFY(!out.raiseOuterHeightTo);
    QCOMPARE(out.formWidth, std::optional<qint32>(9120));
    QCOMPARE(out.formHeight, std::optional<qint32>(3570));

    // Maximized: laid out, but the normal size stays as it was.
    w = windowOf(19200, 14000);
    w.maximized = true;
    out = FormResize(before, w);
    QCOMPARE(out.layout.MediaPlayer1.height, 14000.0f - kToolbar - kStatusBar - kMargin);
    QVERIFY(!out.formWidth);
    QVERIFY(!out.formHeight);
}

void TestPaneLayout::verticalDropIsKeptInside() {
    const WindowMetrics w = windowOf(kDesignClientWidth, kDesignClientHeight);
    const PaneLayout before = loaded(w);

    // Following the pointer shows the line at the bar's left plus the offset.
    PaneLayout l = MoveVShadow(before, -3380);
    QVERIFY(l.picShadowVisible);
    QCOMPARE(l.picShadow.left, 100.0f);
    QCOMPARE(l.picSlider.left, before.picSlider.left);

    // Dropped 100 from the left edge: held 300 inside.
    l = ApplyVSplit(l, w);
    QVERIFY(!l.picShadowVisible);
    QCOMPARE(l.picShadow.left, 300.0f);
    QCOMPARE(l.picSlider.left, 300.0f);
    const float leftWidth = 300 - 135;
    for (const TwipsRect& r :
         {l.ImageCombo1, l.TreeView1, l.ListView1, l.picSlider2, l.picShadow2}) {
        QCOMPARE(r.width, leftWidth);
    }
    for (const TwipsRect& r : {l.MediaPlayer1, l.RealAudio1[0], l.RealAudio1[1]}) {
        QCOMPARE(r.left, 435.0f);
        QCOMPARE(r.width, kDesignClientWidth - 435 - kPlayerGap);
    }
    // Tops and heights stay.
    QCOMPARE(l.MediaPlayer1.height, before.MediaPlayer1.height);
    QCOMPARE(l.RealAudio1[1].top, before.RealAudio1[1].top);
    QCOMPARE(l.TreeView1.height, before.TreeView1.height);

    // Dropped 100 from the right edge: held 300 inside.
    l = ApplyVSplit(MoveVShadow(l, kDesignClientWidth - 100 - l.picSlider.left), w);
    QCOMPARE(l.picSlider.left, kDesignClientWidth - 300);
    QCOMPARE(l.MediaPlayer1.width, 300 - 135 - kPlayerGap);

    // A window narrower than both limits keeps the bar off the left edge.
    const WindowMetrics tiny = windowOf(400, kDesignClientHeight);
    l = ApplyVSplit(MoveVShadow(l, 0), tiny);
    QCOMPARE(l.picSlider.left, 300.0f);
    QVERIFY(l.MediaPlayer1.width < 0);
    QCOMPARE(Twips().toPixels(l.MediaPlayer1).width(), 0);
}

void TestPaneLayout::horizontalDropIsKeptInside() {
    const WindowMetrics w = windowOf(kDesignClientWidth, kDesignClientHeight);
    const PaneLayout before = loaded(w);

    PaneLayout l = MoveHShadow(before, 200 - before.picSlider2.top);
    QVERIFY(l.picShadow2Visible);
    QCOMPARE(l.picShadow2.top, 200.0f);

    // Dropped at 200: held 1150 from the top; the tree ends at the bar and the list starts
    // under it, reaching down to 1150 above the window's outer bottom.
    l = ApplyHSplit(l, w);
    QVERIFY(!l.picShadow2Visible);
    QCOMPARE(l.picShadow2.top, 1150.0f);
    QCOMPARE(l.picSlider2.top, 1150.0f);
    QCOMPARE(l.TreeView1.height, 1150 - before.TreeView1.top);
    QCOMPARE(l.ListView1.top, 1250.0f);
    QCOMPARE(l.ListView1.height, w.outerHeight - 1250 - kListBottomReserve);
    QCOMPARE(l.picSlider2.left, before.picSlider2.left);
    QCOMPARE(l.ListView1.left, before.ListView1.left);

    // Dropped near the bottom: held 500 above the client area's bottom. The list cannot start
    // 1150 above the outer bottom there, so it keeps its height.
    const float listHeight = l.ListView1.height;
    l = ApplyHSplit(MoveHShadow(l, kDesignClientHeight - 100 - l.picSlider2.top), w);
    QCOMPARE(l.picSlider2.top, kDesignClientHeight - 500);
    QCOMPARE(l.TreeView1.bottom(), kDesignClientHeight - 500);
    QCOMPARE(l.ListView1.top, kDesignClientHeight - 400);
    QCOMPARE(l.ListView1.height, listHeight);
}

void TestPaneLayout::horizontalDropAboveTreeMovesOnlyTheBar() {
    const WindowMetrics w = windowOf(kDesignClientWidth, kDesignClientHeight);
    PaneLayout before = loaded(w);
    before.TreeView1.top = 1500;
    before.TreeView1.height = 2000;
    before.picSlider2.top = 3500;

    const PaneLayout l = ApplyHSplit(MoveHShadow(before, 1300 - 3500), w);
    QCOMPARE(l.picSlider2.top, 1300.0f);
    QCOMPARE(l.TreeView1, before.TreeView1);
    QCOMPARE(l.ListView1.top, 1400.0f);

    // Exactly at the tree's top counts as above it.
    const PaneLayout at = ApplyHSplit(MoveHShadow(before, 1500 - 3500), w);
    QCOMPARE(at.TreeView1, before.TreeView1);
    QCOMPARE(at.picSlider2.top, 1500.0f);
}

QTEST_GUILESS_MAIN(TestPaneLayout)
#include "tst_pane_layout.moc"
