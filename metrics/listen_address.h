// Where the metrics listener listens: host:port, an IPv6 address in brackets,
// no host for every address of the machine.
#pragma once

#include <QHostAddress>
#include <QString>

#include <optional>

namespace brisco::metrics {

struct ListenAddress {
    QHostAddress host;
    quint16 port = 0;

    // The loopback addresses reach only this machine: anything else must be
    // protected or asked for.
    bool loopback() const { return host.isLoopback(); }
    QString text() const;
};

// "127.0.0.1:9110", "[::1]:9110", "localhost:9110", ":9110"; nothing, with
// the reason in error, for anything else.
std::optional<ListenAddress> parseListenAddress(const QString& text, QString* error);

} // namespace brisco::metrics
