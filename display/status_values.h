// A verified status reply as numbers, for recording and plotting: never
// parsed back from the texts that the window shows.
#pragma once

#include "display/status_decoder.h"
#include "settings/setpoint_table.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace brisco::display {

enum class Sensor { Ok, Open, Short };

struct StatusValues {
    // In the order of the set-point table: °C, pulses, rotation speeds, A.
    std::array<double, settings::kSetPointCount> setPoints{};
    // Nothing while the sensor reports an open or short circuit.
    std::optional<double> innerTemp;
    std::optional<double> outerTemp;
    Sensor innerSensor = Sensor::Ok;
    Sensor outerSensor = Sensor::Ok;
    double controlTemp = 0;
    double tecCurrent = 0; // A
    double dcVoltage = 0;  // V
    int innerFanReading = 0;
    int outerFanReading = 0;
    // Index 0 is StatusBox1; the two lamps that no bit drives read 0.
    std::array<int, kLampCount> lampCodes{};
};

StatusValues statusValues(std::span<const std::uint8_t, 36> reply);

} // namespace brisco::display
