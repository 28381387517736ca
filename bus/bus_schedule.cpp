#include "bus/bus_schedule.h"

#include <algorithm>

namespace brisco::bus {

void BusSchedule::startScan() {
    m_nextScan = kFirstAddress;
}

void BusSchedule::cancelScan() {
    m_nextScan = 0;
}

bool BusSchedule::answered(std::uint8_t from) {
    if (from == 0 || from != m_awaited) {
        return false;
    }
    endWait();
    return true;
}

void BusSchedule::inputRead(bool heldBack) {
    ++m_ticks;
    if (m_awaited != 0 && ++m_waitedTicks >= m_waitTicks && !heldBack) {
        endWait();
    }
}

void BusSchedule::asked(std::uint8_t address) {
    m_lateUntil[address] = m_ticks + kLateTicks;
}

std::bitset<256> BusSchedule::askedLately() const {
    std::bitset<256> lately;
    for (std::size_t address = 1; address < m_lateUntil.size(); ++address) {
        lately[address] = m_lateUntil[address] > m_ticks;
    }
    return lately;
}

void BusSchedule::endWait() {
    m_awaited = 0;
    if (m_nextScan > kLastAddress) {
        m_nextScan = 0;
    }
}

std::optional<BusRequest> BusSchedule::next(std::span<const std::uint8_t> found,
                                            std::uint8_t shown) {
    if (m_awaited != 0) {
        return std::nullopt;
    }
    std::optional<BusRequest> request;
    if (m_nextScan != 0) {
        const auto address = static_cast<std::uint8_t>(m_nextScan++);
        request = BusRequest{address, protocol::buildDeviceInfoQuery(address)};
    } else if (m_watching) {
        const auto others = [shown](std::uint8_t address) {
            return address != shown;
        };
        auto turn = std::find_if(found.begin(), found.end(), [&](std::uint8_t address) {
            return address > m_lastPolled && others(address);
        });
        if (turn == found.end()) {
            turn = std::find_if(found.begin(), found.end(), others);
        }
        if (turn == found.end()) {
            return std::nullopt;
        }
        m_lastPolled = *turn;
        request = BusRequest{*turn, protocol::buildStatusPoll(*turn)};
    } else {
        return std::nullopt;
    }
    m_awaited = request->address;
    m_waitedTicks = 0;
    return request;
}

} // namespace brisco::bus
