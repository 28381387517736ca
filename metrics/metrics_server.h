// The agent's metrics listener: it serves GET /metrics on a thread of its
// own, from the latest snapshot that the agent publishes, so that neither a
// scrape nor a password check ever holds up a poll tick.
#pragma once

#include "metrics/metrics_snapshot.h"
#include "metrics/snapshot_store.h"

#include <QString>

#include <memory>

namespace brisco::metrics {

// Every port of the exporters' range (9100-9999) is taken in Prometheus's
// list of default ports; this one is the slot of a blackbox prober marked
// deprecated there (the blackbox exporter took 9115), and no common service
// uses it.
inline constexpr quint16 kDefaultPort = 9110;

struct ServerOptions {
    // host:port, an IPv6 address in brackets, no host for every address.
    QString listenAddress = QStringLiteral("127.0.0.1:%1").arg(kDefaultPort);
    // The exporters' web configuration (TLS, users); empty for none.
    QString webConfigFile;
    // Serve an address beyond the loopback without TLS or users.
    bool listenAny = false;
};

class ServerThread;

class MetricsServer {
public:
    MetricsServer();
    ~MetricsServer();
    MetricsServer(const MetricsServer&) = delete;
    MetricsServer& operator=(const MetricsServer&) = delete;

    // Listening once it returns true; otherwise error says why (a bad
    // address or web configuration, an address in use, a refused address).
    bool start(const ServerOptions& options, QString* error);
    // The port listened on (the one chosen when 0 was asked); 0 before start.
    quint16 port() const;

    // From any thread; scrapes show it from then on.
    void publish(Snapshot snapshot) { m_snapshots.publish(std::move(snapshot)); }

private:
    SnapshotStore m_snapshots;
    std::unique_ptr<ServerThread> m_thread;
};

} // namespace brisco::metrics
