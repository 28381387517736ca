#include "bus/roster.h"

#include <algorithm>

namespace brisco::bus {

Roster::Roster(std::span<const std::uint8_t> addresses) {
    for (const std::uint8_t address : addresses) {
        if (address >= kFirstAddress && address <= kLastAddress) {
            m_addresses.push_back(address);
        }
    }
    std::sort(m_addresses.begin(), m_addresses.end());
    m_addresses.erase(std::unique(m_addresses.begin(), m_addresses.end()), m_addresses.end());
}

bool Roster::up(std::uint8_t address) const {
    return address >= kFirstAddress && address <= kLastAddress && at(address).up;
}

// A verified reply shows the controller there. One that was down is asked
// only for its device information, so that comes first when it is back.
void Roster::answered(std::uint8_t from) {
    if (std::find(m_addresses.begin(), m_addresses.end(), from) == m_addresses.end()) {
        return;
    }
    Controller& controller = at(from);
    controller.up = true;
    controller.misses = 0;
    if (from == m_awaited) {
        m_awaited = 0;
    }
}

void Roster::inputRead(bool heldBack) {
    if (m_awaited == 0 || ++m_waitedTicks < m_waitTicks || heldBack) {
        return;
    }
    Controller& controller = at(m_awaited);
    if (++controller.misses >= kMissesDown) {
        controller.up = false;
    }
    m_awaited = 0;
}

std::optional<std::uint8_t> Roster::nextOf(bool up, std::uint8_t last) const {
    const auto match = [&](std::uint8_t address) {
        return at(address).up == up;
    };
    auto turn = std::find_if(m_addresses.begin(), m_addresses.end(), [&](std::uint8_t address) {
        return address > last && match(address);
    });
    if (turn == m_addresses.end()) {
        turn = std::find_if(m_addresses.begin(), m_addresses.end(), match);
    }
    if (turn == m_addresses.end()) {
        return std::nullopt;
    }
    return *turn;
}

std::optional<BusRequest> Roster::next() {
    if (m_awaited != 0) {
        return std::nullopt;
    }
    const auto unasked = std::find_if(m_addresses.begin(), m_addresses.end(),
                                      [this](std::uint8_t address) { return !at(address).asked; });
    const std::optional<std::uint8_t> polled = nextOf(true, m_lastPolled);
    const std::optional<std::uint8_t> probed = nextOf(false, m_lastProbed);
    const bool probe = probed && (!polled || ++m_requests % kProbeShare == 0);
    std::optional<BusRequest> request;
    if (unasked != m_addresses.end()) {
        request = BusRequest{*unasked, protocol::buildDeviceInfoQuery(*unasked)};
    } else if (probe) {
        m_lastProbed = *probed;
        request = BusRequest{*probed, protocol::buildDeviceInfoQuery(*probed)};
    } else if (polled) {
        m_lastPolled = *polled;
        request = BusRequest{*polled, protocol::buildStatusPoll(*polled)};
    } else {
        return std::nullopt;
    }
    at(request->address).asked = true;
    m_awaited = request->address;
    m_waitedTicks = 0;
    return request;
}

} // namespace brisco::bus
