#pragma once

#include <QOpenGLWidget>
#include <QPointer>

#include "player/mpv_engine.h"

struct mpv_render_context;

// Draws an engine's picture with libmpv's render API. The render context lives exactly as long
// as this widget's GL context: it is made in initializeGL and freed, with the GL context
// current, when that context goes (the widget moves to another window or is destroyed) or when
// the engine's handle is about to go. The engine opens files only while the context exists.
// While the UI thread waits on libmpv, the engine has the widget take the pictures libmpv hands
// over without drawing them, so that libmpv's picture thread never waits on a busy window.
// While the engine has no picture (sound only, a file still opening, nothing loaded) the widget
// is plain black, so that the last frame of a file never stays on after it.
class MpvVideoWidget : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit MpvVideoWidget(MpvEngine& engine, QWidget* parent = nullptr);
    ~MpvVideoWidget() override;

    bool hasRenderContext() const { return m_render != nullptr; }

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    static void onUpdate(void* self);
    // Takes the picture libmpv has ready without drawing it, while the UI thread cannot paint.
    void takePendingFrame();
    void releaseRenderContext();

    QPointer<MpvEngine> m_engine;
    mpv_render_context* m_render = nullptr;
    bool m_hasPicture = false;
};
