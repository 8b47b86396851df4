#pragma once

// StallWatchdog: a 1 ms precise timer on the thread it lives in (the window's), noting the
// largest gap between two of its ticks, that is how long that thread's event loop went without
// being served. A gap is seen when the next tick comes; the figures count the gap still open at
// the time they are read as well. Marks split a run into sections with a largest gap of their own.
// With QUORVANE_STALL_TRACE_MS=N in the environment, every gap of N ms or more is written to
// stderr with the time it ended, to find where a stall comes from.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <vector>

class StallWatchdog : public QObject {
public:
    explicit StallWatchdog(QObject* parent = nullptr);

    // Ticks from now on; what an earlier run saw is forgotten.
    void start();
    void stop();
    bool isRunning() const { return m_timer.isActive(); }

    // The largest gap since start(), in milliseconds.
    double maxGapMs() const;
    // Starts a section; sectionMaxGapMs() is the largest gap since then.
    void mark();
    double sectionMaxGapMs() const;
    // The gap that this share of all gaps since start() does not exceed (99: the 99th
    // percentile), in milliseconds.
    double percentileGapMs(double percent) const;
    qint64 ticks() const { return m_ticks; }

private:
    void tick();
    qint64 openGapNs() const;

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastTickNs = 0;
    qint64 m_maxGapNs = 0;
    qint64 m_sectionMaxGapNs = 0;
    qint64 m_ticks = 0;
    qint64 m_traceNs = 0;
    std::vector<qint64> m_gaps;
};
