#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "player/display_size.h"
#include "player/media_engine.h"

class MpvEngine;

// The place on the window where an engine's picture appears. It holds the picture widget (drawn
// by libmpv where there is a screen, a plain black one where there is none) and places it by the
// engine's display size: fitted to the surface, at half, own or double size in its middle, or on
// a screen of its own. Esc or a double-click leaves the full screen for the fitted view; the
// other keys there are the main window's to take.
class VideoSurface : public QWidget {
    Q_OBJECT
public:
    // renderApi: draw with libmpv's render API (the engine must have been made for it).
    VideoSurface(MpvEngine& engine, bool renderApi, QWidget* parent = nullptr);
    ~VideoSurface() override;

    QWidget* videoWidget() const { return m_video; }
    VideoSize videoSize() const { return m_size; }
    // True while the picture is in full-screen mode. Its window shows only while the surface
    // itself is shown: a hidden engine's picture never stays on the screen.
    bool isFullScreenMode() const { return !m_fullScreen.isNull(); }

signals:
    // The user left the full screen (Esc, a double-click, closing its window); the engine's
    // display size is back to fit.
    void fullScreenLeft();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applySize(VideoSize size);
    void placeVideo();
    void enterFullScreen();
    void showFullScreenWindow();
    void leaveFullScreen();
    void revealVideo();

    // How long after the surface is first shown its GL picture is made, when no file asks
    // for it sooner: time enough for the window's first paint.
    static constexpr int kRevealAfterShowMs = 150;

    QPointer<MediaEngine> m_engine;
    QWidget* m_video = nullptr;
    QPointer<QWidget> m_fullScreen;
    VideoSize m_size = VideoSize::Fit;
    QSize m_picture;
    QTimer m_revealTimer;
    bool m_revealed = false;
};
