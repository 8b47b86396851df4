#pragma once

#include <QObject>
#include <QString>

#include "player/media_engine.h"

// MediaPlayer1: the media-player engine as the facade drives it. A file is loaded by setting its
// name ("" unloads), played, paused and stopped; positions are seconds; play states and display
// sizes carry the values the program has always used.
class MediaPlayerEngine : public QObject {
    Q_OBJECT
public:
    enum PlayState { Stopped = 0, Paused = 1, Playing = 2, Waiting = 3, Closed = 6 };

    explicit MediaPlayerEngine(MediaEngine& engine, QObject* parent = nullptr);

    MediaEngine& engine() const { return m_engine; }

    QString fileName() const { return m_engine.fileName(); }
    // Loads the file, stopped at its start; "" unloads and lets go of the file.
    void setFileName(const QString& path);

    int playState() const { return playStateOf(m_engine.state()); }
    static int playStateOf(EngineState state);

    void play() { m_engine.play(); }
    void pause() { m_engine.pause(); }
    void stop() { m_engine.stop(); }

    // 0 default size, 1 half, 2 double, 3 full screen, 4 fit.
    int displaySize() const { return m_displaySize; }
    void setDisplaySize(int value);

    bool mute() const { return m_engine.isMuted(); }
    void setMute(bool on) { m_engine.setMuted(on); }
    double rate() const { return m_engine.rate(); }
    void setRate(double rate) { m_engine.setRate(rate); }
    double currentPosition() const { return m_engine.position(); }
    double duration() const { return m_engine.duration(); }
    // The file to have ready for the end of this one (see MediaEngine::setNext).
    void setNextFileName(const QString& path) { m_engine.setNext(path); }
    QString nextFileName() const { return m_engine.next(); }
    void setCurrentPosition(double seconds) { m_engine.setPosition(seconds); }

    int imageSourceWidth() const { return m_engine.pictureSize().width(); }
    int imageSourceHeight() const { return m_engine.pictureSize().height(); }

    int errorCode() const { return m_engine.errorCode(); }
    QString errorDescription() const { return m_engine.errorText(); }

signals:
    void endOfStream();
    void playStateChange(int oldState, int newState);
    void warning(const QString& description);
    void newStream();
    // The file could not be played.
    void error();

private:
    MediaEngine& m_engine;
    int m_displaySize = 4;
};
