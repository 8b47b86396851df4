#include "app/startup_markers.h"

#include <QEvent>
#include <cstdio>

#include "app/form1.h"
#include "player/mpv_engine.h"
#include "player/player_set.h"

StartupMarkers::StartupMarkers(Form1& form) : QObject(&form) {
    if (qEnvironmentVariableIsEmpty("QUORVANE_BENCH_MARKERS")) {
        return;
    }
    form.installEventFilter(this);
    for (MpvEngine* engine : {&form.players().mediaEngine(), &form.players().streamingEngine()}) {
        connect(engine, &MediaEngine::stateChanged, this, [this](EngineState, EngineState now) {
            if (now == EngineState::Playing && !m_played) {
                m_played = true;
                print("playing");
            }
        });
    }
}

bool StartupMarkers::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && !m_painted) {
        m_painted = true;
        watched->removeEventFilter(this);
        print("first-paint");
    }
    return QObject::eventFilter(watched, event);
}

void StartupMarkers::print(const char* marker) {
    std::fprintf(stdout, "%s\n", marker);
    std::fflush(stdout);
}
