// The serial port on real hardware: 9600 baud, 8 data bits, no parity, one
// stop bit, no flow control, raw bytes.
#pragma once

#include "port/comm_port.h"

#include <QSerialPort>

class SerialCommPort : public CommPort {
    Q_OBJECT

public:
    explicit SerialCommPort(QObject* parent = nullptr);
    ~SerialCommPort() override;

    void setPortNumber(int number) override;
    int portNumber() const override { return m_portNumber; }
    bool open() override;
    void close() override;
    bool isOpen() const override;
    qint64 bytesWaiting() const override;
    QByteArray readAll() override;
    void write(const QByteArray& block) override;
    QString deviceName(int number) const override;

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    int m_portNumber = 1;
};
