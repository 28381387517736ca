// A line to a serial device server (ser2net and the like) over TCP: raw,
// the bytes as they are, or telnet with COM port control (RFC 2217), which
// also sets the server's serial port to 9600 baud, 8 data bits, no parity,
// one stop bit and no flow control. Opening never waits: the connection is
// made from the event loop, so that an open closed again at once (the port
// scan) sends nothing, and gives up after a few seconds.
#pragma once

#include "port/comm_port.h"
#include "port/line_name.h"
#include "port/telnet_stream.h"

#include <QTcpSocket>
#include <QTimer>

#include <memory>

class NetworkCommPort : public CommPort {
    Q_OBJECT

public:
    // The time to connect and, on an RFC 2217 line, to have the server take
    // COM port control.
    static constexpr int kConnectMilliseconds = 5000;
    // Data sent and not acknowledged for this long means the line is gone
    // (a pulled cable): the polls of every second are never acknowledged then.
    static constexpr int kUnacknowledgedMilliseconds = 10000;

    explicit NetworkCommPort(QObject* parent = nullptr);
    ~NetworkCommPort() override;

    void setPortNumber(int number) override { m_portNumber = number; }
    int portNumber() const override { return m_portNumber; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_state != State::Closed; }
    qint64 bytesWaiting() const override { return m_input.size(); }
    QByteArray readAll() override { return std::exchange(m_input, {}); }
    void write(const QByteArray& block) override;
    QString deviceName(int number) const override;
    bool isNetworkLine() const override { return true; }
    QString nameError() const override { return m_nameError; }

    // Connected (and on an RFC 2217 line, set up): what is written is sent.
    bool isConnected() const override { return m_state == State::Connected; }

private:
    enum class State { Closed, Waiting, Connecting, Connected };

    void connectToServer();
    void onConnected();
    void onReadyRead();
    void flushTelnet();
    // The line is gone or never came: closed, and said once.
    void fail();

    QTcpSocket m_socket;
    QTimer m_start;    // the connection, from the event loop
    QTimer m_deadline; // of the connection
    std::unique_ptr<brisco::port::TelnetStream> m_telnet;
    brisco::port::LineName m_line;
    QByteArray m_input;
    State m_state = State::Closed;
    int m_portNumber = 1;
    QString m_nameError;
};
