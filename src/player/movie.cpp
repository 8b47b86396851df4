#include "player/movie.h"

#include <QGuiApplication>
#include <QWidget>
#include <cmath>
#include <limits>

#include "platform/dialogs.h"
#include "platform/file_exist.h"
#include "platform/interval_timer.h"
#include "platform/run_error.h"
#include "player/display_size.h"
#include "player/media_kinds.h"
#include "player/media_player_engine.h"
#include "player/messages.h"
#include "player/player_errors.h"
#include "player/player_set.h"
#include "player/streaming_audio_engine.h"

namespace {

// The hourglass while a file is being started.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void restore() {
        if (m_on) {
            QGuiApplication::restoreOverrideCursor();
            m_on = false;
        }
    }

private:
    bool m_on = true;
};

// The path behind a streaming source: the source without its "file://".
QString sourcePath(const QString& source) {
    return source.mid(7);
}

qint32 toInt32(double value) {
    // Halves go to the even neighbour.
    const double rounded = std::nearbyint(value);
    constexpr double kMin = std::numeric_limits<qint32>::min();
    constexpr double kMax = std::numeric_limits<qint32>::max();
    if (!std::isfinite(rounded)) {
        return 0;
    }
    return static_cast<qint32>(std::clamp(rounded, kMin, kMax));
}

}  // namespace

clsMovie::clsMovie(Dialogs& dialogs, IntervalTimer& timer1, PlayerSet& players, UrlOpener openUrl,
                   WaveVolumeAccess waveVolume, QObject* parent)
    : QObject(parent),
      m_dialogs(dialogs),
      m_timer1(timer1),
      m_players(players),
      m_openUrl(std::move(openUrl)),
      m_waveVolume(std::move(waveVolume)) {
    // A file found unplayable while it opens is reported like one refused at once. The box waits
    // until the engine has finished handling its events.
    connect(
        &players.mediaPlayer(), &MediaPlayerEngine::error, this,
        [this] { ShowPlayerError(m_mediaPlayerExt, player_error::kEngineRefused); },
        Qt::QueuedConnection);
    connect(
        &players.realAudio(), &StreamingAudioEngine::error, this,
        [this] { ShowPlayerError(m_realAudioExt, player_error::kEngineRefused); },
        Qt::QueuedConnection);
}

void clsMovie::configureAtStart() {
    m_players.RealAudio1(0)->show();
    m_players.RealAudio1(1)->show();
    StreamingAudioEngine& ra = m_players.realAudio();
    ra.setKeepAspect(true);
    ra.naturalSize();
    m_players.MediaPlayer1()->hide();
    m_players.mediaPlayer().setDisplaySize(4);
}

void clsMovie::PlayStart(const QString& FileName, const QString& Kakuchousi, qint16 DspIndex,
                         bool PauseFlg) {
    Q_UNUSED(DspIndex);
    WaitCursor cursor;
    m_timer1.stop();
    try {
        // A file gone is told here; a share that does not answer at once is left to the
        // engine, which opens the file on its own threads and tells what fails.
        constexpr std::chrono::milliseconds kLongestLook{25};
        if (!FileExistWithin(FileName, kLongestLook).value_or(true)) {
            cursor.restore();
            m_dialogs.messageBox(player_msg::fileMissing(FileName), MsgIcon::Critical,
                                 MsgButtons::Ok, player_msg::playerErrorTitle());
            return;
        }
        MediaPlayerEngine& mp = m_players.mediaPlayer();
        StreamingAudioEngine& ra = m_players.realAudio();
        switch (mediaKindOf(Kakuchousi)) {
            case MediaKind::MediaPlayer:
                m_players.RealAudio1(0)->hide();
                ra.setSource(QString());
                ra.stop();
                m_players.RealAudio1(1)->hide();
                if (RealPlayerFlg == 2) {
                    m_waveVolume.set(RealOldWaveVol);
                }
                if (m_players.MediaPlayer1()->isHidden()) {
                    m_players.MediaPlayer1()->show();
                }
                m_mediaPlayerExt = Kakuchousi;
                // The same file paused or playing goes on where it is.
                if (mp.fileName() != FileName || mp.playState() == MediaPlayerEngine::Stopped) {
                    mp.setFileName(FileName);
                }
                mp.play();
                RealPlayerFlg = 1;
                break;
            case MediaKind::RealAudio: {
                m_players.MediaPlayer1()->hide();
                mp.setFileName(QString());
                mp.stop();
                m_players.RealAudio1(1)->show();
                if (RealPlayerFlg != 2) {
                    RealOldWaveVol = m_waveVolume.get();
                }
                m_players.RealAudio1(0)->show();
                m_realAudioExt = Kakuchousi;
                const QString source = ra.source();
                if (source.isEmpty() || sourcePath(source) != FileName) {
                    ra.stop();
                    ra.setSource(FileName);
                } else {
                    if (ra.playState() == StreamingAudioEngine::Stopped) {
                        ra.stop();
                        ra.setSource(FileName);
                    }
                    if (PauseFlg) {
                        ra.stop();
                    }
                }
                ra.play();
                RealPlayerFlg = 2;
                break;
            }
            case MediaKind::Other:
                cursor.restore();  // the desktop may answer with a box
                ShellOpen(m_dialogs, m_openUrl, FileName);
                break;
            case MediaKind::None:
                break;
        }
    } catch (const std::exception& e) {
        cursor.restore();
        ShowPlayerError(Kakuchousi, runErrorFromException(e));
    }
}

void clsMovie::PlayStop() {
    m_timer1.stop();
    MediaPlayerEngine& mp = m_players.mediaPlayer();
    if (mp.playState() != MediaPlayerEngine::Closed) {
        mp.stop();
        mp.setFileName(QString());
    }
    // The picture window and the control panel share one engine.
    StreamingAudioEngine& ra = m_players.realAudio();
    ra.setPosition(ra.length());
    ra.stop();
    ra.setSource(QString());
}

void clsMovie::PlayPause() {
    MediaPlayerEngine& mp = m_players.mediaPlayer();
    if (mp.playState() == MediaPlayerEngine::Playing) {
        mp.pause();
    }
    StreamingAudioEngine& ra = m_players.realAudio();
    if (ra.playState() == StreamingAudioEngine::Playing) {
        ra.pause();
    }
}

void clsMovie::PlayScreenChange(qint16 DspIndex, const QString& FileName,
                                const QString& Kakuchousi) {
    Q_UNUSED(FileName);
    switch (mediaKindOf(Kakuchousi)) {
        case MediaKind::MediaPlayer:
            // The size only: showing the player here would put it beside the streaming player.
            if (const auto value = mediaPlayerDisplaySize(DspIndex)) {
                m_players.mediaPlayer().setDisplaySize(*value);
            }
            break;
        case MediaKind::RealAudio:
            if (const auto call = streamingSizeCall(DspIndex)) {
                StreamingAudioEngine& ra = m_players.realAudio();
                ra.setKeepAspect(call->keepAspect);
                switch (call->size) {
                    case StreamingSizeCall::Natural:
                        ra.naturalSize();
                        break;
                    case StreamingSizeCall::Double:
                        ra.doubleSize();
                        break;
                    case StreamingSizeCall::FullScreen:
                        ra.fullScreen();
                        break;
                }
            }
            break;
        default:
            break;
    }
}

void clsMovie::SetPlayMute(bool PosValue, const QString& FileName, const QString& Kakuchousi) {
    Q_UNUSED(FileName);
    switch (mediaKindOf(Kakuchousi.toLower())) {
        case MediaKind::MediaPlayer:
            m_players.mediaPlayer().setMute(PosValue);
            break;
        case MediaKind::RealAudio:
            m_players.realAudio().setMute(PosValue);
            break;
        default:
            break;
    }
}

qint16 clsMovie::GetPlayState() const {
    if (!m_players.MediaPlayer1()->isHidden()) {
        switch (m_players.mediaPlayer().playState()) {
            case MediaPlayerEngine::Playing:
                return 1;
            case MediaPlayerEngine::Paused:
                return 2;
            default:
                return 0;
        }
    }
    switch (m_players.realAudio().playState()) {
        case StreamingAudioEngine::Playing:
            return 1;
        case StreamingAudioEngine::Paused:
            return 2;
        default:
            return 0;
    }
}

void clsMovie::GetDspSize(const QString& Kakuchousi, qint32& DspSizeHeight,
                          qint32& DspSizeWidth) const {
    switch (mediaKindOf(Kakuchousi.toLower())) {
        case MediaKind::MediaPlayer:
            DspSizeHeight = m_players.mediaPlayer().imageSourceHeight();
            DspSizeWidth = m_players.mediaPlayer().imageSourceWidth();
            break;
        case MediaKind::RealAudio:
            DspSizeHeight = m_players.realAudio().clipHeight();
            DspSizeWidth = m_players.realAudio().clipWidth();
            break;
        default:
            break;
    }
}

qint32 clsMovie::GetPlayPosition(const QString& Kakuchousi) const {
    switch (mediaKindOf(Kakuchousi.toLower())) {
        case MediaKind::MediaPlayer:
            return toInt32(m_players.mediaPlayer().currentPosition());
        case MediaKind::RealAudio:
            return m_players.realAudio().position();
        default:
            return 0;
    }
}

void clsMovie::SetPlayPosition(qint32 PosValue, const QString& Kakuchousi) {
    switch (mediaKindOf(Kakuchousi.toLower())) {
        case MediaKind::MediaPlayer:
            m_players.mediaPlayer().setCurrentPosition(PosValue);
            break;
        case MediaKind::RealAudio:
            m_players.realAudio().setPosition(PosValue);
            break;
        default:
            break;
    }
}

void clsMovie::ShowPlayerError(const QString& Kakuchousi, int runErrorNumber) {
    QString text;
    switch (mediaKindOf(Kakuchousi.toLower())) {
        case MediaKind::MediaPlayer: {
            const MediaPlayerEngine& mp = m_players.mediaPlayer();
            text = player_msg::mediaPlayerError(mp.errorCode(), mp.errorDescription(),
                                                runErrorNumber, runErrorText(runErrorNumber));
            break;
        }
        case MediaKind::RealAudio:
            text = player_msg::streamingError(runErrorNumber, runErrorText(runErrorNumber));
            break;
        default:
            break;
    }
    m_dialogs.messageBox(text, MsgIcon::Critical, MsgButtons::Ok, player_msg::playerErrorTitle());
    m_dialogs.beep();
}
