#include "station/station.h"

#include "port/comm_port.h"
#include "record/session_log.h"
#include "record/write_event.h"
#include "station/alarm_watch.h"

namespace brisco::station {

Station::Station(std::unique_ptr<CommPort> port, QObject* parent)
    : QObject(parent)
    , m_port(port.release())
    , m_log(new SessionLog(this))
    , m_alarms(new AlarmWatch(this)) {
    m_port->setParent(this);
    m_port->setObjectName(QStringLiteral("MSComm1"));
    m_log->follow(m_sequencer.address());
    connect(m_port, &CommPort::lost, this, &Station::onPortLost);
    connect(this, &Station::statusDecoded, m_alarms, &AlarmWatch::statusDecoded);
}

// Quietly: whoever listens may be going too.
Station::~Station() {
    if (m_port->isOpen()) {
        m_port->close();
    }
}

QString Station::lineTitle() const {
    if (!m_lineTitle.isEmpty()) {
        return m_lineTitle;
    }
    const int number = m_port->portNumber();
    return QStringLiteral("Port COM%1 (%2)").arg(number).arg(m_port->deviceName(number));
}

bool Station::open() {
    // A port taken by another program since the scan stays closed.
    const bool opened = m_port->open();
    if (opened) {
        // Over a network, answers are waited for longer.
        m_sequencer.setNetworkLine(m_port->isNetworkLine());
    }
    if (opened) {
        m_alarms->forget();
    }
    logEvent(lineTitle(), QStringLiteral("closed"),
             opened ? QStringLiteral("open") : QStringLiteral("could not be opened"));
    noteLink();
    emit ticked();
    return opened;
}

void Station::close() {
    if (m_port->isOpen()) {
        m_port->close();
        logEvent(lineTitle(), QStringLiteral("open"), QStringLiteral("closed"));
    }
    // A scan needs the line; the polls in turn resume when it is open again.
    m_sequencer.cancelBusScan();
    noteLink();
    emit ticked();
}

bool Station::isOpen() const {
    return m_port->isOpen();
}

void Station::onPortLost() {
    logEvent(lineTitle(), QStringLiteral("open"), QStringLiteral("lost, the adapter is gone"));
    m_sequencer.cancelBusScan();
    noteLink();
    emit portLost();
    emit ticked();
}

sequencer::TickResult Station::tick() {
    const QByteArray input = ReadCommInput();
    sequencer::TickResult done =
        m_sequencer.tick(std::span(reinterpret_cast<const std::uint8_t*>(input.constData()),
                                   static_cast<std::size_t>(input.size())));
    if (done.write) {
        logWrite(*done.write);
        WriteFrame(*done.write);
    }
    noteLink();
    emit ticked();
    return done;
}

// The link going silent for three seconds with the port open, and coming back.
void Station::noteLink() {
    const auto& counters = m_sequencer.counters();
    const bool open = m_port->isOpen();
    const bool stale = open && counters.stale();
    if (stale != m_linkStale && open) {
        const QString live = QStringLiteral("replies coming");
        const QString none = QStringLiteral("no reply for %1 s")
                                 .arg(counters.ticksSinceStatus / (1000 / kTickMilliseconds));
        const QString before =
            counters.statusFrameNo == 0 ? QStringLiteral("waiting for the first reply") : live;
        logEvent(QStringLiteral("Link"), stale ? before : QStringLiteral("no reply"),
                 stale ? none : live);
    }
    m_linkStale = stale;
}

void Station::watchUnattended(std::span<const std::uint8_t> addresses) {
    m_sequencer.watchUnattended(addresses);
    m_log->follow(0);
}

bool Station::controllerUp(std::uint8_t address) const {
    const bus::Roster* roster = m_sequencer.roster();
    return roster && roster->up(address);
}

void Station::switchTo(std::uint8_t address) {
    const std::uint8_t shown = m_sequencer.address();
    // Nothing of the controller left is taken for the new one's.
    m_lastStatus.reset();
    m_log->follow(address);
    logEvent(QStringLiteral("Controller monitored"), QString::number(shown),
             QString::number(address));
    m_sequencer.switchTo(address);
    noteLink();
}

QByteArray Station::ReadCommInput() {
    if (m_port->bytesWaiting() <= 0) {
        return {};
    }
    return m_port->readAll();
}

void Station::WriteFrame(const protocol::Frame& frame) {
    m_port->write(QByteArray(reinterpret_cast<const char*>(frame.data()),
                             static_cast<qsizetype>(frame.size())));
}

void Station::logEvent(const QString& what, const QString& from, const QString& to) {
    m_log->addEvent({QDateTime::currentDateTime(), what, from, to});
}

// What the window showed of a value when its write went out.
void Station::logWrite(const protocol::Frame& frame) {
    const auto text = [this](const char* name) {
        return boxText(name);
    };
    const auto checked = [this](const char* name) {
        return boxChecked(name);
    };
    if (std::optional<SessionEvent> event = describeWrite(frame, text, checked)) {
        event->at = QDateTime::currentDateTime();
        event->address = frame[1];
        m_log->addEvent(*event);
    }
}

QString Station::boxText(const char* name) const {
    return m_boxes ? m_boxes->boxText(name) : QString();
}

bool Station::boxChecked(const char* name) const {
    return m_boxes && m_boxes->boxChecked(name);
}

bool Station::factoryFormShown() const {
    return m_boxes && m_boxes->factoryFormShown();
}

namespace {

StatusReply statusReply(const protocol::ReceiveRing& ring) {
    StatusReply reply{};
    for (int k = 0; k < protocol::kStatusReplyLength; ++k) {
        reply[static_cast<std::size_t>(k)] = ring.at(k);
    }
    return reply;
}

} // namespace

void Station::creditReply(std::uint8_t from, protocol::ReplyKind kind,
                          const protocol::ReceiveRing& ring) {
    const std::uint8_t address = from != 0 ? from : m_sequencer.address();
    if (address == 0) {
        return; // nobody is shown on an unattended line
    }
    emit replied(address);
    if (kind != protocol::ReplyKind::Status) {
        return;
    }
    const QString model = m_sequencer.busModel().modelOf(address);
    const display::StatusValues values = display::statusValues(statusReply(ring));
    emit statusDecoded(address, model, values);
    m_log->statusDecoded(QDateTime::currentDateTime(), address, model, values);
}

void Station::DispatchReply(protocol::ReplyKind kind, const protocol::ReceiveRing& ring) {
    switch (kind) {
    case protocol::ReplyKind::Status: {
        const StatusReply reply = statusReply(ring);
        m_lastStatus = display::statusValues(reply);
        emit statusReceived(reply);
        break;
    }
    case protocol::ReplyKind::Address:
        m_log->follow(m_sequencer.address());
        emit addressReceived(m_sequencer.address());
        break;
    case protocol::ReplyKind::DeviceInfo:
        if (const auto info = protocol::splitDeviceInfo(protocol::deviceInfoText(ring))) {
            emit deviceInfoReceived(*info);
        }
        break;
    case protocol::ReplyKind::Factory:
        emit factoryReceived(settings::readFactoryReply(ring));
        break;
    case protocol::ReplyKind::WriteAck:
    case protocol::ReplyKind::Command45:
    case protocol::ReplyKind::None:
        break;
    }
}

} // namespace brisco::station
