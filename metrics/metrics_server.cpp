#include "metrics/metrics_server.h"

#include "metrics/bounded_server.h"
#include "metrics/listen_address.h"
#include "metrics/metrics_endpoint.h"
#include "metrics/web_config.h"

#include <QLoggingCategory>
#include <QSslServer>
#include <QSslSocket>
#include <QThread>

#include <future>
#include <mutex>

namespace brisco::metrics {

namespace {

// The filter that was installed before ours, which ours calls first.
QLoggingCategory::CategoryFilter& previousFilter() {
    static QLoggingCategory::CategoryFilter filter = nullptr;
    return filter;
}

// Qt's HTTP server logs each request with its headers when its debug output is
// on: that would put the Authorization header, the password, in the log.
void withoutRequestLog(QLoggingCategory* category) {
    if (previousFilter()) {
        previousFilter()(category);
    }
    if (QByteArrayView(category->categoryName()).startsWith("qt.httpserver")) {
        category->setEnabled(QtDebugMsg, false);
    }
}

} // namespace

// Listens, serves and ends on its own thread: the objects of the HTTP
// server live and die there.
class ServerThread : public QThread {
public:
    ServerThread(const ListenAddress& address, WebConfig config, const SnapshotStore& snapshots)
        : m_address(address)
        , m_config(std::move(config))
        , m_snapshots(snapshots) {}

    // Waits for the listener: empty once it listens, else why not.
    QString listening() { return m_listening.get_future().get(); }
    quint16 port() const { return m_port; }

protected:
    void run() override {
        MetricsEndpoint endpoint(m_snapshots, BasicAuth(m_config.users));
        QTcpServer* listener = nullptr;
        if (m_config.tls) {
            auto* tls = new BoundedServer<QSslServer>(&endpoint);
            tls->setSslConfiguration(*m_config.tls);
            listener = tls;
        } else {
            listener = new BoundedServer<QTcpServer>(&endpoint);
        }
        if (!listener->listen(m_address.host, m_address.port)) {
            m_listening.set_value(QStringLiteral("cannot listen on %1: %2")
                                      .arg(m_address.text(), listener->errorString()));
            return;
        }
        m_port = listener->serverPort();
        endpoint.bind(listener);
        m_listening.set_value(QString());
        exec();
    }

private:
    ListenAddress m_address;
    WebConfig m_config;
    const SnapshotStore& m_snapshots;
    std::promise<QString> m_listening;
    quint16 m_port = 0;
};

MetricsServer::MetricsServer() = default;

MetricsServer::~MetricsServer() {
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
    }
}

bool MetricsServer::start(const ServerOptions& options, QString* error) {
    if (m_thread) {
        *error = QStringLiteral("the metrics listener is already listening");
        return false;
    }
    const std::optional<ListenAddress> address = parseListenAddress(options.listenAddress, error);
    if (!address) {
        return false;
    }
    std::optional<WebConfig> config = WebConfig();
    if (!options.webConfigFile.isEmpty()) {
        config = WebConfig::load(options.webConfigFile, error);
        if (!config) {
            return false;
        }
    }
    if (!address->loopback() && !config->protects() && !options.listenAny) {
        *error = QStringLiteral("refusing to serve metrics on %1 without TLS or basic "
                                "authentication: give them in a web configuration file, or "
                                "allow it with --web.listen-any")
                     .arg(address->text());
        return false;
    }
    if (config->tls && !QSslSocket::supportsSsl()) {
        *error = QStringLiteral("TLS is not available: %1").arg(QSslSocket::activeBackend());
        return false;
    }
    static std::once_flag quiet;
    std::call_once(quiet,
                   [] { previousFilter() = QLoggingCategory::installFilter(withoutRequestLog); });

    m_thread = std::make_unique<ServerThread>(*address, std::move(*config), m_snapshots);
    m_thread->start();
    *error = m_thread->listening();
    if (!error->isEmpty()) {
        m_thread->wait();
        m_thread.reset();
        return false;
    }
    return true;
}

quint16 MetricsServer::port() const {
    return m_thread ? m_thread->port() : 0;
}

} // namespace brisco::metrics
