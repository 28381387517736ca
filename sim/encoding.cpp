#include "sim/encoding.h"

#include <algorithm>
#include <cmath>

namespace brisco::sim::encoding {

namespace {

// Ties go to the even neighbour, as everywhere on this line.
int roundClamped(double value, int low, int high) {
    if (std::isnan(value))
        return low;
    return static_cast<int>(std::nearbyint(std::clamp(value, double(low), double(high))));
}

} // namespace

quint8 setPointByte(double celsius) {
    return static_cast<quint8>(roundClamped(celsius + 40.0, 0, 255));
}

double setPointCelsius(quint8 byte) {
    return byte - 40.0;
}

quint8 measuredByte(double celsius) {
    return static_cast<quint8>(roundClamped(2.0 * celsius + 80.0, 0, kMeasuredMax));
}

double measuredCelsius(quint8 byte) {
    return (byte - 80.0) / 2.0;
}

quint8 tenthsByte(double value) {
    return static_cast<quint8>(roundClamped(value * 10.0, 0, 255));
}

quint16 tenthsWord(double value) {
    return static_cast<quint16>(roundClamped(value * 10.0, 0, 65535));
}

quint16 wordValue(double value) {
    return static_cast<quint16>(roundClamped(value, 0, 65535));
}

} // namespace brisco::sim::encoding
