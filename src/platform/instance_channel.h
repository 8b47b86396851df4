#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// How a second start of the program reaches the copy that runs already: the running copy listens
// on a local socket beside its lock file, and a second start given a path hands that path over
// and ends. Paths travel as their bytes, so a name that is not UTF-8 arrives whole.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // The socket beside a lock file: the lock's path with ".socket" for ".lock".
    static QString nameForLock(const QString& lockPath);

    // The running copy: listens on name (a socket left by a copy that died is replaced).
    bool listen(const QString& name);
    // A second start: hands path to the copy listening on name; false when none took it.
    static bool send(const QString& name, const QString& path, int timeoutMs = 3000);

signals:
    // A second start handed over this path.
    void pathReceived(const QString& path);

private:
    void takeConnection();

    QLocalServer* m_server = nullptr;
};
