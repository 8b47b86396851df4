#pragma once

#include <QObject>
#include <QTimer>

// A timer that runs only while it is enabled AND has an interval: enabling a timer whose interval
// is 0 arms nothing, as the program's timers expect (the slide-show timer is started and stopped
// by many commands long before it is given an interval).
class IntervalTimer : public QObject {
    Q_OBJECT
public:
    explicit IntervalTimer(QObject* parent = nullptr);

    bool isEnabled() const { return m_enabled; }
    int interval() const { return m_interval; }
    // True when a tick is actually pending.
    bool isArmed() const { return m_timer.isActive(); }

    void setEnabled(bool enabled);
    void setInterval(int milliseconds);
    // Enabled = true / false.
    void start() { setEnabled(true); }
    void stop() { setEnabled(false); }

signals:
    void timeout();

private:
    void rearm();

    QTimer m_timer;
    bool m_enabled = false;
    int m_interval = 0;
};
