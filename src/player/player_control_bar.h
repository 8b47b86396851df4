#pragma once

#include <QWidget>

class QLabel;
class QSlider;
class QToolButton;

// The control bar under a player: seek bar, elapsed and total time, play/pause, stop and volume.
// It only shows what it is given and says what the user asked for; ControlBarBinding ties it to
// an engine. Its controls are reached with Tab (a click leaves the keyboard where it was) and
// carry their names for screen readers; a value set on a bar from outside (a key, a reader)
// seeks or sets the volume as a click does.
class PlayerControlBar : public QWidget {
    Q_OBJECT
public:
    explicit PlayerControlBar(QWidget* parent = nullptr);

    void setDuration(double seconds);
    void setPosition(double seconds);
    void setPlaying(bool playing);
    void setVolume(int volume);
    // Moves the seek bar by seconds (back when negative) and seeks there; nothing without a file.
    void stepPosition(double seconds);
    // Moves the volume bar by steps (0-100) and sets the volume.
    void stepVolume(int steps);
    // A bar outside the part of the window that shows (under the status bar, past its edge)
    // keeps its controls hidden, so nothing offers what cannot be seen.
    void setInSight(bool inSight);

    QString timeText() const;
    bool isPlaying() const { return m_playing; }
    QToolButton* playPauseButton() const { return m_playPause; }
    QToolButton* stopButton() const { return m_stop; }
    QSlider* seekSlider() const { return m_seek; }
    QSlider* volumeSlider() const { return m_volume; }

signals:
    void playClicked();
    void pauseClicked();
    void stopClicked();
    void seekRequested(double seconds);
    void volumeChanged(int volume);

private:
    void updateTime();
    void requestSeek(int value);

    QToolButton* m_playPause = nullptr;
    QToolButton* m_stop = nullptr;
    QSlider* m_seek = nullptr;
    QLabel* m_time = nullptr;
    QSlider* m_volume = nullptr;
    bool m_playing = false;
    bool m_inSight = true;
    int m_valueAtPress = 0;
    double m_duration = 0;
    double m_position = 0;
};
