// The line between the running instance and a later start, over a local socket beside the
// single-instance lock file.
#include "frontend/instance_channel.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <utility>

#include "frontend/instance_lock.h"

namespace {

// A request: these four bytes, the length of the document's path in bytes (4 bytes, most
// significant first), then the path in UTF-8. The answer is one byte.
constexpr char kMagic[4] = {'T', 'S', 'Q', 'Z'};
constexpr qsizetype kHeaderSize = 8;
// Far above any path the system accepts; a longer request is not ours.
constexpr quint32 kLongestPath = 65536;
constexpr char kTaken = 0x06;

// A connection that sends no complete request in this time is dropped.
constexpr int kRequestTimeoutMs = 5000;
constexpr int kRetryPauseMs = 100;

// Only a socket of this user's own is spoken to: in the shared temporary directory another
// user could have put one there.
bool isOwnSocket(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISSOCK(st.st_mode) &&
           st.st_uid == ::getuid();
}

}  // namespace

TInstanceChannel::TInstanceChannel(QObject* parent)
    : QObject(parent), server(new QLocalServer(this)) {}

TInstanceChannel::~TInstanceChannel() {
    // The socket file goes with the instance, so it never lingers after a normal end.
    server->close();
}

QString TInstanceChannel::socketPath() {
    return QFile::decodeName(QByteArray::fromStdString(TInstanceLock::lockFilePath())) +
           QStringLiteral(".socket");
}

bool TInstanceChannel::listen() {
    const QString path = socketPath();
    // Whoever holds the lock is the one running instance, so a socket already there was
    // left behind by an instance that died.
    QLocalServer::removeServer(path);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(path)) return false;
    connect(server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
            QTimer::singleShot(kRequestTimeoutMs, socket, [socket] { socket->abort(); });
        }
    });
    return true;
}

void TInstanceChannel::readRequest(QLocalSocket* socket) {
    if (socket->bytesAvailable() < kHeaderSize) return;
    const QByteArray header = socket->peek(kHeaderSize);
    const quint32 length = qFromBigEndian<quint32>(header.constData() + 4);
    if (!header.startsWith(QByteArray(kMagic, sizeof kMagic)) || length > kLongestPath) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < kHeaderSize + length) return;
    socket->read(kHeaderSize);
    const QString document = QString::fromUtf8(socket->read(length));
    socket->disconnect(this);
    socket->write(&kTaken, 1);
    socket->flush();
    socket->disconnectFromServer();
    passOn(document);
}

void TInstanceChannel::passOn(const QString& document) {
    if (delivering) {
        emit documentHandedOver(document);
        return;
    }
    // Only the last document counts, as it would have replaced the ones before it.
    holding = true;
    if (!document.isEmpty() || heldDocument.isEmpty()) heldDocument = document;
}

void TInstanceChannel::deliverRequests() {
    delivering = true;
    if (!std::exchange(holding, false)) return;
    emit documentHandedOver(std::exchange(heldDocument, QString()));
}

bool TInstanceChannel::handOver(const QString& document, int timeoutMs) {
    const QString path = socketPath();
    const QByteArray utf8 = document.toUtf8();
    QByteArray request(kMagic, sizeof kMagic);
    char length[4];
    qToBigEndian<quint32>(static_cast<quint32>(utf8.size()), length);
    request.append(length, sizeof length);
    request.append(utf8);

    QElapsedTimer clock;
    clock.start();
    // The running instance may still be on its way to listening: try again for a while.
    while (true) {
        const int left = timeoutMs - static_cast<int>(clock.elapsed());
        if (left <= 0) return false;
        if (isOwnSocket(path)) {
            QLocalSocket socket;
            socket.connectToServer(path);
            if (socket.waitForConnected(left)) {
                socket.write(request);
                if (!socket.waitForBytesWritten(left)) return false;
                while (socket.bytesAvailable() < 1) {
                    const int wait = timeoutMs - static_cast<int>(clock.elapsed());
                    if (wait <= 0 || !socket.waitForReadyRead(wait)) return false;
                }
                return socket.read(1) == QByteArray(1, kTaken);
            }
        }
        QThread::msleep(kRetryPauseMs);
    }
}
