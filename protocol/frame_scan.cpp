#include "protocol/frame_scan.h"

#include "protocol/frames.h"
#include "protocol/receive_ring.h"

namespace brisco::protocol {

namespace {

constexpr int kMinimumExamined = 5;
constexpr int kRefusalLength = 2;
constexpr int kEchoReadLength = 5;
constexpr int kCommand45Length = 5;
constexpr int kUnknownDropLength = 3;
// Start, address, command, sub-command and length precede the text; the checksum follows it.
constexpr int kDeviceInfoOverhead = 6;

bool isOurs(std::uint8_t frameAddress, std::uint8_t address) {
    return frameAddress == address || frameAddress == 0;
}

// The controller shown, the broadcast address, and the one on the bus whose
// reply is awaited.
bool isAwaited(std::uint8_t frameAddress, const ScanScope& scope) {
    return isOurs(frameAddress, scope.address) ||
           (scope.busAddress != 0 && frameAddress == scope.busAddress);
}

// Length of a read reply whose checksum the scan evaluates; 0 for any other
// frame and for one that could never be whole in the ring.
int verifiableLength(const ReceiveRing& ring) {
    if (ring.at(2) != kCommandRead) {
        return 0;
    }
    switch (ring.at(3)) {
    case kReadStatus:
        return kStatusReplyLength;
    case kReadAddress:
        return kAddressReplyLength;
    case kReadDeviceInfo: {
        const int length = ring.at(4) + kDeviceInfoOverhead;
        return length <= ReceiveRing::kSize ? length : 0;
    }
    case kReadFactory:
        return kFactoryReplyLength;
    default:
        return 0;
    }
}

// A reply that nobody waits for. A late answer of a controller asked lately
// is a whole frame: its tail is waited for, it is dropped whole, and the pass
// goes on behind it, so that its data bytes are never taken for frames of
// their own. From anyone else it may be noise or meant for another master:
// dropped whole once it is all there and sound, else one byte at a time.
// True when the pass goes on.
bool dropForeign(ReceiveRing& ring, const ScanScope& scope, ScanResult& result) {
    const int length = verifiableLength(ring);
    const bool late = length > 0 && scope.late.test(ring.at(1));
    if (late && ring.dataNo() < length) {
        result.waiting = true;
        return false;
    }
    if (length > 0 && ring.dataNo() >= length && !ring.checksumError(length - 1)) {
        ring.drop(length);
        ++result.foreignReplies;
        return late || scope.busAddress != 0;
    }
    ring.drop(1);
    return scope.busAddress != 0;
}

// Byte 4 of a parameter write and of its acknowledgement: 1 value byte or 2.
int writeLength(const ReceiveRing& ring) {
    return ring.at(4) == 1 ? 7 : 8;
}

void report(ScanResult& result, ReplyKind kind, int length, bool verified, bool indicatesLine) {
    result.reply = kind;
    result.dropLength = length;
    result.verified = verified;
    result.replyIndicatesLine = indicatesLine;
}

// A reply of fixed length: waits for all of it, then reports it with its checksum checked.
void reportFixed(const ReceiveRing& ring, ScanResult& result, ReplyKind kind, int length,
                 bool indicatesLine) {
    if (ring.dataNo() < length) {
        result.waiting = true;
        return;
    }
    report(result, kind, length, !ring.checksumError(length - 1), indicatesLine);
}

// A reply awaited at the read index, by command and sub-command; a complete
// reply of a known kind is reported for the caller to decode and drop.
void dispatchReply(ReceiveRing& ring, ScanResult& result) {
    result.from = ring.at(1);
    const std::uint8_t command = ring.at(2);
    if (command == kCommandWrite) {
        // Reported at once, even before its tail has arrived; its checksum is not evaluated.
        report(result, ReplyKind::WriteAck, writeLength(ring), false, true);
        return;
    }
    if (command == kCommand45) {
        report(result, ReplyKind::Command45, kCommand45Length, false, true);
        return;
    }
    if (command != kCommandRead) {
        ring.drop(kUnknownDropLength);
        return;
    }
    switch (ring.at(3)) {
    case kReadStatus:
        reportFixed(ring, result, ReplyKind::Status, kStatusReplyLength, true);
        return;
    case kReadAddress:
        reportFixed(ring, result, ReplyKind::Address, kAddressReplyLength, true);
        if (result.verified) {
            result.replyAddress = ring.at(5);
        }
        return;
    case kReadDeviceInfo: {
        const int length = ring.at(4) + kDeviceInfoOverhead;
        if (length > ReceiveRing::kSize) {
            // It could never be complete in the ring: resynchronise on the next byte.
            ring.drop(1);
            return;
        }
        reportFixed(ring, result, ReplyKind::DeviceInfo, length, true);
        return;
    }
    case kReadFactory:
        reportFixed(ring, result, ReplyKind::Factory, kFactoryReplyLength, false);
        return;
    default:
        ring.drop(kUnknownDropLength);
        return;
    }
}

} // namespace

ScanResult scanFrames(ReceiveRing& ring, const ScanScope& scope) {
    ScanResult result;
    while (ring.dataNo() >= kMinimumExamined) {
        const std::uint8_t start = ring.at(0);
        if (start == kStartRefusal) {
            ring.drop(kRefusalLength);
            ++result.refusals;
            continue;
        }
        if (start == kStartReply) {
            if (!isAwaited(ring.at(1), scope)) {
                if (dropForeign(ring, scope, result)) {
                    continue;
                }
                break;
            }
            // One reply of the controller shown a tick, as the window decodes it.
            result.heldBack = scope.shownHandled && isOurs(ring.at(1), scope.address);
            if (!result.heldBack) {
                dispatchReply(ring, result);
            }
            break;
        }
        if (start != kStartRequest) {
            ring.drop(1);
            continue;
        }
        if (!isAwaited(ring.at(1), scope)) {
            ring.drop(1);
            continue;
        }
        const std::uint8_t command = ring.at(2);
        if (command == kCommandRead || command == kCommand45) {
            ring.drop(kEchoReadLength);
            result.echoSeen = true;
            continue;
        }
        if (command == kCommandWrite) {
            const int length = writeLength(ring);
            if (ring.dataNo() < length) {
                result.waiting = true;
                break;
            }
            ring.drop(length);
            result.echoSeen = true;
            continue;
        }
        ring.drop(kUnknownDropLength);
    }
    return result;
}

} // namespace brisco::protocol
