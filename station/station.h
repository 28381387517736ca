// One line to the controllers: the port, the poll sequencer with its bus
// schedule and model, the session log and the link counters, and the
// decoding of replies into numbers. No widgets: the main window drives one
// station and shows it, the agent drives one per line and shows nothing.
#pragma once

#include "display/status_values.h"
#include "protocol/device_info.h"
#include "sequencer/poll_sequencer.h"
#include "settings/factory_table.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

class CommPort;
class SessionLog;

namespace brisco::station {

class AlarmWatch;

// What the sequencer asks of the boxes of the windows. A station without
// one (the agent's) has nothing to send: every box reads empty.
class BoxSource {
public:
    virtual QString boxText(const char* name) const = 0;
    virtual bool boxChecked(const char* name) const = 0;
    virtual bool factoryFormShown() const = 0;

protected:
    ~BoxSource() = default;
};

using StatusReply = std::array<std::uint8_t, protocol::kStatusReplyLength>;

class Station : public QObject, private sequencer::SequencerHost {
    Q_OBJECT

public:
    static constexpr int kTickMilliseconds = 250;

    // The station takes the port; it is its child, named "MSComm1".
    explicit Station(std::unique_ptr<CommPort> port, QObject* parent = nullptr);
    ~Station() override;

    void setBoxes(const BoxSource* boxes) { m_boxes = boxes; }
    // What the events call the line: "Port COM1 (/dev/ttyUSB0)" by default.
    void setLineTitle(const QString& title) { m_lineTitle = title; }
    QString lineTitle() const;

    CommPort& port() const { return *m_port; }
    sequencer::PollSequencer& sequencer() { return m_sequencer; }
    const sequencer::PollSequencer& sequencer() const { return m_sequencer; }
    const sequencer::LinkCounters& counters() const { return m_sequencer.counters(); }
    SessionLog& log() const { return *m_log; }
    // The red lamps of every controller whose status replies come.
    AlarmWatch& alarms() const { return *m_alarms; }

    // Opens the port, or says in the events why not.
    bool open();
    void close();
    bool isOpen() const;

    // One poll tick with the port open: every waiting byte into the ring,
    // the reply found decoded, and at most one request written.
    sequencer::TickResult tick();

    // No window: the controllers at these addresses are watched in turn,
    // nothing is ever written to them.
    void watchUnattended(std::span<const std::uint8_t> addresses);
    // Watched unattended, it answers.
    bool controllerUp(std::uint8_t address) const;

    // Every later request goes to address; what is known of the controller
    // followed so far is forgotten.
    void switchTo(std::uint8_t address);

    // The controller followed: its last status reply as numbers, and what
    // its device information says.
    const std::optional<display::StatusValues>& lastStatus() const { return m_lastStatus; }

    // Into the session's event log, at this moment.
    void logEvent(const QString& what, const QString& from, const QString& to);

signals:
    // Any verified reply of the controller at this address.
    void replied(std::uint8_t address);
    // A status reply of any controller, verified, as numbers; address is the
    // controller's (the one followed for a reply from the broadcast address).
    void statusDecoded(std::uint8_t address, const QString& model,
                       const brisco::display::StatusValues& values);
    // Replies of the controller followed, verified, as the line carried them.
    void statusReceived(const brisco::station::StatusReply& reply);
    void deviceInfoReceived(const brisco::protocol::DeviceInfo& info);
    void addressReceived(std::uint8_t address);
    void factoryReceived(const brisco::settings::FactoryReadback& readback);
    // The open port went away; it is closed now.
    void portLost();
    // A tick has ended, or the port was opened or closed.
    void ticked();

private:
    void DispatchReply(protocol::ReplyKind kind, const protocol::ReceiveRing& ring) override;
    void creditReply(std::uint8_t from, protocol::ReplyKind kind,
                     const protocol::ReceiveRing& ring) override;
    QString boxText(const char* name) const override;
    bool boxChecked(const char* name) const override;
    bool factoryFormShown() const override;

    QByteArray ReadCommInput();
    void WriteFrame(const protocol::Frame& frame);
    void logWrite(const protocol::Frame& frame);
    void onPortLost();
    void noteLink();

    CommPort* m_port;
    SessionLog* m_log;
    AlarmWatch* m_alarms;
    const BoxSource* m_boxes = nullptr;
    QString m_lineTitle;
    sequencer::PollSequencer m_sequencer{*this};
    std::optional<display::StatusValues> m_lastStatus;
    bool m_linkStale = false; // port open and no status reply for a while
};

} // namespace brisco::station
