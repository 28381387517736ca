#include "port/line_name.h"

#include <QHostAddress>
#include <QRegularExpression>

#include <algorithm>
#include <iterator>

namespace brisco::port {

namespace {

const QString kSeparator = QStringLiteral("://");

struct Kind {
    const char* scheme;
    LineKind kind;
};
constexpr Kind kKinds[] = {{"tcp", LineKind::RawTcp}, {"rfc2217", LineKind::Rfc2217}};

LineName refused(const QString& name, const QString& why) {
    LineName line;
    line.error = QStringLiteral("\"%1\" is not a network line: %2. A network line is named "
                                "tcp://HOST:PORT or rfc2217://HOST:PORT.")
                     .arg(name, why);
    return line;
}

// A host name or IPv4 address: letters, digits, dots, hyphens and
// underscores, beginning and ending with a letter or digit.
bool isHostName(const QString& host) {
    static const QRegularExpression pattern(
        QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9._-]*[A-Za-z0-9])?$"));
    return pattern.match(host).hasMatch();
}

} // namespace

LineName parseLineName(const QString& name) {
    const qsizetype separator = name.indexOf(kSeparator);
    if (separator < 0) {
        return {};
    }
    const QString scheme = name.left(separator);
    const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds), [&](const Kind& k) {
        return scheme.compare(QLatin1String(k.scheme), Qt::CaseInsensitive) == 0;
    });
    if (kind == std::end(kKinds)) {
        return refused(name, QStringLiteral("the kind \"%1\" is unknown").arg(scheme));
    }
    const QString rest = name.mid(separator + kSeparator.size());
    // Credentials are never taken, so that none is ever stored with a name.
    if (rest.contains(u'@')) {
        return refused(name, QStringLiteral("it holds a user name, which a line never takes"));
    }
    QString host;
    QString port;
    bool hasPort = false;
    if (rest.startsWith(u'[')) {
        const qsizetype close = rest.indexOf(u']');
        host = rest.mid(1, close < 0 ? -1 : close - 1);
        if (close < 0 || QHostAddress(host).protocol() != QAbstractSocket::IPv6Protocol) {
            return refused(name, QStringLiteral("\"%1\" is not an IPv6 address").arg(host));
        }
        hasPort = rest.mid(close + 1).startsWith(u':');
        port = rest.mid(close + 2);
    } else {
        const qsizetype colon = rest.lastIndexOf(u':');
        hasPort = colon >= 0;
        host = rest.left(colon);
        port = rest.mid(colon + 1);
        if (host.isEmpty()) {
            return refused(name, QStringLiteral("the host is missing"));
        }
        if (!isHostName(host)) {
            return refused(name, QStringLiteral("\"%1\" is not a host name or address").arg(host));
        }
    }
    if (!hasPort || port.isEmpty()) {
        return refused(name, QStringLiteral("the port is missing"));
    }
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    const uint number = port.toUInt();
    if (!digits.match(port).hasMatch() || number < 1 || number > 65535) {
        return refused(name,
                       QStringLiteral("the port \"%1\" is not a number from 1 to 65535").arg(port));
    }
    LineName line;
    line.kind = kind->kind;
    line.host = host;
    line.port = static_cast<quint16>(number);
    return line;
}

QString networkLineName(LineKind kind, const QString& host, const QString& port) {
    const char* scheme = kind == LineKind::Rfc2217 ? "rfc2217" : "tcp";
    const QString where = host.contains(u':') ? u'[' + host + u']' : host;
    return QStringLiteral("%1://%2:%3").arg(QLatin1String(scheme), where, port);
}

} // namespace brisco::port
