#include "platform/instance_channel.h"

#include <QDataStream>
#include <QLocalServer>
#include <QLocalSocket>
#include <QVariant>

#include "platform/file_name_codec.h"

namespace {

// A path longer than this is no path a second start would send.
constexpr quint32 kMaxPathBytes = 64 * 1024;

}  // namespace

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {}

InstanceChannel::~InstanceChannel() = default;

QString InstanceChannel::nameForLock(const QString& lockPath) {
    QString name = lockPath;
    if (name.endsWith(u".lock")) {
        name.chop(5);
    }
    return name + u".socket";
}

bool InstanceChannel::listen(const QString& name) {
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Only the copy that holds the lock listens, so a socket file found here is a dead copy's.
    QLocalServer::removeServer(name);
    if (!m_server->listen(name)) {
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &InstanceChannel::takeConnection);
    return true;
}

void InstanceChannel::takeConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            // A length, then the path's bytes; the sender waits for one byte of answer.
            if (socket->property("done").toBool() || socket->bytesAvailable() < 4) {
                return;
            }
            QDataStream in(socket);
            in.startTransaction();
            quint32 length = 0;
            in >> length;
            if (length > kMaxPathBytes) {
                socket->abort();
                return;
            }
            QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
            if (in.readRawData(bytes.data(), static_cast<int>(length)) != static_cast<int>(length)) {
                in.rollbackTransaction();
                return;
            }
            in.commitTransaction();
            socket->setProperty("done", true);
            socket->write("1");
            socket->flush();
            emit pathReceived(decodeFileName(bytes));
        });
    }
}

bool InstanceChannel::send(const QString& name, const QString& path, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) {
        return false;
    }
    const QByteArray bytes = encodeFileName(path);
    QDataStream out(&socket);
    out << static_cast<quint32>(bytes.size());
    out.writeRawData(bytes.constData(), static_cast<int>(bytes.size()));
    if (!socket.waitForBytesWritten(timeoutMs)) {
        return false;
    }
    // The answer says the running copy has the path.
    return socket.waitForReadyRead(timeoutMs) && socket.read(1) == "1";
}
