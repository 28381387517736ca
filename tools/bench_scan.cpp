// Throughput of the receive side: bytes appended to the ring and scanned,
// replies dropped, in pieces as a serial port delivers them. Prints bytes per
// second beside the line rate of 9600 baud 8N1 (960 bytes per second).
#include "protocol/frame_scan.h"
#include "protocol/frames.h"
#include "protocol/receive_ring.h"

#include <chrono>
#include <cstdio>
#include <vector>

using namespace brisco::protocol;

namespace {

// What a four-wire line carries in one second, and some: the echo of a poll,
// its status reply, an acknowledged write, a refusal and a little noise.
std::vector<std::uint8_t> lineTraffic() {
    std::vector<std::uint8_t> bytes = buildStatusPoll(1);
    Frame reply{kStartReply, 1, kCommandRead, kReadStatus, 0x1E};
    for (std::uint8_t k = 5; k < 35; ++k) {
        reply.push_back(static_cast<std::uint8_t>(40 + k));
    }
    reply.push_back(checksum(reply));
    bytes.insert(bytes.end(), reply.begin(), reply.end());
    const Frame write = buildWrite1(1, 0, 65);
    bytes.insert(bytes.end(), write.begin(), write.end());
    for (std::uint8_t b : {6, 1, 30, 0, 1, 65, 103, 21, 0, 0x33, 0x7F}) {
        bytes.push_back(b);
    }
    return bytes;
}

} // namespace

int main() {
    const std::vector<std::uint8_t> traffic = lineTraffic();
    constexpr std::size_t kPiece = 16;
    constexpr long kRounds = 200000;
    ReceiveRing ring;
    long replies = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long round = 0; round < kRounds; ++round) {
        for (std::size_t at = 0; at < traffic.size(); at += kPiece) {
            const std::size_t length = std::min(kPiece, traffic.size() - at);
            ring.append(std::span(traffic).subspan(at, length));
            // As the tick does: one reply per pass, dropped once handed on.
            for (;;) {
                const ScanResult found = scanFrames(ring, 1);
                if (found.reply == ReplyKind::None) {
                    break;
                }
                replies += found.verified;
                ring.drop(found.dropLength);
            }
        }
    }
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    const double bytes = static_cast<double>(traffic.size()) * kRounds;
    const double rate = bytes / seconds.count();
    std::printf("frame scan: %.1f MB/s over %.0f MB in pieces of %zu bytes, %ld status replies "
                "verified; %.0f times the line rate of 960 bytes/s\n",
                rate / 1e6, bytes / 1e6, kPiece, replies, rate / 960.0);
    return replies == kRounds ? 0 : 1;
}
