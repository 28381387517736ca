#include "port/serial_comm_port.h"

#include "port/port_names.h"

SerialCommPort::SerialCommPort(QObject* parent)
    : CommPort(parent) {
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialCommPort::onError);
}

SerialCommPort::~SerialCommPort() {
    close();
}

void SerialCommPort::setPortNumber(int number) {
    m_portNumber = number;
}

bool SerialCommPort::open() {
    if (m_port.isOpen()) {
        return true;
    }
    const QString device = deviceName(m_portNumber);
    if (device.isEmpty()) {
        return false;
    }
    m_port.setPortName(device);
    if (!m_port.open(QIODevice::ReadWrite)) {
        return false;
    }
    const bool configured =
        m_port.setBaudRate(QSerialPort::Baud9600) && m_port.setDataBits(QSerialPort::Data8) &&
        m_port.setParity(QSerialPort::NoParity) && m_port.setStopBits(QSerialPort::OneStop) &&
        m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        m_port.close();
        return false;
    }
    return true;
}

void SerialCommPort::close() {
    if (m_port.isOpen()) {
        m_port.close();
    }
}

bool SerialCommPort::isOpen() const {
    return m_port.isOpen();
}

qint64 SerialCommPort::bytesWaiting() const {
    return m_port.bytesAvailable();
}

QByteArray SerialCommPort::readAll() {
    return m_port.readAll();
}

void SerialCommPort::write(const QByteArray& block) {
    m_port.write(block);
}

QString SerialCommPort::deviceName(int number) const {
    return fixedDevice().isEmpty() ? brisco::port::deviceNameFor(number) : fixedDevice();
}

void SerialCommPort::onError(QSerialPort::SerialPortError error) {
    // A vanished device reports ResourceError again and again while it stays
    // open, so close it on the first one and say so once.
    if (error == QSerialPort::ResourceError && m_port.isOpen()) {
        m_port.close();
        emit lost();
    }
}
