// The web configuration file of Prometheus exporters (--web.config.file):
// TLS with a certificate and key, and users with bcrypt hashes of their
// passwords. YAML, as the exporter toolkit reads it:
//
//   tls_server_config:
//     cert_file: server.crt   # relative to the file's folder
//     key_file: server.key
//   basic_auth_users:
//     prometheus: $2y$10$...
#pragma once

#include <QByteArray>
#include <QMap>
#include <QSslConfiguration>
#include <QString>

#include <optional>

namespace brisco::metrics {

struct WebConfig {
    // A file larger than this is refused unread.
    static constexpr qint64 kLargestFile = 64 * 1024;

    std::optional<QSslConfiguration> tls;
    QMap<QString, QByteArray> users; // name -> bcrypt hash

    // Only TLS or a password keeps a listener beyond this machine safe.
    bool protects() const { return tls || !users.isEmpty(); }

    // The whole file or nothing: an unreadable file, a text that is not YAML,
    // a key that this program does not know, a certificate or key that does
    // not load, or a hash that is not bcrypt each give nothing and the reason
    // in error.
    static std::optional<WebConfig> load(const QString& path, QString* error);
};

} // namespace brisco::metrics
