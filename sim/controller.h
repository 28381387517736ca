// One virtual controller: answers the requests addressed to it and keeps its
// parameters. Instead of a cabinet behind it, its readings drift slowly with
// the simulated time. It does no I/O; the bus it sits on cuts the bytes on
// the line into requests.
#pragma once

#include "sim/lamp_alarm.h"
#include "sim/status_fields.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <array>

namespace brisco::sim {

inline constexpr char kDefaultDeviceInfo[] = "TEC-48/1.0/VA2.1/";

struct ControllerConfig {
    quint8 address = 1;
    // Sent as it stands; its last byte is the terminator that the master strips.
    QByteArray deviceInfo = kDefaultDeviceInfo;
    // Degrees added to the delivered cooling start and stop temperatures.
    int coolingShift = 0;
    // Lamps lit in its status replies.
    QList<LampAlarm> alarms;
    // A sensor at fault sends its code (open or shorted) in place of its
    // temperature; 0 for a sound one.
    quint8 innerSensorCode = 0;
    quint8 outerSensorCode = 0;
};

class Controller {
public:
    // The seed shifts the drift, so that runs with different seeds differ.
    Controller(const ControllerConfig& config, quint32 seed);

    // A whole request with a matching checksum: true when it is addressed to
    // this controller, which then answers it.
    bool addressedToMe(QByteArrayView request) const;
    // The reply to a request addressed to this controller (a refusal for one
    // it cannot carry out). now is the simulated time in seconds.
    QByteArray answer(QByteArrayView request, double now);

private:
    QByteArray write(QByteArrayView request);
    StatusFields status(double now) const;
    quint16 word(int parameter) const;

    QByteArray m_deviceInfo;
    quint8 m_address;
    quint8 m_innerSensorCode;
    quint8 m_outerSensorCode;
    double m_phase;
    QList<LampAlarm> m_alarms;
    // Parameters 0..27: the set-points, then the factory values.
    std::array<quint8, 28> m_parameters;
};

} // namespace brisco::sim
