#include "player/media_player_engine.h"

#include "player/display_size.h"

MediaPlayerEngine::MediaPlayerEngine(MediaEngine& engine, QObject* parent)
    : QObject(parent), m_engine(engine) {
    connect(&engine, &MediaEngine::endOfStream, this, &MediaPlayerEngine::endOfStream);
    connect(&engine, &MediaEngine::newStream, this, &MediaPlayerEngine::newStream);
    connect(&engine, &MediaEngine::warning, this, &MediaPlayerEngine::warning);
    connect(&engine, &MediaEngine::error, this, [this] { emit error(); });
    connect(&engine, &MediaEngine::stateChanged, this,
            [this](EngineState oldState, EngineState newState) {
                const int before = playStateOf(oldState);
                const int after = playStateOf(newState);
                if (before != after) {
                    emit playStateChange(before, after);
                }
            });
    m_engine.setDisplaySize(videoSizeOfMediaPlayer(m_displaySize));
}

void MediaPlayerEngine::setFileName(const QString& path) {
    if (path.isEmpty()) {
        m_engine.unload();
    } else {
        m_engine.load(path);
    }
}

int MediaPlayerEngine::playStateOf(EngineState state) {
    switch (state) {
        case EngineState::Closed:
            return Closed;
        case EngineState::Opening:
            return Waiting;
        case EngineState::Stopped:
            return Stopped;
        case EngineState::Paused:
            return Paused;
        case EngineState::Playing:
            return Playing;
    }
    return Closed;
}

void MediaPlayerEngine::setDisplaySize(int value) {
    m_displaySize = value;
    m_engine.setDisplaySize(videoSizeOfMediaPlayer(value));
}
