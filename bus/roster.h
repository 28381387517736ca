// The controllers that a line without a window watches: nobody is shown, so
// every tick may carry a request. Every address is asked for its device
// information once, in turn; those that answer are then polled for their
// status in turn; addresses that do not answer, or no longer do, are asked
// for their device information again now and then, on a bounded share of
// the requests, so that a controller powered on later is found without a
// restart, and one that comes back gives its device information first.
// Only reads are ever asked.
#pragma once

#include "bus/bus_schedule.h"
#include "protocol/frame_scan.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace brisco::bus {

class Roster {
public:
    // Requests in a row that go unanswered before a controller counts as down.
    static constexpr int kMissesDown = 3;
    // While any controller answers, at most one request in this many asks
    // an address that does not.
    static constexpr int kProbeShare = 4;

    // The addresses to watch, each 1..20; every one of them for a scan.
    explicit Roster(std::span<const std::uint8_t> addresses);

    // A reply's wait on a slower line.
    void setWaitTicks(int ticks) { m_waitTicks = ticks; }

    // The address whose reply is awaited; 0 when none is.
    std::uint8_t awaited() const { return m_awaited; }
    // A verified reply from this address.
    void answered(std::uint8_t from);
    // Once per tick, after the tick's input was read; heldBack: bytes read
    // within the wait still wait to be scanned, so the wait goes on.
    void inputRead(bool heldBack = false);
    // The request to send now, if any.
    std::optional<BusRequest> next();

    // It answered, and not kMissesDown requests in a row went unanswered since.
    bool up(std::uint8_t address) const;
    const std::vector<std::uint8_t>& addresses() const { return m_addresses; }

private:
    struct Controller {
        bool up = false;
        bool asked = false; // at least once
        int misses = 0;
    };

    Controller& at(std::uint8_t address) { return m_controllers[address - kFirstAddress]; }
    const Controller& at(std::uint8_t address) const {
        return m_controllers[address - kFirstAddress];
    }
    // The next address after last, in turn, whose state is up.
    std::optional<std::uint8_t> nextOf(bool up, std::uint8_t last) const;

    std::vector<std::uint8_t> m_addresses; // ascending, no two alike
    std::array<Controller, kLastAddress> m_controllers{};
    std::uint8_t m_awaited = 0;
    int m_waitedTicks = 0;
    int m_waitTicks = BusSchedule::kWaitTicks;
    std::uint8_t m_lastPolled = 0;
    std::uint8_t m_lastProbed = 0;
    int m_requests = 0;
};

} // namespace brisco::bus
