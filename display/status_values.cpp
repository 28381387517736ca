#include "display/status_values.h"

namespace brisco::display {

namespace {

std::optional<double> sensorTemp(std::uint8_t byte) {
    if (byte >= 254) {
        return std::nullopt;
    }
    return (byte - 80) / 2.0;
}

Sensor sensorState(std::uint8_t byte) {
    return byte == 254 ? Sensor::Open : byte == 255 ? Sensor::Short : Sensor::Ok;
}

} // namespace

StatusValues statusValues(std::span<const std::uint8_t, 36> reply) {
    StatusValues values;
    for (std::size_t i = 0; i < settings::kSetPointCount; ++i) {
        values.setPoints[i] = setPointValue(settings::setPoints()[i], reply);
    }
    values.innerTemp = sensorTemp(reply[25]);
    values.outerTemp = sensorTemp(reply[26]);
    values.innerSensor = sensorState(reply[25]);
    values.outerSensor = sensorState(reply[26]);
    values.controlTemp = (reply[27] - 80) / 2.0;
    values.tecCurrent = reply[28] / 10.0;
    values.dcVoltage = (reply[29] * 256 + reply[30]) / 10.0;
    values.innerFanReading = reply[31] * 256 + reply[32];
    values.outerFanReading = reply[33] * 256 + reply[34];
    const StatusDisplay shown = decodeStatus(reply, QLocale::c());
    for (std::size_t i = 0; i < kLampCount; ++i) {
        values.lampCodes[i] = shown.lampCodes[i] == kLampUnchanged ? kWhite : shown.lampCodes[i];
    }
    return values;
}

} // namespace brisco::display
