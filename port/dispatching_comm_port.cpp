#include "port/dispatching_comm_port.h"

#include "port/line_name.h"
#include "port/port_names.h"

using brisco::port::LineKind;

// The ports are children too, so that this one moves to a thread whole.
DispatchingCommPort::DispatchingCommPort(QObject* parent)
    : CommPort(parent)
    , m_serial(this)
    , m_network(this) {
    connect(&m_serial, &CommPort::lost, this, &CommPort::lost);
    connect(&m_network, &CommPort::lost, this, &CommPort::lost);
}

bool DispatchingCommPort::open() {
    if (isOpen()) {
        return true;
    }
    const brisco::port::LineName line = brisco::port::parseLineName(deviceName(m_portNumber));
    m_nameError = line.error;
    if (!m_nameError.isEmpty()) {
        return false;
    }
    m_active = line.kind == LineKind::Serial ? static_cast<CommPort*>(&m_serial) : &m_network;
    m_active->setPortNumber(m_portNumber);
    m_active->setFixedDevice(fixedDevice());
    return m_active->open();
}

QString DispatchingCommPort::deviceName(int number) const {
    return fixedDevice().isEmpty() ? brisco::port::deviceNameFor(number) : fixedDevice();
}
