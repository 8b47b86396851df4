#include "stall_watchdog.h"

#include <QByteArray>
#include <algorithm>
#include <cstdio>

StallWatchdog::StallWatchdog(QObject* parent)
    : QObject(parent),
      m_traceNs(qEnvironmentVariableIntValue("QUORVANE_STALL_TRACE_MS") * 1000000LL) {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, &StallWatchdog::tick);
}

void StallWatchdog::start() {
    m_clock.start();
    m_lastTickNs = 0;
    m_maxGapNs = 0;
    m_sectionMaxGapNs = 0;
    m_ticks = 0;
    m_gaps.clear();
    m_timer.start();
}

void StallWatchdog::stop() {
    if (m_timer.isActive()) {
        tick();  // the gap open until now
        m_timer.stop();
    }
}

void StallWatchdog::tick() {
    const qint64 now = m_clock.nsecsElapsed();
    const qint64 gap = now - m_lastTickNs;
    if (m_traceNs > 0 && gap >= m_traceNs) {
        // Where the time went, when asked: each long gap with when it ended.
        std::fprintf(stderr, "stall: gap %.1f ms ending at %.1f ms\n", double(gap) / 1e6,
                     double(now) / 1e6);
    }
    m_lastTickNs = now;
    m_gaps.push_back(gap);
    m_maxGapNs = std::max(m_maxGapNs, gap);
    m_sectionMaxGapNs = std::max(m_sectionMaxGapNs, gap);
    ++m_ticks;
}

qint64 StallWatchdog::openGapNs() const {
    return m_timer.isActive() ? m_clock.nsecsElapsed() - m_lastTickNs : 0;
}

double StallWatchdog::maxGapMs() const {
    return double(std::max(m_maxGapNs, openGapNs())) / 1e6;
}

void StallWatchdog::mark() {
    if (m_timer.isActive()) {
        tick();
    }
    m_sectionMaxGapNs = 0;
}

double StallWatchdog::sectionMaxGapMs() const {
    return double(std::max(m_sectionMaxGapNs, openGapNs())) / 1e6;
}

double StallWatchdog::percentileGapMs(double percent) const {
    if (m_gaps.empty()) {
        return 0;
    }
    std::vector<qint64> gaps = m_gaps;
    const size_t at = std::min(gaps.size() - 1, size_t(double(gaps.size()) * percent / 100.0));
    std::nth_element(gaps.begin(), gaps.begin() + std::ptrdiff_t(at), gaps.end());
    return double(gaps[at]) / 1e6;
}
