// Request frames of the controller protocol, their checksum and the byte
// encodings of parameter values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace brisco::protocol {

using Frame = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kStartRequest = 5;
inline constexpr std::uint8_t kStartReply = 6;
inline constexpr std::uint8_t kStartRefusal = 21;

inline constexpr std::uint8_t kCommandRead = 15;
inline constexpr std::uint8_t kCommandWrite = 30;
inline constexpr std::uint8_t kCommand45 = 45;

inline constexpr std::uint8_t kReadStatus = 0;
inline constexpr std::uint8_t kReadAddress = 1;
inline constexpr std::uint8_t kReadDeviceInfo = 2;
inline constexpr std::uint8_t kReadFactory = 3;

inline constexpr int kStatusReplyLength = 36;
inline constexpr int kAddressReplyLength = 7;
inline constexpr int kFactoryReplyLength = 18;

inline constexpr std::uint8_t kParamBusAddress = 28;
inline constexpr std::uint8_t kParamAnalogTemp = 50;

// Sum of the bytes modulo 256.
std::uint8_t checksum(std::span<const std::uint8_t> bytes);

// Round to the nearest whole number, a tie going to the even neighbour.
double roundHalfEven(double value);

// How an entered value x becomes the value bytes of a parameter write.
enum class Encoding {
    Plain,      // x
    Plus40,     // x + 40 (whole degrees)
    Times10,    // x * 10 (tenths of an ampere)
    HalfDegree, // 2x + 80 (analog temperature)
    Word16,     // x as unsigned 16-bit, high byte first
};

// The rounded, encoded value, or nothing when it does not fit its width
// (0..255, or 0..65535 for Word16) or x is not finite.
std::optional<int> encodeValue(Encoding encoding, double x);

Frame buildStatusPoll(std::uint8_t address);
Frame buildAddressQuery();
Frame buildDeviceInfoQuery(std::uint8_t address);
Frame buildFactoryQuery(std::uint8_t address);
Frame buildWrite1(std::uint8_t address, std::uint8_t parameter, std::uint8_t value);
Frame buildWrite2(std::uint8_t address, std::uint8_t parameter, std::uint16_t value);

// Parameter write of an entered value: a 7-byte frame, or 8 bytes for Word16.
// Nothing when the encoded value does not fit (never a truncated byte).
std::optional<Frame> buildParameterWrite(std::uint8_t address, std::uint8_t parameter,
                                         Encoding encoding, double x);

} // namespace brisco::protocol
