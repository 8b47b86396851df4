#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// How a second start of the program reaches the copy that runs already: the running copy listens
// on a local socket beside its lock file, and a second start given a path hands that path over
// and ends. Paths travel as their bytes, so a name that is not UTF-8 arrives whole. The second
// start's activation token (XDG_ACTIVATION_TOKEN, given to it by the desktop that started it)
// travels with the path: on Wayland a window may come to the front only with such a token.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // The socket beside a lock file: the lock's path with ".socket" for ".lock".
    static QString nameForLock(const QString& lockPath);

    // The running copy: listens on name (a socket left by a copy that died is replaced).
    bool listen(const QString& name);
    // A second start: hands path (and the activation token, when there is one) to the copy
    // listening on name; false when none took it.
    static bool send(const QString& name, const QString& path, int timeoutMs = 3000,
                     const QString& activationToken = QString());

signals:
    // A second start handed over this path, with its activation token (empty when it had none).
    void pathReceived(const QString& path, const QString& activationToken);

private:
    void takeConnection();
    void readHandOver(class QLocalSocket* socket);

    QLocalServer* m_server = nullptr;
};
