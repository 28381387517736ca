#include "port/network_comm_port.h"

#include "port/port_names.h"

#include <QNetworkProxy>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

using brisco::port::LineKind;
using brisco::port::TelnetStream;

// The members are children too, so that the port moves to a thread whole.
NetworkCommPort::NetworkCommPort(QObject* parent)
    : CommPort(parent)
    , m_socket(this)
    , m_start(this)
    , m_deadline(this) {
    // A serial device server is reached directly, whatever proxy is set up.
    m_socket.setProxy(QNetworkProxy::NoProxy);
    m_start.setSingleShot(true);
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(kConnectMilliseconds);
    connect(&m_start, &QTimer::timeout, this, &NetworkCommPort::connectToServer);
    connect(&m_deadline, &QTimer::timeout, this, &NetworkCommPort::fail);
    connect(&m_socket, &QTcpSocket::connected, this, &NetworkCommPort::onConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &NetworkCommPort::onReadyRead);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &NetworkCommPort::fail);
    connect(&m_socket, &QTcpSocket::disconnected, this, &NetworkCommPort::fail);
}

NetworkCommPort::~NetworkCommPort() {
    close();
}

bool NetworkCommPort::open() {
    if (isOpen()) {
        return true;
    }
    const QString name = deviceName(m_portNumber);
    m_line = brisco::port::parseLineName(name);
    m_nameError = m_line.error;
    if (m_line.kind == LineKind::Serial) {
        return false;
    }
    m_state = State::Waiting;
    m_start.start(0);
    m_deadline.start();
    return true;
}

void NetworkCommPort::connectToServer() {
    m_state = State::Connecting;
    m_socket.connectToHost(m_line.host, m_line.port);
}

void NetworkCommPort::onConnected() {
    // A request is a few bytes: sent at once, not held back for more.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
#ifdef TCP_USER_TIMEOUT
    const unsigned int unacknowledged = kUnacknowledgedMilliseconds;
    setsockopt(static_cast<int>(m_socket.socketDescriptor()), IPPROTO_TCP, TCP_USER_TIMEOUT,
               &unacknowledged, sizeof unacknowledged);
#endif
    if (m_line.kind == LineKind::Rfc2217) {
        // Connected once the server has taken COM port control.
        m_telnet = std::make_unique<TelnetStream>();
        m_telnet->start();
        flushTelnet();
        return;
    }
    m_deadline.stop();
    m_state = State::Connected;
}

void NetworkCommPort::onReadyRead() {
    const QByteArray bytes = m_socket.readAll();
    if (!m_telnet) {
        m_input += bytes;
        return;
    }
    m_input += m_telnet->receive(bytes);
    flushTelnet();
    if (m_telnet->refused()) {
        fail();
    } else if (m_state == State::Connecting && m_telnet->configured()) {
        m_deadline.stop();
        m_state = State::Connected;
    }
}

// Written before the line is connected, a block is dropped: sent later, the
// requests of several ticks would reach the controllers in one burst.
void NetworkCommPort::write(const QByteArray& block) {
    if (m_state != State::Connected) {
        return;
    }
    if (m_telnet) {
        m_telnet->send(block);
        flushTelnet();
    } else {
        m_socket.write(block);
    }
}

void NetworkCommPort::flushTelnet() {
    if (const QByteArray outgoing = m_telnet->takeOutgoing(); !outgoing.isEmpty()) {
        m_socket.write(outgoing);
    }
}

void NetworkCommPort::close() {
    m_state = State::Closed;
    m_start.stop();
    m_deadline.stop();
    m_socket.abort();
    m_telnet.reset();
    m_input.clear();
}

void NetworkCommPort::fail() {
    if (m_state == State::Closed) {
        return;
    }
    close();
    emit lost();
}

QString NetworkCommPort::deviceName(int number) const {
    return fixedDevice().isEmpty() ? brisco::port::deviceNameFor(number) : fixedDevice();
}
