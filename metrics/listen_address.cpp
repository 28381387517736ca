#include "metrics/listen_address.h"

namespace brisco::metrics {

QString ListenAddress::text() const {
    if (host == QHostAddress(QHostAddress::Any)) {
        return QStringLiteral(":%1").arg(port);
    }
    const QString address = host.toString();
    return (host.protocol() == QAbstractSocket::IPv6Protocol ? QStringLiteral("[%1]:%2")
                                                             : QStringLiteral("%1:%2"))
        .arg(address)
        .arg(port);
}

std::optional<ListenAddress> parseListenAddress(const QString& text, QString* error) {
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon < 0) {
        *error = QStringLiteral("listening address \"%1\" has no port (host:port)").arg(text);
        return std::nullopt;
    }
    QString host = text.left(colon);
    const QString portText = text.mid(colon + 1);
    bool ok = false;
    const uint port = portText.toUInt(&ok);
    if (!ok || port > 65535 || !portText.front().isDigit()) {
        *error = QStringLiteral("listening address \"%1\": \"%2\" is not a port number")
                     .arg(text, portText);
        return std::nullopt;
    }
    const bool bracketed = host.startsWith(u'[') && host.endsWith(u']');
    if (bracketed) {
        host = host.mid(1, host.size() - 2);
    }
    ListenAddress address;
    address.port = static_cast<quint16>(port);
    if (host.isEmpty() && !bracketed) {
        address.host = QHostAddress(QHostAddress::Any);
    } else if (host == QLatin1String("localhost") && !bracketed) {
        address.host = QHostAddress(QHostAddress::LocalHost);
    } else if (!address.host.setAddress(host) ||
               bracketed != (address.host.protocol() == QAbstractSocket::IPv6Protocol)) {
        *error = QStringLiteral("listening address \"%1\": \"%2\" is not an IPv4 address or an "
                                "IPv6 address in brackets")
                     .arg(text, host);
        return std::nullopt;
    }
    return address;
}

} // namespace brisco::metrics
