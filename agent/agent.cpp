#include "agent/agent.h"

#include "agent/journal_log.h"
#include "port/comm_port.h"

namespace brisco::agent {

Agent::Agent(PortFactory makePort, QObject* parent)
    : QObject(parent)
    , m_makePort(std::move(makePort)) {
    m_timer.setInterval(station::Station::kTickMilliseconds);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Agent::tick);
}

Agent::~Agent() {
    stop();
}

bool Agent::start(const AgentConfig& config, QString* error) {
    metrics::ServerOptions serving;
    if (!config.listen.isEmpty()) {
        serving.listenAddress = config.listen;
    }
    serving.webConfigFile = config.webConfigFile;
    serving.listenAny = config.listenAny;
    if (!checkLines(config, error) || !m_metrics.start(serving, error)) {
        return false;
    }
    for (const LineConfig& line : config.lines) {
        m_lines.push_back(std::make_unique<AgentLine>(line, m_makePort(line)));
        if (!config.records.isEmpty() &&
            !m_lines.back()->startRecording(config.records, config.retentionDays, error)) {
            stop();
            m_lines.clear();
            return false;
        }
    }
    m_timer.start();
    return true;
}

void Agent::stop() {
    m_timer.stop();
    for (const auto& line : m_lines) {
        line->stop();
    }
}

void Agent::tick() {
    for (const auto& line : m_lines) {
        line->tick();
    }
    m_metrics.publish(snapshot());
}

// The values of a controller that is down are no longer known; an address
// of a scan that never answered is nobody's.
metrics::Snapshot Agent::snapshot() const {
    metrics::Snapshot snapshot;
    for (const auto& line : m_lines) {
        const LineConfig& config = line->config();
        const station::Station& station = line->station();
        const auto& counters = station.counters();
        snapshot.lines.push_back({config.name, config.device, station.isOpen(), counters.replies,
                                  counters.checksumErrors, counters.refusals,
                                  counters.foreignReplies});
        for (const std::uint8_t address : config.addresses) {
            const AgentLine::Controller controller = line->controller(address);
            if (config.scan && !controller.msecsSinceReply) {
                continue;
            }
            metrics::ControllerSnapshot shown{config.name,   address,      controller.model,
                                              controller.up, std::nullopt, std::nullopt};
            if (controller.msecsSinceReply) {
                shown.secondsSinceReply = double(*controller.msecsSinceReply) / 1000;
            }
            if (controller.up) {
                shown.status = controller.status;
            }
            snapshot.controllers.push_back(std::move(shown));
        }
    }
    return snapshot;
}

} // namespace brisco::agent
