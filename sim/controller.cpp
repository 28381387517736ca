#include "sim/controller.h"

#include "sim/encoding.h"
#include "sim/frames.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace brisco::sim {

namespace {

constexpr int kParameterCount = 28;
constexpr int kIntFanLowS = 5;
constexpr int kIntFanHighS = 7;
constexpr int kExtFanHighS = 10;
constexpr int kBusAddress = 28;
constexpr int kAnalogValue = 50;

// As delivered: cooling 35 / 30 °C, heating 5 / 15 °C, inner fan 2 pulses and
// 1500 / 3000 rpm, outer fan 2 pulses and 3000 rpm, warnings 55 / -10 °C,
// current limits 1.0 / 10.0 A; then DC limits 42 / 58 V with 2 V offsets,
// version "10", calibrations 100, heating allowed, hydrogen period 30 minutes.
constexpr std::array<quint8, kParameterCount> kDelivered = {
    75, 70, 45, 55, 2,   0x05, 0xDC, 0x0B, 0xB8, 2,   0x0B, 0xB8, 95, 30, 10, 100, // set-points
    42, 2,  58, 2,  '1', '0',  100,  100,  100,  100, 0,    30};

} // namespace

Controller::Controller(const ControllerConfig& config, quint32 seed)
    : m_deviceInfo(config.deviceInfo.first(qMin(config.deviceInfo.size(), kMaxTextLength)))
    , m_address(config.address)
    , m_innerSensorCode(config.innerSensorCode)
    , m_outerSensorCode(config.outerSensorCode)
    , m_phase(seed % 600)
    , m_alarms(config.alarms)
    , m_parameters(kDelivered) {
    for (const int parameter : {0, 1}) {
        m_parameters[parameter] =
            static_cast<quint8>(std::clamp(m_parameters[parameter] + config.coolingShift, 0, 255));
    }
}

bool Controller::addressedToMe(QByteArrayView request) const {
    const auto address = static_cast<quint8>(request[1]);
    // Every controller on a bus would answer a broadcast at once; only the
    // address query, meant for a single controller on the line, is taken at 0.
    return address == m_address ||
           (address == 0 && static_cast<quint8>(request[2]) == kCommandRead &&
            static_cast<quint8>(request[3]) == kReadAddress);
}

QByteArray Controller::answer(QByteArrayView request, double now) {
    if (static_cast<quint8>(request[2]) == kCommandWrite)
        return write(request);
    switch (static_cast<quint8>(request[3])) {
    case kReadStatus:
        return status(now).toReply(m_address);
    case kReadAddress:
        // Sent from address 0: a master that asks does not know the address.
        return reply(0, kCommandRead, kReadAddress, QByteArray(1, static_cast<char>(m_address)));
    case kReadDeviceInfo:
        return reply(m_address, kCommandRead, kReadDeviceInfo, m_deviceInfo);
    case kReadFactory:
        return reply(
            m_address, kCommandRead, kReadFactory,
            QByteArrayView(m_parameters.data() + kSetPointCount, kParameterCount - kSetPointCount));
    default:
        return refusal(m_address);
    }
}

QByteArray Controller::write(QByteArrayView request) {
    // The acknowledgement leaves from the address the request was sent to,
    // even when the write moves the controller to another one.
    const quint8 address = m_address;
    const int first = static_cast<quint8>(request[3]);
    const QByteArrayView values = request.sliced(5, request.size() - 6);
    const int last = first + int(values.size()) - 1;
    // The values must fall inside one block: the set-points, the factory
    // values, the bus address (never 0, the broadcast address) or the analog
    // value, which is acknowledged but not kept, as nothing here reads it.
    const bool setPoints = last < kSetPointCount;
    const bool factory = first >= kSetPointCount && last < kParameterCount;
    const bool single =
        first == last && ((first == kBusAddress && values[0] != 0) || first == kAnalogValue);
    if (!setPoints && !factory && !single)
        return refusal(address);
    if (first == kBusAddress)
        m_address = static_cast<quint8>(values[0]);
    else if (first < kParameterCount)
        std::copy(values.begin(), values.end(), m_parameters.begin() + first);
    return reply(address, kCommandWrite, first, values);
}

StatusFields Controller::status(double now) const {
    const double t = now + m_phase;
    const auto wave = [t](double period) {
        return std::sin(2.0 * std::numbers::pi * t / period);
    };
    // Fan readings wander 2 % around the set speed.
    const auto fan = [&wave](double speed, double period) {
        return static_cast<quint16>(
            std::clamp(std::lround(speed * (1.0 + 0.02 * wave(period))), 0L, 65535L));
    };

    StatusFields fields;
    std::copy_n(m_parameters.begin(), kSetPointCount, fields.setPoints.begin());
    // Two minutes up and down around the cooling start, so cooling comes and goes.
    const double coolStart = encoding::setPointCelsius(m_parameters[0]);
    fields.Temp1 = encoding::measuredByte(coolStart + 3.0 * wave(120.0));
    fields.Temp2 = encoding::measuredByte(22.0 + 6.0 * wave(300.0));
    fields.ControlTemp = fields.Temp1;
    // Decided on the temperature as sent, so that the reply agrees with itself.
    const bool cooling = encoding::measuredCelsius(fields.Temp1) > coolStart;
    fields.TECcurrent = cooling ? static_cast<quint8>(std::lround(50.0 + 4.0 * wave(7.0))) : 0;
    fields.DCvoltage =
        static_cast<quint16>(std::lround((cooling ? 475.0 : 482.0) + 3.0 * wave(11.0)));
    fields.IntFanSpeed = fan(word(cooling ? kIntFanHighS : kIntFanLowS), 5.0);
    fields.ExtFanSpeed = cooling ? fan(word(kExtFanHighS), 6.0) : 0;
    // The cabinet still runs on the temperature it would have read.
    if (m_innerSensorCode != 0)
        fields.Temp1 = m_innerSensorCode;
    if (m_outerSensorCode != 0)
        fields.Temp2 = m_outerSensorCode;

    fields.WorkState = work_state::InnerFan;
    if (cooling)
        fields.WorkState |= work_state::OuterFan | work_state::Cooling;
    if (std::fmod(t, 60.0) < 20.0)
        fields.WorkState |= work_state::Hydrogen;
    if (now < 5.0)
        fields.WorkState |= work_state::SelfTest;
    // A quarter of a minute in every five.
    if (std::fmod(t, 300.0) < 15.0) {
        fields.AlarmA = alarm_a::General;
        fields.AlarmB = alarm_b::HighTemp;
    }
    for (const LampAlarm& alarm : m_alarms)
        applyLampAlarm(alarm, fields, now);
    return fields;
}

quint16 Controller::word(int parameter) const {
    return static_cast<quint16>(m_parameters[parameter] << 8 | m_parameters[parameter + 1]);
}

} // namespace brisco::sim
