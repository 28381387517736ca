#include "agent/agent_line.h"

#include "agent/journal_log.h"
#include "port/comm_port.h"
#include "record/session_log.h"

#include <QDir>

namespace brisco::agent {

AgentLine::AgentLine(LineConfig config, std::unique_ptr<CommPort> port, QObject* parent)
    : QObject(parent)
    , m_config(std::move(config))
    , m_station(std::move(port))
    , m_network(m_config.device.contains(QLatin1String("://")))
    , m_retryTicks(m_network ? kFirstNetworkRetryTicks : kRetryTicks) {
    m_station.setLineTitle(QStringLiteral("Line %1 (%2)").arg(m_config.name, m_config.device));
    connect(&m_station, &station::Station::portLost, this, [this] {
        closed(m_portState == PortState::Open ? QStringLiteral("went away")
                                              : QStringLiteral("cannot be reached"));
    });
    connect(&m_station, &station::Station::replied, this,
            [this](std::uint8_t address) { m_heard[address].lastReply.start(); });
    connect(&m_station, &station::Station::statusDecoded, this,
            [this](std::uint8_t address, const QString&, const display::StatusValues& values) {
                m_heard[address].status = values;
            });
    // A full or failing disk ends the recording of this line only.
    connect(&m_station.log(), &SessionLog::recordingEnded, this, [this](const QString& message) {
        logLine(m_stopping ? Priority::Info : Priority::Error, prefix() + message);
    });
}

bool AgentLine::startRecording(const QString& root, int keepDays, QString* error) {
    const QString folder = QDir(root).filePath(m_config.name);
    if (!m_station.log().startDailyRecording(folder, error, keepDays)) {
        *error = QStringLiteral("line %1: cannot record into %2: %3")
                     .arg(m_config.name, QDir::toNativeSeparators(folder), *error);
        return false;
    }
    logLine(Priority::Info, prefix() + QStringLiteral("recording into %1, keeping %2 days")
                                           .arg(QDir::toNativeSeparators(folder))
                                           .arg(keepDays));
    return true;
}

void AgentLine::stop() {
    m_stopping = true;
    m_station.log().stopRecordingAndWait();
    m_station.close();
}

QString AgentLine::prefix() const {
    return QStringLiteral("line %1 (%2): ").arg(m_config.name, m_config.device);
}

void AgentLine::tick() {
    if (m_station.isOpen()) {
        noteConnected();
        m_station.tick();
        noteControllers();
    } else if (--m_retryIn <= 0) {
        open();
    }
}

// Every controller is found anew on a line opened again.
void AgentLine::open() {
    if (!m_station.open()) {
        closed(QStringLiteral("cannot be opened"));
        return;
    }
    m_station.watchUnattended(m_config.addresses);
    m_portState = PortState::Opening;
    noteConnected();
}

// A network line is open at once and connected later, or never: it counts as
// open, and its pause starts anew, once it carries bytes.
void AgentLine::noteConnected() {
    if (m_portState != PortState::Opening || !m_station.port().isConnected()) {
        return;
    }
    m_portState = PortState::Open;
    m_closedTold = false;
    m_retryTicks = m_network ? kFirstNetworkRetryTicks : kRetryTicks;
    logLine(Priority::Notice, prefix() + QStringLiteral("open, watching %1 address%2")
                                             .arg(m_config.addresses.size())
                                             .arg(m_config.addresses.size() == 1 ? "" : "es"));
}

void AgentLine::closed(const QString& why) {
    m_retryIn = m_retryTicks;
    if (!m_closedTold) {
        m_closedTold = true;
        logLine(Priority::Warning,
                prefix() + QStringLiteral("%1; trying again every %2 s%3")
                               .arg(why)
                               .arg(m_retryTicks * station::Station::kTickMilliseconds / 1000)
                               .arg(m_network ? QStringLiteral(", then less often") : QString()));
    }
    if (m_network) {
        m_retryTicks = std::min(2 * m_retryTicks, kLongestRetryTicks);
    }
    m_portState = PortState::Closed;
    noteControllers();
}

void AgentLine::noteControllers() {
    for (const std::uint8_t address : m_config.addresses) {
        const bool up = m_station.isOpen() && m_station.controllerUp(address);
        if (up == m_up[address]) {
            continue;
        }
        m_up[address] = up;
        const QString model = m_station.sequencer().busModel().modelOf(address);
        logLine(up ? Priority::Notice : Priority::Warning,
                prefix() +
                    QStringLiteral("controller %1%2 %3")
                        .arg(address)
                        .arg(model.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(model))
                        .arg(up ? QStringLiteral("answers") : QStringLiteral("is down")));
    }
}

AgentLine::Controller AgentLine::controller(std::uint8_t address) const {
    const Heard& heard = m_heard[address];
    Controller controller{m_station.sequencer().busModel().modelOf(address), heard.status,
                          std::nullopt, m_up[address]};
    if (heard.lastReply.isValid()) {
        controller.msecsSinceReply = heard.lastReply.elapsed();
    }
    return controller;
}

} // namespace brisco::agent
