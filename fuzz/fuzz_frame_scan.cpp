// libFuzzer target: any byte stream, arriving in any pieces, keeps the receive
// ring, the frame scan and the device-information split inside the ring.
//
// Input: byte 0 is the controller address; then pieces, each a header byte
// followed by (header & 0x3F) bytes that arrive at once, after which the scan
// runs (header >> 6) times, as on that many ticks. Zero ticks let bytes pile
// up past the ring's size.

#include "protocol/device_info.h"
#include "protocol/frame_scan.h"
#include "protocol/receive_ring.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

using namespace brisco::protocol;

namespace {

constexpr int kDrainTicks = 64;

void require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void checkRing(const ReceiveRing& ring) {
    require(ring.receiveNo() >= 0 && ring.receiveNo() < ReceiveRing::kSize);
    require(ring.dataPointer() >= 0 && ring.dataPointer() < ReceiveRing::kSize);
    require(ring.dataNo() <= ReceiveRing::kSize && ring.dataNo() >= -3);
    // The indices and the count describe the same bytes.
    require((ring.dataPointer() + ring.dataNo() - ring.receiveNo()) % ReceiveRing::kSize == 0);
}

bool isChecked(ReplyKind kind) {
    return kind == ReplyKind::Status || kind == ReplyKind::Address ||
           kind == ReplyKind::DeviceInfo || kind == ReplyKind::Factory;
}

// One tick's scan and what the caller then does. True when a reply was reported.
bool tick(ReceiveRing& ring, std::uint8_t address) {
    const ScanResult result = scanFrames(ring, address);
    checkRing(ring);
    require(result.dropLength >= 0 && result.dropLength <= ReceiveRing::kSize);
    if (result.reply == ReplyKind::None) {
        require(result.dropLength == 0 && !result.verified && !result.replyIndicatesLine);
        return false;
    }
    require(result.dropLength > 0);
    if (isChecked(result.reply)) {
        // A checked reply is reported only once all of it is unread.
        require(result.dropLength <= ring.dataNo());
        require(result.verified == !ring.checksumError(result.dropLength - 1));
    } else {
        require(!result.verified);
    }
    if (result.reply == ReplyKind::DeviceInfo) {
        const std::string text = deviceInfoText(ring);
        require(static_cast<int>(text.size()) + 6 == result.dropLength);
        if (result.verified) {
            const auto info = splitDeviceInfo(text);
            if (info) {
                require(info->model.size() + info->version.size() + info->softwareVersion.size() +
                            3 <=
                        text.size());
            }
        }
    }
    if (result.reply == ReplyKind::Address && result.verified) {
        require(result.replyAddress == ring.at(5));
    }
    ring.drop(result.dropLength);
    checkRing(ring);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::span<const std::uint8_t> input(data, size);
    splitDeviceInfo(std::string_view(reinterpret_cast<const char*>(data), size));

    const std::uint8_t address = input[0];
    ReceiveRing ring;
    std::size_t position = 1;
    while (position < input.size()) {
        const std::uint8_t header = input[position++];
        const std::size_t length = std::min<std::size_t>(header & 0x3Fu, input.size() - position);
        ring.append(input.subspan(position, length));
        position += length;
        checkRing(ring);
        for (int n = header >> 6; n > 0; --n) {
            tick(ring, address);
        }
    }
    // The ticks after the last piece: each reported reply lets the next one through.
    for (int n = 0; n < kDrainTicks && tick(ring, address); ++n) {
    }
    return 0;
}
