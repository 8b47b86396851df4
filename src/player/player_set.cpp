#include "player/player_set.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QVBoxLayout>
#include <functional>

#include "platform/command_table.h"
#include "player/control_bar_binding.h"
#include "player/media_player_engine.h"
#include "player/midi_synth.h"
#include "player/mpv_engine.h"
#include "player/player_control_bar.h"
#include "player/streaming_audio_engine.h"
#include "player/video_surface.h"

bool PlayerSet::screenCanDraw() {
    const QString platform = QGuiApplication::platformName();
    return platform != u"offscreen" && platform != u"minimal";
}

PlayerSet::PlayerSet(QWidget* parent, const PlayerOptions& options)
    : QObject(parent), m_renderApi(options.renderApi.value_or(screenCanDraw())) {
    MpvEngineOptions engineOptions;
    engineOptions.renderApi = m_renderApi;
    engineOptions.audioOutput = options.audioOutput;
    m_midiSynth = std::make_unique<MidiSynth>();
    engineOptions.midiSynth = m_midiSynth.get();  // MIDI files are the media player's kinds
    m_mediaEngine = std::make_unique<MpvEngine>(engineOptions);
    engineOptions.midiSynth = nullptr;
    m_streamingEngine = std::make_unique<MpvEngine>(engineOptions);
    m_mediaPlayer = std::make_unique<MediaPlayerEngine>(*m_mediaEngine);
    m_realAudio = std::make_unique<StreamingAudioEngine>(*m_streamingEngine);

    m_mediaPlayerView = new QWidget(parent);
    m_mediaPlayerView->setObjectName(QStringLiteral("MediaPlayer1"));
    auto* layout = new QVBoxLayout(m_mediaPlayerView);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_mediaSurface = new VideoSurface(*m_mediaEngine, m_renderApi, m_mediaPlayerView);
    m_mediaControls = new PlayerControlBar(m_mediaPlayerView);
    layout->addWidget(m_mediaSurface, 1);
    layout->addWidget(m_mediaControls);
    bindControls(*m_mediaEngine, *m_mediaControls);

    m_streamingSurface = new VideoSurface(*m_streamingEngine, m_renderApi, parent);
    m_streamingSurface->setObjectName(QStringLiteral("RealAudio1_0"));
    m_streamingControls = new PlayerControlBar(parent);
    m_streamingControls->setObjectName(QStringLiteral("RealAudio1_1"));
    bindControls(*m_streamingEngine, *m_streamingControls);
}

void PlayerSet::bindControls(MpvEngine& engine, PlayerControlBar& bar) {
    auto* binding = new ControlBarBinding(engine, bar);
    // Where a seek landed shows at once, also while paused, when the bar's timer is off.
    connect(&engine, &MpvEngine::playbackRestarted, binding, &ControlBarBinding::refresh);
}

namespace {

// How far the player's keys move: an arrow 5 seconds or 5 of the volume's 100, with Ctrl a minute.
constexpr double kShortSeekSeconds = 5;
constexpr double kLongSeekSeconds = 60;
constexpr int kVolumeKeyStep = 5;

double seekSeconds(int element) {
    return element == 1 ? kLongSeekSeconds : kShortSeekSeconds;
}

}  // namespace

PlayerControlBar* PlayerSet::shownControls() const {
    if (!m_mediaPlayerView->isHidden()) {
        return m_mediaControls;
    }
    return m_streamingControls->isHidden() ? nullptr : m_streamingControls;
}

void PlayerSet::registerCommands(CommandTable& table) {
    const auto onShownBar = [this](const std::function<void(PlayerControlBar&)>& act) {
        if (PlayerControlBar* bar = shownControls()) {
            act(*bar);
        }
    };
    table.add(CommandId::SeekBackward, [onShownBar](int element) {
        onShownBar([element](PlayerControlBar& bar) { bar.stepPosition(-seekSeconds(element)); });
    });
    table.add(CommandId::SeekForward, [onShownBar](int element) {
        onShownBar([element](PlayerControlBar& bar) { bar.stepPosition(seekSeconds(element)); });
    });
    table.add(CommandId::VolumeDown, [onShownBar] {
        onShownBar([](PlayerControlBar& bar) { bar.stepVolume(-kVolumeKeyStep); });
    });
    table.add(CommandId::VolumeUp, [onShownBar] {
        onShownBar([](PlayerControlBar& bar) { bar.stepVolume(kVolumeKeyStep); });
    });
}

PlayerSet::~PlayerSet() {
    // The adapters hold on to the engines: they go first.
    m_realAudio.reset();
    m_mediaPlayer.reset();
    m_streamingEngine.reset();
    m_mediaEngine.reset();
    m_midiSynth.reset();
}

void PlayerSet::release() {
    m_streamingEngine->release();
    m_mediaEngine->release();
}

QWidget* PlayerSet::RealAudio1(int index) const {
    return index == 0 ? static_cast<QWidget*>(m_streamingSurface) : m_streamingControls;
}

void prepareApplicationForVideo() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}
