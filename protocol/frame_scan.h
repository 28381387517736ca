// One pass of the frame scan over the unread bytes of the receive ring.
#pragma once

#include <bitset>
#include <cstdint>

namespace brisco::protocol {

class ReceiveRing;

enum class ReplyKind {
    None,       // nothing complete to hand on this pass
    Status,     // 36-byte status reply
    Address,    // 7-byte address reply
    DeviceInfo, // L + 6 byte device-information reply
    Factory,    // 18-byte factory parameter reply
    WriteAck,   // 7 or 8 byte write acknowledgement (never verified)
    Command45,  // 5-byte command-45 reply (never verified)
};

struct ScanResult {
    ReplyKind reply = ReplyKind::None;
    // Checksum matched (always false for WriteAck and Command45, which carry
    // no evaluated checksum). Only a verified reply may be decoded.
    bool verified = false;
    // Bytes that the caller drops from the ring after decoding; the reply
    // starts at the read index until then. 0 when reply is None.
    int dropLength = 0;
    // Bus address carried by a verified address reply (offset 5).
    std::uint8_t replyAddress = 0;
    // The address byte of the reply reported (offset 1): whose reply it is.
    std::uint8_t from = 0;
    // An echo of one of our own requests was skipped: the line is four-wire.
    bool echoSeen = false;
    // The reply's kind indicates a two-wire line, unless an echo was seen.
    bool replyIndicatesLine = false;
    // The pass stopped at a reply or echo whose bytes have not all arrived.
    bool waiting = false;
    // Refusals dropped on this pass.
    int refusals = 0;
    // Complete replies with a matching checksum from addresses that nobody
    // waits for, dropped whole on this pass.
    int foreignReplies = 0;
    // The pass stopped at a reply of the controller shown, left for the next
    // tick as one was handled on this one already.
    bool heldBack = false;
};

// Whose frames a pass takes.
struct ScanScope {
    std::uint8_t address = 1; // the controller shown
    // Another controller on the bus whose reply is awaited; 0 when none is.
    std::uint8_t busAddress = 0;
    // Controllers asked lately, which may still answer after their wait: a
    // reply of theirs is a whole frame, dropped whole.
    std::bitset<256> late;
    // A reply of the controller shown was handled on this tick: the pass
    // stops at the next one.
    bool shownHandled = false;
};

// Runs the scan loop once: drops refusals, noise and echoes, stops at an
// incomplete reply or echo, and stops at the first reply. A complete reply
// of a known kind is left at the read index and described in the result; an
// unusable reply (unknown command or sub-command, a declared length that
// cannot fit the ring) is dropped here. Replies and echoes are ours when they
// carry address, 0, or busAddress. A late reply is waited for like ours and
// dropped whole, and the pass goes on behind it. A reply for anyone else is
// dropped one byte at a time, or whole once all of it is there with a
// matching checksum; the pass then ends, unless a bus reply is awaited. Safe
// on any ring content.
ScanResult scanFrames(ReceiveRing& ring, const ScanScope& scope);
inline ScanResult scanFrames(ReceiveRing& ring, std::uint8_t address, std::uint8_t busAddress = 0) {
    return scanFrames(ring, ScanScope{address, busAddress, {}, false});
}

} // namespace brisco::protocol
