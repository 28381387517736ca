// A listener whose connections may send only so much towards one request.
// QHttpServer keeps every byte of a request until the request is whole, so a
// client that never ends one (an endless header line, a huge body) would grow
// the agent without limit: past the bound, that connection is closed and
// nothing else.
#pragma once

#include <QTcpServer>
#include <QTcpSocket>

namespace brisco::metrics {

// A scrape with its headers is a few hundred bytes.
inline constexpr qint64 kLargestRequest = 16 * 1024;

// Watches what a new connection sends, before the server reads it.
void boundRequests(QTcpSocket* socket);
// A whole request was read: the next one starts from nothing.
void requestDone(QTcpSocket* socket);

// QTcpServer or QSslServer, whose connections QHttpServer takes here.
template <class Server> class BoundedServer : public Server {
public:
    using Server::Server;

    QTcpSocket* nextPendingConnection() override {
        QTcpSocket* socket = Server::nextPendingConnection();
        if (socket) {
            boundRequests(socket);
        }
        return socket;
    }
};

} // namespace brisco::metrics
