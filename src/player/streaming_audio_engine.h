#pragma once

#include <QObject>
#include <QString>

#include "player/display_size.h"
#include "player/media_engine.h"

// RealAudio1: the streaming-audio engine as the facade drives it. Its source reads back as a
// file URL ("file://" + path); positions, lengths are milliseconds; play states carry the values
// the program has always used; a stop closes the clip, and the next play opens it again.
class StreamingAudioEngine : public QObject {
    Q_OBJECT
public:
    enum PlayState { Stopped = 0, Contacting = 1, Buffering = 2, Playing = 3, Paused = 4 };

    explicit StreamingAudioEngine(MediaEngine& engine, QObject* parent = nullptr);

    MediaEngine& engine() const { return m_engine; }

    // "file://" + path, or "" when there is none.
    QString source() const;
    // Sets the file the next play opens; another file (or "") closes the clip that is open.
    void setSource(const QString& path);

    void play();
    void pause() { m_engine.pause(); }
    // Stops and closes the clip, letting go of the file; the source stays.
    void stop();

    int playState() const { return playStateOf(m_engine.state()); }
    static int playStateOf(EngineState state);

    int position() const;
    void setPosition(int milliseconds);
    int length() const;

    int clipWidth() const { return m_engine.pictureSize().width(); }
    int clipHeight() const { return m_engine.pictureSize().height(); }

    bool mute() const { return m_engine.isMuted(); }
    void setMute(bool on) { m_engine.setMuted(on); }

    // The picture's size: with the aspect kept, the natural size fits the picture to the window;
    // without, it shows the picture at its own size.
    void setKeepAspect(bool on) { m_keepAspect = on; }
    bool keepAspect() const { return m_keepAspect; }
    void naturalSize();
    void doubleSize();
    void fullScreen();

signals:
    void clipOpened(const QString& title, const QString& url);
    void clipClosed();
    void stateChange(int newState);
    void errorMessage(const QString& text);
    // The clip could not be played.
    void error();

private:
    MediaEngine& m_engine;
    QString m_source;  // a path
    bool m_keepAspect = true;
};
