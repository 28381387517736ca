// The poll sequencer: everything a tick of the poll timer does while the port
// is open. It owns the receive ring, the request flags and step counters, and
// decides which one request, if any, goes out on the tick.
#pragma once

#include "bus/bus_model.h"
#include "bus/bus_schedule.h"
#include "bus/roster.h"
#include "protocol/frame_scan.h"
#include "protocol/frames.h"
#include "protocol/receive_ring.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace brisco::sequencer {

// What the sequencer needs of the windows; the main window implements it.
class SequencerHost {
public:
    // A reply whose checksum matched (status, address, device information or
    // factory values), at the read index of ring; it is dropped afterwards.
    virtual void DispatchReply(protocol::ReplyKind kind, const protocol::ReceiveRing& ring) = 0;
    // Any reply whose checksum matched, from whichever controller, credited
    // to the address it carries (before DispatchReply when it is also the
    // shown controller's).
    virtual void creditReply(std::uint8_t from, protocol::ReplyKind kind,
                             const protocol::ReceiveRing& ring) {
        Q_UNUSED(from);
        Q_UNUSED(kind);
        Q_UNUSED(ring);
    }
    // The text of the box with this objectName.
    virtual QString boxText(const char* name) const = 0;
    virtual bool boxChecked(const char* name) const = 0;
    virtual bool factoryFormShown() const = 0;

protected:
    ~SequencerHost() = default;
};

struct LinkCounters {
    // m_StatusFrameNo: status replies decoded, shown in the communication counter.
    qint64 statusFrameNo = 0;
    qint64 checksumErrors = 0; // dropped because the checksum did not match
    qint64 refusals = 0;
    // Dropped because no request waited for their address (a late answer).
    qint64 foreignReplies = 0;
    // Every reply with a matching checksum, of whichever controller.
    qint64 replies = 0;
    // Ticks with the port open since the last decoded status reply (or since
    // the first opening, before any).
    qint64 ticksSinceStatus = 0;

    // No status reply for three seconds: what is shown is no longer live.
    bool stale() const { return ticksSinceStatus >= kStaleTicks; }
    static constexpr int kStaleTicks = 12;
};

struct TickResult {
    // At most one request per tick, written after the input was consumed.
    std::optional<protocol::Frame> write;
    // An echo of one of our own requests was skipped: the line is four-wire.
    bool echoSeen = false;
    // A reply was dropped whose kind tells a two-wire line, unless an echo did.
    bool replyIndicatesLine = false;
    // For the operator, to be shown once the tick has ended (it must not block).
    QString message;
    // The same, of the factory transfer, to be shown on the factory window.
    QString factoryMessage;
};

class PollSequencer {
public:
    static constexpr int kLastTick = 31999;
    static constexpr int kBacklogLimit = 80;
    static constexpr int kCommandSlotBacklogLimit = 100;
    // Ticks without a byte after which a wait at the backlog limit is given up.
    static constexpr int kStallTicks = 8;

    explicit PollSequencer(SequencerHost& host);

    // One tick with the port open: input is every byte read from the port.
    TickResult tick(std::span<const std::uint8_t> input);

    // Requests of the buttons, served in the command slot in priority order.
    void requestAddressWrite();
    void requestAddressQuery();
    void requestAnalogWrite();
    // "Send set": the settings transfer starts again at parameter 0.
    void requestSettings();
    // "Send setup": the factory transfer starts again at parameter 16.
    void requestFactorySettings();

    // The bus: a scan of every address, then the controllers found polled in
    // turn while the bus is watched, in the ticks that carry nothing else and
    // never during a settings or factory transfer.
    void startBusScan() { m_bus.startScan(); }
    void cancelBusScan() { m_bus.cancelScan(); }
    void watchBus(bool watching) { m_bus.setWatching(watching); }
    // With no window, no controller is shown: from now on every tick may
    // carry a read of the roster's, and nothing else is ever sent. A status
    // reply of any controller counts as the link's.
    void watchUnattended(std::span<const std::uint8_t> addresses);
    const bus::Roster* roster() const { return m_roster.get(); }
    const bus::BusSchedule& busSchedule() const { return m_bus; }
    // For the line opened: over a network, answers are waited for longer.
    void setNetworkLine(bool network) {
        m_bus.setNetworkLine(network);
        m_busModel.setWaitTicks(m_bus.waitTicks());
        if (m_roster) {
            m_roster->setWaitTicks(m_bus.waitTicks());
        }
    }
    bus::BusModel& busModel() { return m_busModel; }
    const bus::BusModel& busModel() const { return m_busModel; }

    // Every later request goes to address, as after an address reply, and
    // its device information is asked again. Writes not sent yet were meant
    // for the controller shown so far: they are given up, never sent here.
    void switchTo(std::uint8_t address);
    // A write or transfer to the controller shown is still to be sent.
    bool writesPending() const {
        return f_SetupButton || f_F_Setup_Command || f_Addr_Command1 || f_Command3;
    }

    // Low byte of the bus address used in every request but the address query.
    std::uint8_t address() const { return static_cast<std::uint8_t>(m_Address & 0xFF); }
    const LinkCounters& counters() const { return m_counters; }

private:
    protocol::ScanResult scanReplies(TickResult& result);
    bool dispatch(const protocol::ScanResult& found);
    std::optional<protocol::Frame> SendCommandSlot(QString* message);
    std::optional<protocol::Frame> SendSetting(QString* message);
    std::optional<protocol::Frame> SendFactorySetting(QString* message);
    std::optional<protocol::Frame> analogWrite(QString* message);
    std::optional<protocol::Frame> addressWrite(QString* message);
    std::optional<protocol::Frame> SendScheduled(int unread, QString* message);
    std::optional<protocol::Frame> SendBusRequest();
    std::optional<protocol::Frame> SendRosterRequest();
    // The bus reply awaited, of the roster on a line without a window.
    std::uint8_t awaited() const;
    void resynchroniseIfStalled(bool waiting, bool inputArrived);

    SequencerHost& m_host;
    protocol::ReceiveRing m_Ring;
    qint16 m_Address = 1;
    qint16 m_TickNo = 0;
    bool f_Addr_Command1 = false;
    bool f_Addr_Command2 = false;
    bool f_SetupButton = false;
    qint16 m_SetupNo = 0;
    bool f_Command02 = true;
    bool f_Command3 = false;
    bool f_F_Setup_Command = false;
    qint16 m_F_SetupNo = 0;
    bool m_factoryRefusalTold = false; // a value of this transfer did not fit
    QStringList m_factoryZeros;        // entries of this transfer that held 0
    QString m_factoryNotice;           // told on the tick the transfer ends
    int m_stalledTicks = 0;
    LinkCounters m_counters;
    bus::BusSchedule m_bus;
    bus::BusModel m_busModel;
    std::unique_ptr<bus::Roster> m_roster;
};

} // namespace brisco::sequencer
