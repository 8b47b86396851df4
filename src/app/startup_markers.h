#pragma once

#include <QObject>

class Form1;

// Lines a benchmark reads on standard output to time the program from outside: "first-paint"
// when the main window is first painted, "playing" when a file first plays. Only when the
// environment variable QUORVANE_BENCH_MARKERS is set; otherwise nothing is watched.
class StartupMarkers : public QObject {
public:
    explicit StartupMarkers(Form1& form);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void print(const char* marker);

    bool m_painted = false;
    bool m_played = false;
};
