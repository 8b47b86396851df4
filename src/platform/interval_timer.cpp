#include "platform/interval_timer.h"

IntervalTimer::IntervalTimer(QObject* parent) : QObject(parent) {
    connect(&m_timer, &QTimer::timeout, this, &IntervalTimer::timeout);
}

void IntervalTimer::setEnabled(bool enabled) {
    m_enabled = enabled;
    rearm();
}

void IntervalTimer::setInterval(int milliseconds) {
    m_interval = std::max(0, milliseconds);
    rearm();
}

void IntervalTimer::rearm() {
    // Changing the interval or enabling again restarts the count, as a fresh start should.
    if (m_enabled && m_interval > 0) {
        m_timer.start(m_interval);
    } else {
        m_timer.stop();
    }
}
