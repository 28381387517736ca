// Turns a verified 36-byte status reply into display texts and lamp codes.
#pragma once

#include "settings/setpoint_table.h"

#include <QList>
#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>
#include <span>

namespace brisco::display {

inline constexpr int kLampCount = 22;
inline constexpr int kLampUnchanged = -1;

// Lamp colour codes.
inline constexpr int kWhite = 0;
inline constexpr int kGreen = 1;
inline constexpr int kRed = 2;
inline constexpr int kYellow = 3;

struct FieldText {
    const char* name; // objectName of the display box
    QString text;
};

struct StatusDisplay {
    // The eighteen display boxes in the order they are written.
    QList<FieldText> fields;
    // Index 0 is StatusBox1. kLampUnchanged for a lamp that no bit drives.
    std::array<int, kLampCount> lampCodes{};
    std::uint8_t innerFanHigh = 0;
    std::uint8_t innerFanLow = 0;
    std::uint8_t outerFanHigh = 0;
    std::uint8_t outerFanLow = 0;
};

StatusDisplay decodeStatus(std::span<const std::uint8_t, 36> reply, const QLocale& locale);

// A set-point of the reply in its unit: °C, pulses, a rotation speed or A.
double setPointValue(const settings::SetPoint& setPoint, std::span<const std::uint8_t, 36> reply);

// Measured temperature in half degrees from -40 °C; on the inner and outer
// sensors 254 and 255 are the open and short circuit marks.
QString sensorText(std::uint8_t byte, const QLocale& locale);

} // namespace brisco::display
