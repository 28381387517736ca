// Which controller on the bus is asked next, and how long its answer is
// waited for: the scan asks every address for its device information, and
// while the bus is watched the controllers found are asked for their status
// in turn. One request at a time; the caller says when one may go out.
#pragma once

#include "protocol/frames.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <span>

namespace brisco::bus {

inline constexpr int kFirstAddress = 1;
inline constexpr int kLastAddress = 20;

struct BusRequest {
    std::uint8_t address = 0;
    protocol::Frame frame;
};

class BusSchedule {
public:
    // A reply is read on the tick after its request or the one after that;
    // an address still silent then counts as absent.
    static constexpr int kWaitTicks = 2;
    // An answer may still come this many ticks after its request, late.
    static constexpr int kLateTicks = 8;
    // Over a network line (a serial device server) a reply comes a network
    // round trip later, tens to a few hundred milliseconds: it is waited for
    // four ticks, one second, which leaves a round trip of up to about
    // 800 ms beside the 60 ms of a status reply at 9600 baud. Bus requests go
    // out on odd ticks only, so a wait of three ticks would not ask sooner.
    static constexpr int kNetworkWaitTicks = 4;

    // From address 1 again; a request already waiting keeps its wait.
    void startScan();
    // No further address is asked; the reply already awaited is still taken.
    void cancelScan();
    // While watched, the controllers found are polled in turn.
    void setWatching(bool watching) { m_watching = watching; }
    // For the line opened: a network line waits longer for each answer.
    void setNetworkLine(bool network) { m_waitTicks = network ? kNetworkWaitTicks : kWaitTicks; }
    int waitTicks() const { return m_waitTicks; }

    bool scanning() const { return m_nextScan != 0; }
    // Addresses asked so far in this scan: 7 while the seventh is asked.
    int scanned() const { return m_nextScan == 0 ? 0 : m_nextScan - 1; }
    // The address whose reply is awaited; 0 when none is.
    std::uint8_t awaited() const { return m_awaited; }

    // A reply from this address with a matching checksum. True when it was
    // the one awaited, which ends the wait.
    bool answered(std::uint8_t from);
    // Once per tick, after the tick's input was read. heldBack: bytes read
    // within the wait still wait behind a reply of the controller shown, so
    // the wait goes on until they are scanned.
    void inputRead(bool heldBack = false);
    // A read request went out to this address, by this schedule or not.
    void asked(std::uint8_t address);
    // The addresses asked within the last kLateTicks ticks.
    std::bitset<256> askedLately() const;
    // The request to send now, if any: the next address of the scan, else
    // the next controller found (ascending, taking turns) other than the one
    // shown, which its own status polls keep up to date.
    std::optional<BusRequest> next(std::span<const std::uint8_t> found, std::uint8_t shown);

private:
    void endWait();

    int m_nextScan = 0; // next address to ask, beyond kLastAddress once all were; 0: no scan
    bool m_watching = false;
    std::uint8_t m_lastPolled = 0;
    std::uint8_t m_awaited = 0;
    int m_waitedTicks = 0;
    std::int64_t m_ticks = 0;
    // By address: the tick up to which an answer may still come.
    std::array<std::int64_t, 256> m_lateUntil{};
    int m_waitTicks = kWaitTicks;
};

} // namespace brisco::bus
