#include "protocol/frames.h"

#include <cmath>

namespace brisco::protocol {

namespace {

Frame withChecksum(Frame frame) {
    frame.push_back(checksum(frame));
    return frame;
}

Frame buildRead(std::uint8_t address, std::uint8_t subCommand) {
    return withChecksum({kStartRequest, address, kCommandRead, subCommand});
}

} // namespace

std::uint8_t checksum(std::span<const std::uint8_t> bytes) {
    unsigned sum = 0;
    for (const std::uint8_t byte : bytes) {
        sum += byte;
    }
    return static_cast<std::uint8_t>(sum & 0xFFu);
}

// Spelled out rather than std::nearbyint, which follows the current
// floating-point rounding mode.
double roundHalfEven(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction < 0.5) {
        return lower;
    }
    if (fraction > 0.5) {
        return lower + 1.0;
    }
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

std::optional<int> encodeValue(Encoding encoding, double x) {
    if (!std::isfinite(x)) {
        return std::nullopt;
    }
    double encoded = x;
    double limit = 255.0;
    switch (encoding) {
    case Encoding::Plain:
        break;
    case Encoding::Plus40:
        encoded = x + 40.0;
        break;
    case Encoding::Times10:
        encoded = x * 10.0;
        break;
    case Encoding::HalfDegree:
        encoded = 2.0 * x + 80.0;
        break;
    case Encoding::Word16:
        limit = 65535.0;
        break;
    }
    const double rounded = roundHalfEven(encoded);
    // Also refuses an encoding that overflowed to infinity.
    if (!(rounded >= 0.0 && rounded <= limit)) {
        return std::nullopt;
    }
    return static_cast<int>(rounded);
}

Frame buildStatusPoll(std::uint8_t address) {
    return buildRead(address, kReadStatus);
}

Frame buildAddressQuery() {
    return buildRead(0, kReadAddress);
}

Frame buildDeviceInfoQuery(std::uint8_t address) {
    return buildRead(address, kReadDeviceInfo);
}

Frame buildFactoryQuery(std::uint8_t address) {
    return buildRead(address, kReadFactory);
}

Frame buildWrite1(std::uint8_t address, std::uint8_t parameter, std::uint8_t value) {
    return withChecksum({kStartRequest, address, kCommandWrite, parameter, 1, value});
}

Frame buildWrite2(std::uint8_t address, std::uint8_t parameter, std::uint16_t value) {
    return withChecksum({kStartRequest, address, kCommandWrite, parameter, 2,
                         static_cast<std::uint8_t>(value >> 8),
                         static_cast<std::uint8_t>(value & 0xFFu)});
}

std::optional<Frame> buildParameterWrite(std::uint8_t address, std::uint8_t parameter,
                                         Encoding encoding, double x) {
    const std::optional<int> value = encodeValue(encoding, x);
    if (!value) {
        return std::nullopt;
    }
    if (encoding == Encoding::Word16) {
        return buildWrite2(address, parameter, static_cast<std::uint16_t>(*value));
    }
    return buildWrite1(address, parameter, static_cast<std::uint8_t>(*value));
}

} // namespace brisco::protocol
