#include "player/mpv_video_widget.h"

#include <mpv/render_gl.h>

#include <QOpenGLContext>
#include <QOpenGLFunctions>

namespace {

void* procAddress(void* /*ctx*/, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context != nullptr ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

}  // namespace

MpvVideoWidget::MpvVideoWidget(MpvEngine& engine, QWidget* parent)
    : QOpenGLWidget(parent), m_engine(&engine) {
    connect(&engine, &MpvEngine::handleAboutToBeDestroyed, this,
            &MpvVideoWidget::releaseRenderContext, Qt::DirectConnection);
    m_hasPicture = !engine.pictureSize().isEmpty();
    connect(&engine, &MediaEngine::pictureSizeChanged, this, [this](QSize size) {
        m_hasPicture = !size.isEmpty();
        update();
    });
}

MpvVideoWidget::~MpvVideoWidget() {
    releaseRenderContext();
    // The GL context goes only in QOpenGLWidget's destructor, when this part is gone already.
    if (QOpenGLContext* gl = context()) {
        disconnect(gl, nullptr, this, nullptr);
    }
}

void MpvVideoWidget::initializeGL() {
    // A new GL context (the first, or one made after a move to another window).
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this,
            &MpvVideoWidget::releaseRenderContext, Qt::UniqueConnection);
    if (m_render != nullptr || m_engine.isNull() || !m_engine->isValid()) {
        return;
    }
    mpv_opengl_init_params init{&procAddress, nullptr};
    char apiType[] = MPV_RENDER_API_TYPE_OPENGL;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, apiType},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &init},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&m_render, m_engine->handle(), params) < 0) {
        m_render = nullptr;
        return;
    }
    mpv_render_context_set_update_callback(m_render, &MpvVideoWidget::onUpdate, this);
    m_engine->setFrameService([this] { takePendingFrame(); });
    m_engine->setVideoReady(true);
}

void MpvVideoWidget::takePendingFrame() {
    if (m_render == nullptr ||
        (mpv_render_context_update(m_render) & MPV_RENDER_UPDATE_FRAME) == 0) {
        return;
    }
    makeCurrent();
    int skip = 1;
    int block = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(m_render, params);
    doneCurrent();
}

void MpvVideoWidget::onUpdate(void* self) {
    // libmpv's thread: only ask the UI thread for a repaint.
    QMetaObject::invokeMethod(static_cast<MpvVideoWidget*>(self), qOverload<>(&QWidget::update),
                              Qt::QueuedConnection);
}

void MpvVideoWidget::paintGL() {
    if (m_render == nullptr || !m_hasPicture) {
        QOpenGLContext::currentContext()->functions()->glClearColor(0, 0, 0, 1);
        QOpenGLContext::currentContext()->functions()->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()),
                       static_cast<int>(width() * ratio), static_cast<int>(height() * ratio), 0};
    int flipY = 1;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(m_render, params);
}

void MpvVideoWidget::releaseRenderContext() {
    if (m_render == nullptr) {
        return;
    }
    // The engine lets go of its file first, so that libmpv does not give up the picture.
    if (!m_engine.isNull()) {
        m_engine->setVideoReady(false);
        m_engine->setFrameService({});
    }
    makeCurrent();
    mpv_render_context_set_update_callback(m_render, nullptr, nullptr);
    mpv_render_context_free(m_render);
    m_render = nullptr;
    doneCurrent();
}
