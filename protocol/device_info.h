// Split of the device-information text into model, version and software version.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brisco::protocol {

class ReceiveRing;

struct DeviceInfo {
    std::string model;
    std::string version;
    std::string softwareVersion;
    // The software version starts with "VA2": the edition statement is shown.
    bool semiconductorEdition = false;
};

// text: the L text bytes of the reply (terminating byte included).
// Nothing when the text has fewer than two "/", is empty, or leaves no
// character for the software version and its terminator: the boxes then keep
// what they show.
std::optional<DeviceInfo> splitDeviceInfo(std::string_view text);

// The L text bytes of the device-information reply at the read index.
std::string deviceInfoText(const ReceiveRing& ring);

} // namespace brisco::protocol
