#include "player/video_surface.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

#include "player/messages.h"
#include "player/mpv_engine.h"
#include "player/mpv_video_widget.h"

namespace {

void paintBlack(QWidget* widget) {
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::black);
    widget->setPalette(palette);
}

}  // namespace

VideoSurface::VideoSurface(MpvEngine& engine, bool renderApi, QWidget* parent)
    : QWidget(parent), m_engine(&engine) {
    paintBlack(this);
    if (renderApi) {
        m_video = new MpvVideoWidget(engine, this);
        // The GL picture is the costliest thing a window can show (a GL context, a driver that
        // may compile its shaders): it stays hidden, and so unmade, until the window has been
        // painted once or a file is opened, whichever comes first.
        m_video->hide();
        m_revealTimer.setSingleShot(true);
        m_revealTimer.setInterval(kRevealAfterShowMs);
        connect(&m_revealTimer, &QTimer::timeout, this, &VideoSurface::revealVideo);
        connect(&engine, &MediaEngine::stateChanged, this, [this](EngineState, EngineState now) {
            if (now == EngineState::Opening) {
                revealVideo();
            }
        });
    } else {
        m_video = new QWidget(this);
        paintBlack(m_video);
    }
    m_video->setObjectName(QStringLiteral("video"));
    m_video->installEventFilter(this);
    m_size = engine.displaySize();
    m_picture = engine.pictureSize();
    connect(&engine, &MediaEngine::displaySizeChanged, this, &VideoSurface::applySize);
    connect(&engine, &MediaEngine::pictureSizeChanged, this, [this](QSize size) {
        m_picture = size;
        placeVideo();
    });
    placeVideo();
}

VideoSurface::~VideoSurface() {
    // The picture widget may stand in the full-screen window: it goes with the window.
    delete m_fullScreen.data();
}

void VideoSurface::applySize(VideoSize size) {
    m_size = size;
    if (size == VideoSize::FullScreen) {
        enterFullScreen();
    } else {
        leaveFullScreen();
    }
    placeVideo();
}

void VideoSurface::placeVideo() {
    if (!m_fullScreen.isNull()) {
        return;  // the window's layout fills the screen
    }
    m_video->setGeometry(videoRect(m_size, m_picture, size()));
}

void VideoSurface::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeVideo();
}

void VideoSurface::enterFullScreen() {
    if (!m_fullScreen.isNull()) {
        return;
    }
    auto* window = new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window->setObjectName(QStringLiteral("fullScreenVideo"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setToolTip(player_msg::tipLeaveFullScreen());
    paintBlack(window);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_video);
    window->installEventFilter(this);
    window->setFocusPolicy(Qt::StrongFocus);
    m_fullScreen = window;
    if (isVisible()) {
        showFullScreenWindow();
    }
}

void VideoSurface::showFullScreenWindow() {
    QWidget* window = m_fullScreen.data();
    // The screen the surface is on; Wayland takes the screen from the window, not its place.
    if (QScreen* screen = this->screen()) {
        window->setScreen(screen);
        window->setGeometry(screen->geometry());
    }
    window->showFullScreen();
    window->activateWindow();
    window->setFocus();
    m_revealTimer.stop();
    m_revealed = true;
    m_video->show();
}

void VideoSurface::revealVideo() {
    m_revealTimer.stop();
    if (!m_revealed) {
        m_revealed = true;
        m_video->show();
    }
}

void VideoSurface::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_revealed && !m_revealTimer.isActive() && m_revealTimer.interval() > 0) {
        m_revealTimer.start();
    }
    if (!m_fullScreen.isNull() && !m_fullScreen->isVisible()) {
        showFullScreenWindow();
    }
}

void VideoSurface::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!m_fullScreen.isNull()) {
        m_fullScreen->hide();
    }
}

void VideoSurface::leaveFullScreen() {
    if (m_fullScreen.isNull()) {
        return;
    }
    QWidget* window = m_fullScreen.data();
    m_fullScreen.clear();
    window->removeEventFilter(this);
    m_video->setParent(this);
    m_video->show();
    window->hide();
    window->deleteLater();
    placeVideo();
}

bool VideoSurface::eventFilter(QObject* watched, QEvent* event) {
    const bool inFullScreen = !m_fullScreen.isNull();
    if (inFullScreen && (watched == m_fullScreen.data() || watched == m_video)) {
        const bool escape = event->type() == QEvent::KeyPress &&
                            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
        const bool doubleClick = event->type() == QEvent::MouseButtonDblClick;
        const bool closed = event->type() == QEvent::Close && watched == m_fullScreen.data();
        if (escape || doubleClick || closed) {
            if (closed) {
                event->ignore();
            }
            if (m_engine) {
                m_engine->setDisplaySize(VideoSize::Fit);
            } else {
                applySize(VideoSize::Fit);
            }
            emit fullScreenLeft();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
