// The port that the program holds: at each open, a serial device or a
// network line, whichever the name of the device behind "COM<n>" says.
#pragma once

#include "port/comm_port.h"
#include "port/network_comm_port.h"
#include "port/serial_comm_port.h"

class DispatchingCommPort : public CommPort {
    Q_OBJECT

public:
    explicit DispatchingCommPort(QObject* parent = nullptr);

    void setPortNumber(int number) override { m_portNumber = number; }
    int portNumber() const override { return m_portNumber; }
    bool open() override;
    void close() override { m_active->close(); }
    bool isOpen() const override { return m_active->isOpen(); }
    qint64 bytesWaiting() const override { return m_active->bytesWaiting(); }
    QByteArray readAll() override { return m_active->readAll(); }
    void write(const QByteArray& block) override { m_active->write(block); }
    QString deviceName(int number) const override;
    bool isNetworkLine() const override { return m_active == &m_network; }
    bool isConnected() const override { return m_active->isConnected(); }
    QString nameError() const override { return m_nameError; }

private:
    SerialCommPort m_serial;
    NetworkCommPort m_network;
    CommPort* m_active = &m_serial;
    int m_portNumber = 1;
    QString m_nameError;
};
