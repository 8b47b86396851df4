#pragma once

#include <QObject>
#include <QString>

#include "platform/shell_execute.h"
#include "player/wave_volume.h"

class Dialogs;
class IntervalTimer;
class PlayerSet;

// clsMovie: the only code that drives the two engines for playback. It sorts a file to its
// engine by extension, hides and unloads the other engine, and hides the engines' different ways
// behind nine methods. Only one engine is ever shown at a time. A file an engine cannot play ends
// in the player error box, whether the engine refuses it at once or finds out while opening it.
class clsMovie : public QObject {
    Q_OBJECT
public:
    clsMovie(Dialogs& dialogs, IntervalTimer& timer1, PlayerSet& players, UrlOpener openUrl,
             WaveVolumeAccess waveVolume = {}, QObject* parent = nullptr);

    qint32 RealOldVol = 0;   // kept for its place; never used
    qint32 MediaOldVol = 0;  // kept for its place; never used
    // The engine in use: 0 none yet, 1 the media player, 2 the streaming player.
    qint16 RealPlayerFlg = 0;
    // The wave volume from before the streaming player took over, given back when the media
    // player takes over again.
    quint32 RealOldWaveVol = 0;

    void PlayPause();
    // Starts or resumes FileName in the engine of its extension (compared as given). DspIndex is
    // not used: the caller sets the size just before. PauseFlg makes the streaming player start a
    // clip it already holds from the beginning.
    void PlayStart(const QString& FileName, const QString& Kakuchousi, qint16 DspIndex,
                   bool PauseFlg);
    // Stops both engines and lets go of their files.
    void PlayStop();
    void PlayScreenChange(qint16 DspIndex, const QString& FileName, const QString& Kakuchousi);
    void SetPlayMute(bool PosValue, const QString& FileName, const QString& Kakuchousi);
    // 0 stopped (or anything else), 1 playing, 2 paused.
    qint16 GetPlayState() const;
    // The picture's size in pixels; both stay as they were for an extension of neither engine.
    void GetDspSize(const QString& Kakuchousi, qint32& DspSizeHeight, qint32& DspSizeWidth) const;
    // Whole seconds for the media player, milliseconds for the streaming player, else 0.
    qint32 GetPlayPosition(const QString& Kakuchousi) const;
    void SetPlayPosition(qint32 PosValue, const QString& Kakuchousi);

    // How the window sets the players up when it loads: the streaming player shown with its
    // picture fitted, the media player hidden and set to fit.
    void configureAtStart();

private:
    void ShowPlayerError(const QString& Kakuchousi, int runErrorNumber);

    Dialogs& m_dialogs;
    IntervalTimer& m_timer1;
    PlayerSet& m_players;
    UrlOpener m_openUrl;
    WaveVolumeAccess m_waveVolume;
    // The extension each engine was last started with, for the errors it reports later.
    QString m_mediaPlayerExt;
    QString m_realAudioExt;
};
