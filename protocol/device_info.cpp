#include "protocol/device_info.h"

#include "protocol/receive_ring.h"

namespace brisco::protocol {

namespace {

constexpr int kTextOffset = 5;
constexpr std::string_view kEditionPrefix = "VA2";

} // namespace

// Positions count from 1, as the operator counts characters in the text.
std::optional<DeviceInfo> splitDeviceInfo(std::string_view text) {
    const auto length = static_cast<std::ptrdiff_t>(text.size());
    const std::size_t slash1 = text.find('/');
    if (slash1 == std::string_view::npos) {
        return std::nullopt;
    }
    const auto p1 = static_cast<std::ptrdiff_t>(slash1) + 1;
    const std::string_view rest = text.substr(static_cast<std::size_t>(p1));
    const std::size_t slash2 = rest.find('/');
    if (slash2 == std::string_view::npos) {
        return std::nullopt;
    }
    const auto p2 = static_cast<std::ptrdiff_t>(slash2) + 1;
    const std::ptrdiff_t softwareLength = length - p1 - p2 - 1;
    if (softwareLength < 0) {
        return std::nullopt;
    }
    DeviceInfo info;
    info.model = std::string(text.substr(0, slash1));
    info.version = std::string(rest.substr(0, slash2));
    info.softwareVersion = std::string(
        rest.substr(static_cast<std::size_t>(p2), static_cast<std::size_t>(softwareLength)));
    info.semiconductorEdition = info.softwareVersion.starts_with(kEditionPrefix);
    return info;
}

std::string deviceInfoText(const ReceiveRing& ring) {
    const int length = ring.at(4);
    if (kTextOffset + length > ReceiveRing::kSize) {
        return {};
    }
    std::string text;
    text.reserve(static_cast<std::size_t>(length));
    for (int k = kTextOffset; k < kTextOffset + length; ++k) {
        text.push_back(static_cast<char>(ring.at(k)));
    }
    return text;
}

} // namespace brisco::protocol
