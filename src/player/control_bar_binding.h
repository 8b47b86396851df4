#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "player/media_engine.h"

class PlayerControlBar;

// Ties a control bar to an engine: the bar shows the engine's time, state and volume (the time is
// read a few times a second while a file plays), and the bar's requests go to the engine.
class ControlBarBinding : public QObject {
    Q_OBJECT
public:
    ControlBarBinding(MediaEngine& engine, PlayerControlBar& bar);

    static constexpr int kRefreshMs = 250;

    // Reads the engine once more (the timer does this while a file plays).
    void refresh();

private:
    void onStateChanged(EngineState state);

    QPointer<MediaEngine> m_engine;
    QPointer<PlayerControlBar> m_bar;
    QTimer m_timer;
};
