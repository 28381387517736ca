// Temperatures in the status reply. Set-points and thresholds are whole
// degrees plus 40; measured temperatures are half degrees, 2 T + 80, and stop
// at 253, below the codes of an open (254) and a shorted (255) sensor.
#pragma once

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace brisco::sim::encoding {

inline constexpr quint8 kOpenSensor = 254;
inline constexpr quint8 kShortedSensor = 255;

inline double setPointCelsius(quint8 byte) {
    return byte - 40.0;
}

inline double measuredCelsius(quint8 byte) {
    return (byte - 80.0) / 2.0;
}

inline quint8 measuredByte(double celsius) {
    return static_cast<quint8>(std::clamp(std::lround(2.0 * celsius + 80.0), 0L, 253L));
}

} // namespace brisco::sim::encoding
