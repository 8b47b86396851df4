#include "player/control_bar_binding.h"

#include "platform/run_error.h"
#include "player/player_control_bar.h"

ControlBarBinding::ControlBarBinding(MediaEngine& engine, PlayerControlBar& bar)
    : QObject(&bar), m_engine(&engine), m_bar(&bar) {
    m_timer.setInterval(kRefreshMs);
    connect(&m_timer, &QTimer::timeout, this, &ControlBarBinding::refresh);
    connect(&engine, &MediaEngine::stateChanged, this,
            [this](EngineState, EngineState state) { onStateChanged(state); });
    connect(&engine, &MediaEngine::newStream, this, &ControlBarBinding::refresh);

    // The bar is a player's own control: a failure here has no caller to tell, and the engine
    // reports what went wrong with the file itself.
    connect(&bar, &PlayerControlBar::playClicked, this, [this] {
        try {
            if (m_engine) {
                m_engine->play();
            }
        } catch (const RunError&) {
        }
    });
    connect(&bar, &PlayerControlBar::pauseClicked, this, [this] {
        if (m_engine) {
            m_engine->pause();
        }
    });
    connect(&bar, &PlayerControlBar::stopClicked, this, [this] {
        if (m_engine) {
            m_engine->stop();
            refresh();
        }
    });
    connect(&bar, &PlayerControlBar::seekRequested, this, [this](double seconds) {
        if (m_engine) {
            m_engine->setPosition(seconds);
        }
    });
    connect(&bar, &PlayerControlBar::volumeChanged, this, [this](int volume) {
        if (m_engine) {
            m_engine->setVolume(volume);
        }
    });
    bar.setVolume(engine.volume());
    onStateChanged(engine.state());
}

void ControlBarBinding::refresh() {
    if (!m_engine || !m_bar) {
        return;
    }
    m_bar->setDuration(m_engine->duration());
    m_bar->setPosition(m_engine->position());
}

void ControlBarBinding::onStateChanged(EngineState state) {
    if (!m_bar) {
        return;
    }
    m_bar->setPlaying(state == EngineState::Playing);
    if (state == EngineState::Playing) {
        m_timer.start();
    } else {
        m_timer.stop();
    }
    refresh();
}
