#pragma once

#include <QObject>
#include <QSize>
#include <QString>

#include "player/display_size.h"

// What an engine is doing with its file.
enum class EngineState {
    Closed,   // no file, or the file could not be played
    Opening,  // asked to open the file, not open yet
    Stopped,  // the file is loaded (or has ended) and stands at its start
    Paused,
    Playing,
};

// A player engine as the program needs it: one file at a time, loaded by name, played, paused,
// stopped and unloaded, with its position, rate, mute, volume, picture size and last error, and
// the size the surface should show the picture in. Engines report what happens to the file with
// signals on the UI thread; the program's logic never waits for them.
class MediaEngine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens a file and leaves it stopped at its start; play() starts it. A load replaces what
    // was there.
    virtual void load(const QString& path) = 0;
    // Closes the file and lets go of it: when unload() returns, the file is no longer held open.
    virtual void unload() = 0;
    // Starts or resumes; a file that was closed after its end (or after an error) is opened again.
    virtual void play() = 0;
    virtual void pause() = 0;
    // Back to the start, not playing; the file stays loaded.
    virtual void stop() = 0;

    // The file the engine was last given ("" after unload).
    virtual QString fileName() const = 0;
    virtual EngineState state() const = 0;

    // Seconds from the start. A position set while the file is still opening or seeking reads
    // back as set.
    virtual double position() const = 0;
    virtual void setPosition(double seconds) = 0;
    // Seconds; 0 when not known.
    virtual double duration() const = 0;

    virtual double rate() const = 0;
    virtual void setRate(double rate) = 0;
    virtual bool isMuted() const = 0;
    virtual void setMuted(bool muted) = 0;
    // 0-100.
    virtual int volume() const = 0;
    virtual void setVolume(int volume) = 0;

    // The picture's own size in pixels; 0 x 0 for sound only.
    virtual QSize pictureSize() const = 0;

    // The file that is to follow the one open now, where the engine can have it ready before the
    // end (an empty path: none). Should its end come and the next load ask for that very file,
    // it goes on without a load; the caller says again whenever its answer changes. An engine
    // that cannot do this ignores it.
    virtual void setNext(const QString& path) { Q_UNUSED(path); }
    virtual QString next() const { return {}; }

    // The last error: the engine's code (0: none) and its text.
    virtual int errorCode() const = 0;
    virtual QString errorText() const = 0;

    // The size the surface shows the picture in. The engine only keeps it; the surface follows.
    VideoSize displaySize() const { return m_displaySize; }
    void setDisplaySize(VideoSize size) {
        if (size != m_displaySize) {
            m_displaySize = size;
            emit displaySizeChanged(size);
        }
    }

signals:
    // The file played to its end.
    void endOfStream();
    void stateChanged(EngineState oldState, EngineState newState);
    // A file has been opened: a new stream for the media player, a clip for the streaming player.
    void newStream();
    void clipOpened();
    // An opened file was closed: at its end, by a stop that unloads it, or by the next load.
    void clipClosed();
    // Something went wrong that does not end the file.
    void warning(const QString& text);
    // The file could not be played; errorCode() and errorText() tell why.
    void error(int code, const QString& text);
    void pictureSizeChanged(QSize size);
    void displaySizeChanged(VideoSize size);

private:
    VideoSize m_displaySize = VideoSize::Fit;
};
