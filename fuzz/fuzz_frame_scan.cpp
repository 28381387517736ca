// libFuzzer target: any byte stream, in any pieces, keeps the receive ring, the
// frame scan and the device-information split within the ring. Input: byte 0 is
// the address, then pieces: a header byte, (header & 0x3F) bytes arriving at once,
// then (header >> 6) passes of the scan; at the end, at most 64 while replies come.
#undef NDEBUG // the checks below hold in every build
#include "protocol/device_info.h"
#include "protocol/frame_scan.h"
#include "protocol/receive_ring.h"

#include <algorithm>
#include <cassert>

using namespace brisco::protocol;

static void checkRing(const ReceiveRing& ring) {
    constexpr int size = ReceiveRing::kSize;
    assert(ring.receiveNo() >= 0 && ring.receiveNo() < size && ring.dataPointer() >= 0 &&
           ring.dataPointer() < size && ring.dataNo() <= size && ring.dataNo() >= -3);
    // The indices and the count describe the same bytes.
    assert((ring.dataPointer() + ring.dataNo() - ring.receiveNo()) % size == 0);
}

// One pass and what the caller then does; true when a reply was reported. The
// next address is awaited, the one after it may answer late.
static bool tick(ReceiveRing& ring, std::uint8_t address, bool shownHandled) {
    ScanScope scope{address, static_cast<std::uint8_t>(address + 1), {}, shownHandled};
    scope.late.set(static_cast<std::uint8_t>(address + 2));
    const ScanResult result = scanFrames(ring, scope);
    const int length = result.dropLength;
    checkRing(ring);
    assert(!result.heldBack || (shownHandled && result.reply == ReplyKind::None));
    if (result.reply == ReplyKind::None) {
        assert(length == 0 && !result.verified && !result.replyIndicatesLine);
        return false;
    }
    assert(length > 0 && length <= ReceiveRing::kSize);
    if (result.reply == ReplyKind::WriteAck || result.reply == ReplyKind::Command45) {
        assert(!result.verified); // no checksum is evaluated
    } else {
        // Reported once all of it is unread, verified when its checksum matches.
        assert(length <= ring.dataNo() && result.verified == !ring.checksumError(length - 1));
    }
    if (result.reply == ReplyKind::DeviceInfo) {
        const std::string text = deviceInfoText(ring);
        assert(static_cast<int>(text.size()) + 6 == length);
        const auto info = result.verified ? splitDeviceInfo(text) : std::nullopt;
        assert(!info ||
               (info->model + info->version + info->softwareVersion).size() + 3 <= text.size());
    }
    assert(result.reply != ReplyKind::Address || !result.verified ||
           result.replyAddress == ring.at(5));
    ring.drop(length);
    checkRing(ring);
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    splitDeviceInfo(std::string_view(reinterpret_cast<const char*>(data), size));
    ReceiveRing ring;
    for (std::size_t position = 1; position < size;) {
        const std::uint8_t header = data[position++];
        const std::size_t length = std::min<std::size_t>(header & 0x3Fu, size - position);
        ring.append(std::span(data + position, length));
        position += length;
        checkRing(ring);
        for (int n = header >> 6; n > 0; --n) {
            tick(ring, data[0], n % 2 == 0);
        }
    }
    for (int n = 0; size > 0 && n < 64 && tick(ring, data[0], false); ++n) {
    }
    return 0;
}
