// The port of an agent's line: the serial device that its configuration
// names, whatever port number is asked for.
#pragma once

#include "port/serial_comm_port.h"

class LinePort : public SerialCommPort {
    Q_OBJECT

public:
    explicit LinePort(QString device, QObject* parent = nullptr)
        : SerialCommPort(parent)
        , m_device(std::move(device)) {}

    QString deviceName(int) const override { return m_device; }

private:
    QString m_device;
};
