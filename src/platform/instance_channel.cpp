#include "platform/instance_channel.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QVariant>
#include <algorithm>

#include "platform/file_name_codec.h"

namespace {

// A path longer than this is no path a second start would send.
constexpr quint32 kMaxPathBytes = 64 * 1024;
// Nor a token longer than this.
constexpr quint32 kMaxTokenBytes = 4 * 1024;
// Stands where a bare hand-over has the path's length: a token comes first. No path is this long,
// so a copy that knows only bare hand-overs refuses it rather than taking it for a path.
constexpr quint32 kTokenFollows = 0xFFFFFFFFU;

enum class Block { Read, Incomplete, Refused };

// One length-prefixed block (the length already read).
Block readBlock(QDataStream& in, quint32 length, quint32 max, QByteArray& out) {
    if (length > max) {
        return Block::Refused;
    }
    out = QByteArray(static_cast<qsizetype>(length), Qt::Uninitialized);
    return in.readRawData(out.data(), static_cast<int>(length)) == static_cast<int>(length)
               ? Block::Read
               : Block::Incomplete;
}

void writeBlock(QDataStream& out, const QByteArray& bytes) {
    out << static_cast<quint32>(bytes.size());
    out.writeRawData(bytes.constData(), static_cast<int>(bytes.size()));
}

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
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readHandOver(socket); });
    }
}

void InstanceChannel::readHandOver(QLocalSocket* socket) {
    // [the token's length and bytes, after kTokenFollows], the path's length and bytes; the
    // sender waits for one byte of answer.
    if (socket->property("done").toBool() || socket->bytesAvailable() < 4) {
        return;
    }
    QDataStream in(socket);
    in.startTransaction();
    quint32 length = 0;
    in >> length;
    QByteArray token;
    if (length == kTokenFollows) {
        in >> length;
        const Block read = readBlock(in, length, kMaxTokenBytes, token);
        if (read != Block::Read) {
            read == Block::Refused ? socket->abort() : in.rollbackTransaction();
            return;
        }
        in >> length;
    }
    QByteArray bytes;
    const Block read = readBlock(in, length, kMaxPathBytes, bytes);
    if (read != Block::Read || in.status() != QDataStream::Ok) {
        read == Block::Refused ? socket->abort() : in.rollbackTransaction();
        return;
    }
    in.commitTransaction();
    socket->setProperty("done", true);
    socket->write("1");
    socket->flush();
    emit pathReceived(decodeFileName(bytes), QString::fromUtf8(token));
}

bool InstanceChannel::send(const QString& name, const QString& path, int timeoutMs,
                           const QString& activationToken) {
    QLocalSocket socket;
    // The copy that holds the lock may be starting still, before it listens: it is asked again
    // for as long as the timeout allows.
    QElapsedTimer waited;
    waited.start();
    constexpr int kRetryMs = 50;
    for (;;) {
        socket.connectToServer(name);
        const int left = std::max(0, timeoutMs - int(waited.elapsed()));
        if (socket.waitForConnected(left)) {
            break;
        }
        const bool notListening = socket.error() == QLocalSocket::ServerNotFoundError ||
                                  socket.error() == QLocalSocket::ConnectionRefusedError;
        if (!notListening || waited.elapsed() + kRetryMs >= timeoutMs) {
            return false;
        }
        socket.abort();
        QThread::msleep(kRetryMs);
    }
    QDataStream out(&socket);
    if (!activationToken.isEmpty()) {
        out << kTokenFollows;
        writeBlock(out, activationToken.toUtf8());
    }
    writeBlock(out, encodeFileName(path));
    if (!socket.waitForBytesWritten(timeoutMs)) {
        return false;
    }
    // The answer says the running copy has the path.
    return socket.waitForReadyRead(timeoutMs) && socket.read(1) == "1";
}
