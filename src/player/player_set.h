#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class CommandTable;
class MediaPlayerEngine;
class MidiSynth;
class MpvEngine;
class PlayerControlBar;
class StreamingAudioEngine;
class QWidget;
class VideoSurface;

struct PlayerOptions {
    // libmpv's audio output ("null" where nothing may sound); empty: libmpv's own choice.
    QString audioOutput;
    // Draw pictures with libmpv's render API; by default wherever there is a screen to draw on.
    std::optional<bool> renderApi;
};

// MediaPlayer1 with its picture window above its control bar, the streaming engine's picture
// window RealAudio1(0), and its control panel RealAudio1(1): the two engines and the widgets they
// show in. The widgets are children of the given parent, which places them; the engines belong
// to this object and may go before or after the widgets.
class PlayerSet : public QObject {
    Q_OBJECT
public:
    explicit PlayerSet(QWidget* parent, const PlayerOptions& options = {});
    ~PlayerSet() override;

    QWidget* MediaPlayer1() const { return m_mediaPlayerView; }
    // 0: the picture window, 1: the control panel.
    QWidget* RealAudio1(int index) const;

    MediaPlayerEngine& mediaPlayer() const { return *m_mediaPlayer; }
    StreamingAudioEngine& realAudio() const { return *m_realAudio; }
    MpvEngine& mediaEngine() const { return *m_mediaEngine; }
    MpvEngine& streamingEngine() const { return *m_streamingEngine; }

    VideoSurface* mediaSurface() const { return m_mediaSurface; }
    VideoSurface* streamingSurface() const { return m_streamingSurface; }
    PlayerControlBar* mediaControls() const { return m_mediaControls; }
    PlayerControlBar* streamingControls() const { return m_streamingControls; }

    // The control bar of the player on show: the media player's, else the streaming engine's
    // while its panel is shown; nullptr when neither is.
    PlayerControlBar* shownControls() const;
    // The player's keys: seeking and the volume, on the bar of the player on show.
    void registerCommands(CommandTable& table);

    bool usesRenderApi() const { return m_renderApi; }
    // The synthesizer the media player plays MIDI files with.
    MidiSynth& midiSynth() const { return *m_midiSynth; }

    // Lets both engines go of libmpv for good, each surface freeing its render context first.
    // The engines and widgets stay, as engines that could not be started.
    void release();

    // True where libmpv can draw into a window: not under the offscreen or minimal platforms,
    // where an OpenGL widget cannot be made.
    static bool screenCanDraw();

private:
    void bindControls(MpvEngine& engine, PlayerControlBar& bar);

    bool m_renderApi = false;
    std::unique_ptr<MidiSynth> m_midiSynth;  // outlives the engines, whose streams use it
    std::unique_ptr<MpvEngine> m_mediaEngine;
    std::unique_ptr<MpvEngine> m_streamingEngine;
    std::unique_ptr<MediaPlayerEngine> m_mediaPlayer;
    std::unique_ptr<StreamingAudioEngine> m_realAudio;

    QWidget* m_mediaPlayerView = nullptr;
    VideoSurface* m_mediaSurface = nullptr;
    PlayerControlBar* m_mediaControls = nullptr;
    VideoSurface* m_streamingSurface = nullptr;
    PlayerControlBar* m_streamingControls = nullptr;
};

// Lets a picture window move to the full screen and back without losing its picture. Call it
// before the QApplication is made.
void prepareApplicationForVideo();
