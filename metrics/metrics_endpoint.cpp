#include "metrics/metrics_endpoint.h"

#include "metrics/bounded_server.h"
#include "metrics/exposition.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>

namespace brisco::metrics {

namespace {

using Status = QHttpServerResponder::StatusCode;

const QByteArray kPlainText = QByteArrayLiteral("text/plain; charset=utf-8");

} // namespace

MetricsEndpoint::MetricsEndpoint(const SnapshotStore& snapshots, BasicAuth auth, QObject* parent)
    : QAbstractHttpServer(parent)
    , m_snapshots(snapshots)
    , m_auth(std::move(auth)) {}

bool MetricsEndpoint::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    requestDone(socket);
    // Every path asks for the password, so that none is told apart without it.
    if (!m_auth.allows(request.value("Authorization"))) {
        makeResponder(request, socket)
            .write("Unauthorized\n",
                   {{"Content-Type", kPlainText}, {"WWW-Authenticate", "Basic realm=\"brisco\""}},
                   Status::Unauthorized);
        return true;
    }
    if (request.url().path() != QLatin1String("/metrics")) {
        return false;
    }
    if (request.method() != QHttpServerRequest::Method::Get) {
        makeResponder(request, socket)
            .write("Method Not Allowed\n", {{"Content-Type", kPlainText}, {"Allow", "GET"}},
                   Status::MethodNotAllowed);
        return true;
    }
    makeResponder(request, socket).write(exposition(*m_snapshots.latest()), kExpositionContentType);
    return true;
}

void MetricsEndpoint::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    makeResponder(request, socket).write("Not Found\n", kPlainText, Status::NotFound);
}

} // namespace brisco::metrics
