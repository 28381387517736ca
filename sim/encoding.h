// Byte encodings of the values in the status reply. Every encoder clamps, so a
// value outside the range of its field never wraps into a different reading.
#pragma once

#include <QtGlobal>

namespace brisco::sim::encoding {

// Measured temperatures stop below 254 and 255, the codes of an open and a
// shorted sensor.
inline constexpr quint8 kMeasuredMax = 253;

// Set-points and thresholds: whole degrees plus 40.
quint8 setPointByte(double celsius);
double setPointCelsius(quint8 byte);

// Measured temperatures: half degrees, 2 T + 80, never a fault code.
quint8 measuredByte(double celsius);
double measuredCelsius(quint8 byte);

// Currents and the DC voltage travel in tenths.
quint8 tenthsByte(double value);
quint16 tenthsWord(double value);

// Plain unsigned 16-bit readings such as fan speeds.
quint16 wordValue(double value);

} // namespace brisco::sim::encoding
