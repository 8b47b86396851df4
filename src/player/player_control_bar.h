#pragma once

#include <QWidget>

class QLabel;
class QSlider;
class QToolButton;

// The control bar under a player: seek bar, elapsed and total time, play/pause, stop and volume.
// It only shows what it is given and says what the user asked for; ControlBarBinding ties it to
// an engine.
class PlayerControlBar : public QWidget {
    Q_OBJECT
public:
    explicit PlayerControlBar(QWidget* parent = nullptr);

    void setDuration(double seconds);
    void setPosition(double seconds);
    void setPlaying(bool playing);
    void setVolume(int volume);

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

    QToolButton* m_playPause = nullptr;
    QToolButton* m_stop = nullptr;
    QSlider* m_seek = nullptr;
    QLabel* m_time = nullptr;
    QSlider* m_volume = nullptr;
    bool m_playing = false;
    double m_duration = 0;
    double m_position = 0;
};
