#include "player/streaming_audio_engine.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int toMilliseconds(double seconds) {
    const double ms = std::round(seconds * 1000.0);
    return static_cast<int>(std::clamp(ms, 0.0, double(std::numeric_limits<int>::max())));
}

}  // namespace

StreamingAudioEngine::StreamingAudioEngine(MediaEngine& engine, QObject* parent)
    : QObject(parent), m_engine(engine) {
    connect(&engine, &MediaEngine::clipOpened, this,
            [this] { emit clipOpened(QFileInfo(m_engine.fileName()).fileName(), source()); });
    connect(&engine, &MediaEngine::clipClosed, this, &StreamingAudioEngine::clipClosed);
    connect(&engine, &MediaEngine::warning, this, &StreamingAudioEngine::errorMessage);
    connect(&engine, &MediaEngine::error, this, [this] { emit error(); });
    connect(&engine, &MediaEngine::stateChanged, this,
            [this](EngineState oldState, EngineState newState) {
                if (playStateOf(oldState) != playStateOf(newState)) {
                    emit stateChange(playStateOf(newState));
                }
            });
}

QString StreamingAudioEngine::source() const {
    return m_source.isEmpty() ? QString() : u"file://" + m_source;
}

void StreamingAudioEngine::setSource(const QString& path) {
    if (path == m_source) {
        return;
    }
    if (!m_engine.fileName().isEmpty()) {
        m_engine.unload();
    }
    m_source = path;
}

void StreamingAudioEngine::play() {
    if (m_source.isEmpty()) {
        return;
    }
    if (m_engine.fileName() != m_source) {
        m_engine.load(m_source);
    }
    m_engine.play();
}

void StreamingAudioEngine::stop() {
    if (!m_engine.fileName().isEmpty()) {
        m_engine.unload();
    }
}

int StreamingAudioEngine::playStateOf(EngineState state) {
    switch (state) {
        case EngineState::Opening:
            return Contacting;
        case EngineState::Paused:
            return Paused;
        case EngineState::Playing:
            return Playing;
        case EngineState::Closed:
        case EngineState::Stopped:
            return Stopped;
    }
    return Stopped;
}

int StreamingAudioEngine::position() const {
    return toMilliseconds(m_engine.position());
}

void StreamingAudioEngine::setPosition(int milliseconds) {
    m_engine.setPosition(std::max(0, milliseconds) / 1000.0);
}

int StreamingAudioEngine::length() const {
    return toMilliseconds(m_engine.duration());
}

void StreamingAudioEngine::naturalSize() {
    m_engine.setDisplaySize(m_keepAspect ? VideoSize::Fit : VideoSize::Actual);
}

void StreamingAudioEngine::doubleSize() {
    m_engine.setDisplaySize(VideoSize::Double);
}

void StreamingAudioEngine::fullScreen() {
    m_engine.setDisplaySize(VideoSize::FullScreen);
}
