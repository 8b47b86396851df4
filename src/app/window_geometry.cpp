#include "app/window_geometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/window_placement.h"
#include "settings/settings_catalogue.h"
#include "settings/window_settings.h"

namespace {

QRect toTwips(const Twips& twips, const QRect& pixels) {
    const TwipsRect r = twips.fromPixels(pixels);
    return QRect(static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.width),
                 static_cast<int>(r.height));
}

}  // namespace

Qt::WindowStates applyStoredGeometry(QWidget& window, const Twips& twips, const WindowSettings& w,
                                     PaneLayout& layout) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens << toTwips(twips, screen->geometry());
    }
    const QRect primaryArea =
        toTwips(twips, primary ? primary->geometry() : QRect(0, 0, 1024, 768));
    StoredPlacement stored;
    stored.left = w.left;
    stored.top = w.top;
    stored.width = w.width;
    stored.height = w.height;
    stored.centre = w.centre;
    const QRect place = startPlacement(stored, screens, primaryArea);
    window.resize(twips.toPixels(static_cast<float>(place.width())),
                  twips.toPixels(static_cast<float>(place.height())));
    window.move(twips.toPixels(static_cast<float>(place.x())),
                twips.toPixels(static_cast<float>(place.y())));

    for (std::size_t i = 0; i < 2; ++i) {
        layout.RealAudio1[i].height = w.realAudioHeight[i];
        layout.RealAudio1[i].width = w.realAudioWidth[i];
    }
    layout.MediaPlayer1.height = w.mediaHeight;
    layout.MediaPlayer1.width = w.mediaWidth;
    // 0 keeps the design's place; the bars follow their lines when the window lays out its panes.
    if (w.splitterLeft != 0) {
        layout.picShadow.left = w.splitterLeft;
    }
    if (w.splitterTop != 0) {
        layout.picShadow2.top = w.splitterTop;
    }
    return w.windowState == 2 ? Qt::WindowMaximized : Qt::WindowNoState;
}

WindowSettings currentGeometry(const QWidget& window, const Twips& twips,
                               const PaneLayout& layout) {
    WindowSettings w;
    QPoint topLeft = window.pos();
    if (window.isMaximized() || window.isMinimized()) {
        // Where the window stands in its normal state, not where the maximised frame is.
        const QRect normal = window.normalGeometry();
        if (normal.isValid()) {
            topLeft = normal.topLeft();
        }
    }
    w.left = nearestInt32(twips.fromPixels(topLeft.x()));
    w.top = nearestInt32(twips.fromPixels(topLeft.y()));
    w.windowState = window.isMinimized() ? 1 : window.isMaximized() ? 2 : 0;
    for (std::size_t i = 0; i < 2; ++i) {
        w.realAudioHeight[i] = layout.RealAudio1[i].height;
        w.realAudioWidth[i] = layout.RealAudio1[i].width;
    }
    w.mediaHeight = layout.MediaPlayer1.height;
    w.mediaWidth = layout.MediaPlayer1.width;
    w.splitterLeft = layout.picShadow.left;
    w.splitterTop = layout.picShadow2.top;
    return w;
}
