#include "metrics/bounded_server.h"

namespace brisco::metrics {

namespace {

// Bytes received towards the request under way.
constexpr char kReceived[] = "briscoReceived";

} // namespace

void boundRequests(QTcpSocket* socket) {
    // What waits unread stays within the bound: once that much of one request
    // has come, the socket stops reading and is closed below.
    socket->setReadBufferSize(kLargestRequest);
    // Connected before the server's own handler, so it runs first.
    QObject::connect(socket, &QIODevice::readyRead, socket, [socket] {
        const qint64 received = socket->property(kReceived).toLongLong() + socket->bytesAvailable();
        socket->setProperty(kReceived, received);
        if (received >= kLargestRequest) {
            // The server's handler must not read the closed socket.
            QObject::disconnect(socket, &QIODevice::readyRead, nullptr, nullptr);
            socket->abort();
        }
    });
}

void requestDone(QTcpSocket* socket) {
    socket->setProperty(kReceived, 0);
}

} // namespace brisco::metrics
