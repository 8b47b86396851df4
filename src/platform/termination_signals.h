#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the session's requests to end the program (SIGTERM, SIGHUP, SIGINT) into a Qt signal on
// the UI thread, so the program can close its window the ordinary way and save its settings.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};
