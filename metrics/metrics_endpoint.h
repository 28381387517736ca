// GET /metrics over Qt's HTTP server, on the listener's own thread: the
// latest published snapshot in the exposition format, behind basic
// authentication when the web configuration names users. Anything else gets
// 404 (another path) or 405 (another method).
#pragma once

#include "metrics/basic_auth.h"
#include "metrics/snapshot_store.h"

#include <QAbstractHttpServer>

namespace brisco::metrics {

class MetricsEndpoint : public QAbstractHttpServer {
    Q_OBJECT

public:
    MetricsEndpoint(const SnapshotStore& snapshots, BasicAuth auth, QObject* parent = nullptr);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    const SnapshotStore& m_snapshots;
    BasicAuth m_auth;
};

} // namespace brisco::metrics
