#include "sequencer/poll_sequencer.h"

#include "settings/entry_rules.h"
#include "settings/factory_table.h"
#include "settings/number_reading.h"

#include <utility>

namespace brisco::sequencer {

using protocol::Frame;
using protocol::ReplyKind;

namespace {

constexpr int kLastSetPoint = 15;

bool isVerifiable(ReplyKind kind) {
    return kind == ReplyKind::Status || kind == ReplyKind::Address ||
           kind == ReplyKind::DeviceInfo || kind == ReplyKind::Factory;
}

} // namespace

PollSequencer::PollSequencer(SequencerHost& host)
    : m_host(host) {}

void PollSequencer::requestAddressWrite() {
    f_Addr_Command1 = true;
}

void PollSequencer::requestAddressQuery() {
    f_Addr_Command2 = true;
}

void PollSequencer::requestAnalogWrite() {
    f_Command3 = true;
}

void PollSequencer::requestSettings() {
    m_SetupNo = 0;
    f_SetupButton = true;
}

void PollSequencer::requestFactorySettings() {
    f_F_Setup_Command = true;
    m_F_SetupNo = settings::kFirstFactoryParameter;
    m_factoryRefusalTold = false;
    m_factoryZeros.clear();
}

TickResult PollSequencer::tick(std::span<const std::uint8_t> input) {
    m_Ring.append(input);
    ++m_counters.ticksSinceStatus;
    m_busModel.tick();
    TickResult result;
    const protocol::ScanResult found = scanReplies(result);
    m_bus.inputRead(found.heldBack);
    if (m_roster) {
        m_roster->inputRead(found.heldBack);
    }

    if (++m_TickNo > kLastTick) {
        m_TickNo = 0;
    }
    const int unread = m_Ring.dataNo();
    if (m_roster) {
        if (unread < kBacklogLimit) {
            result.write = SendRosterRequest();
        }
    } else {
        result.write = SendScheduled(unread, &result.message);
    }
    if (result.write && result.write->at(2) == protocol::kCommandRead) {
        m_busModel.asked(result.write->at(1));
        m_bus.asked(result.write->at(1));
    }
    m_busModel.setShown(address());
    resynchroniseIfStalled(found.waiting, !input.empty());
    result.factoryMessage = std::exchange(m_factoryNotice, {});
    return result;
}

// The specified cadence of the controller shown, with the bus in the ticks
// that it leaves empty.
std::optional<Frame> PollSequencer::SendScheduled(int unread, QString* message) {
    switch (m_TickNo % 4) {
    case 2:
        if (unread < kCommandSlotBacklogLimit) {
            return SendCommandSlot(message);
        }
        return std::nullopt;
    case 0:
        if (unread < kBacklogLimit) {
            return f_SetupButton ? SendSetting(message) : protocol::buildStatusPoll(address());
        }
        return std::nullopt;
    default:
        if (unread < kBacklogLimit && f_SetupButton) {
            return SendSetting(message);
        }
        if (unread < kBacklogLimit && !f_F_Setup_Command) {
            return SendBusRequest();
        }
        return std::nullopt;
    }
}

std::uint8_t PollSequencer::awaited() const {
    return m_roster ? m_roster->awaited() : m_bus.awaited();
}

void PollSequencer::watchUnattended(std::span<const std::uint8_t> addresses) {
    m_roster = std::make_unique<bus::Roster>(addresses);
    m_roster->setWaitTicks(m_bus.waitTicks());
    // Nobody is shown: only the broadcast address and the reply awaited are ours.
    m_Address = 0;
    f_Command02 = false;
    f_SetupButton = false;
    f_F_Setup_Command = false;
    f_Addr_Command1 = false;
    f_Addr_Command2 = false;
    f_Command3 = false;
    m_bus.cancelScan();
    m_bus.setWatching(false);
}

std::optional<Frame> PollSequencer::SendRosterRequest() {
    std::optional<bus::BusRequest> request = m_roster->next();
    if (!request) {
        return std::nullopt;
    }
    return std::move(request->frame);
}

void PollSequencer::switchTo(std::uint8_t address) {
    m_Address = address;
    f_Command02 = true;
    f_SetupButton = false;
    f_F_Setup_Command = false;
    f_Addr_Command1 = false;
    f_Command3 = false;
}

std::optional<Frame> PollSequencer::SendBusRequest() {
    std::optional<bus::BusRequest> request = m_bus.next(m_busModel.addresses(), address());
    if (!request) {
        return std::nullopt;
    }
    return std::move(request->frame);
}

// The passes of the frame scan on one tick, each reply found decoded and
// dropped. One pass, as on a line with one controller, unless a bus reply is
// awaited: then the scan goes on behind what a pass stopped at, so that a
// reply read within its wait is credited whatever came before it, while the
// window still takes one reply a tick. Returns the last pass.
protocol::ScanResult PollSequencer::scanReplies(TickResult& result) {
    protocol::ScanScope scope;
    scope.late = m_bus.askedLately();
    protocol::ScanResult found;
    do {
        scope.address = address();
        scope.busAddress = awaited();
        found = protocol::scanFrames(m_Ring, scope);
        m_counters.refusals += found.refusals;
        m_counters.foreignReplies += found.foreignReplies;
        result.echoSeen = result.echoSeen || found.echoSeen;
        result.replyIndicatesLine = result.replyIndicatesLine || found.replyIndicatesLine;
        scope.shownHandled = dispatch(found) || scope.shownHandled;
    } while (found.reply != ReplyKind::None && awaited() != 0);
    return found;
}

// The reply found is decoded while it is still at the read index, then
// dropped. True when it was the controller shown's.
bool PollSequencer::dispatch(const protocol::ScanResult& found) {
    if (found.reply == ReplyKind::None) {
        return false;
    }
    // Credited by the address it carries: to the bus, and to the window
    // when it is the controller shown's (or the broadcast address's).
    if (found.verified) {
        ++m_counters.replies;
        m_bus.answered(found.from);
        if (m_roster) {
            m_roster->answered(found.from);
        }
        m_busModel.replied(found.from, found.reply, m_Ring);
        m_host.creditReply(found.from, found.reply, m_Ring);
    }
    const bool shown = found.from == address() || found.from == 0;
    if (found.verified && (shown || m_roster) && found.reply == ReplyKind::Status) {
        ++m_counters.statusFrameNo;
        m_counters.ticksSinceStatus = 0;
    }
    if (found.verified && shown) {
        if (found.reply == ReplyKind::Address && !m_roster) {
            m_Address = found.replyAddress;
        }
        m_host.DispatchReply(found.reply, m_Ring);
    } else if (!found.verified && isVerifiable(found.reply)) {
        ++m_counters.checksumErrors;
    }
    m_Ring.drop(found.dropLength);
    return shown;
}

// A frame that waits for more bytes while the backlog holds back the requests
// whose replies would bring them (a corrupted length byte can announce up to
// 128) would wait for ever. Once no byte has come for a while, its first byte
// is given up and the scan resynchronises on the bytes behind it.
void PollSequencer::resynchroniseIfStalled(bool waiting, bool inputArrived) {
    if (!waiting || inputArrived || m_Ring.dataNo() < kBacklogLimit) {
        m_stalledTicks = 0;
        return;
    }
    if (++m_stalledTicks >= kStallTicks) {
        m_Ring.drop(1);
        m_stalledTicks = 0;
    }
}

// The command slot: at most one operator request, in order of priority.
std::optional<Frame> PollSequencer::SendCommandSlot(QString* message) {
    if (f_SetupButton) {
        return SendSetting(message);
    }
    if (f_Addr_Command2) {
        f_Addr_Command2 = false;
        return protocol::buildAddressQuery();
    }
    if (f_Addr_Command1) {
        f_Addr_Command1 = false;
        return addressWrite(message);
    }
    if (f_Command02) {
        if (m_host.boxText("TextBox1").isEmpty()) {
            return protocol::buildDeviceInfoQuery(address());
        }
        f_Command02 = false;
    }
    if (f_Command3) {
        f_Command3 = false;
        return analogWrite(message);
    }
    if (f_F_Setup_Command) {
        return SendFactorySetting(message);
    }
    if (m_host.factoryFormShown()) {
        return protocol::buildFactoryQuery(address());
    }
    return std::nullopt;
}

// A value that does not fit its byte is never sent truncated.
std::optional<Frame> PollSequencer::analogWrite(QString* message) {
    const double x = settings::readNumber(m_host.boxText("SetupT_Text"));
    auto frame = protocol::buildParameterWrite(address(), protocol::kParamAnalogTemp,
                                               protocol::Encoding::HalfDegree, x);
    if (!frame) {
        *message = settings::kDataError;
    }
    return frame;
}

// Only 1..20 is written: an empty box would otherwise write the broadcast
// address 0, and a negative number a byte of its own choosing.
std::optional<Frame> PollSequencer::addressWrite(QString* message) {
    const std::optional<std::uint8_t> next = settings::newBusAddress(m_host.boxText("AddrText1"));
    if (!next) {
        *message = settings::kDataError;
        return std::nullopt;
    }
    return protocol::buildWrite1(address(), protocol::kParamBusAddress, *next);
}

// One frame of the settings transfer: the next set-point from m_SetupNo on
// whose entry text differs from its display text (exactly, as texts). The
// transfer ends in the call that passes parameter 15, and at once, with a
// message, at an entry whose value does not fit its bytes.
std::optional<Frame> PollSequencer::SendSetting(QString* message) {
    for (; m_SetupNo <= kLastSetPoint; ++m_SetupNo) {
        const settings::SetPoint* setPoint = settings::setPointAt(m_SetupNo);
        if (!setPoint) {
            continue;
        }
        const QString entry = m_host.boxText(setPoint->entryName);
        if (entry == m_host.boxText(setPoint->displayName)) {
            continue;
        }
        auto frame = settings::setPointWrite(*setPoint, entry, address());
        if (!frame) {
            f_SetupButton = false;
            *message = settings::kDataError;
            return std::nullopt;
        }
        m_SetupNo += setPoint->width();
        f_SetupButton = m_SetupNo <= kLastSetPoint;
        return frame;
    }
    f_SetupButton = false;
    return std::nullopt;
}

// One frame of the factory transfer: the next factory value from m_F_SetupNo
// on that its rule finds changed. A value that does not fit one byte is
// passed over, and the operator told once per transfer. The call that finds
// nothing left ends the transfer and tells which entries held 0, so that
// nobody takes them for sent.
std::optional<Frame> PollSequencer::SendFactorySetting(QString* message) {
    for (; m_F_SetupNo <= settings::kLastFactoryParameter; ++m_F_SetupNo) {
        const settings::FactoryValue* value = settings::factoryValueAt(m_F_SetupNo);
        if (!value) {
            continue;
        }
        const settings::FactoryStep step = settings::factoryStep(
            *value, m_host.boxText(value->entryName), m_host.boxText(value->displayName),
            m_host.boxChecked(value->entryName), m_host.boxChecked(value->displayName));
        if (step.what == settings::FactoryStep::Refuse && !m_factoryRefusalTold) {
            m_factoryRefusalTold = true;
            *message = settings::kFactoryDataError;
        }
        if (step.what == settings::FactoryStep::Zero) {
            m_factoryZeros << settings::factoryValueName(*value);
        }
        if (step.what == settings::FactoryStep::Send) {
            return protocol::buildWrite1(address(), static_cast<std::uint8_t>(m_F_SetupNo++),
                                         step.byte);
        }
    }
    f_F_Setup_Command = false;
    if (!m_factoryZeros.isEmpty()) {
        m_factoryNotice = settings::zeroEntriesNotSent(std::exchange(m_factoryZeros, {}));
    }
    return std::nullopt;
}

} // namespace brisco::sequencer
