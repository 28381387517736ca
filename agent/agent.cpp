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
    if (!checkLines(config, error)) {
        return false;
    }
    for (const LineConfig& line : config.lines) {
        m_lines.push_back(std::make_unique<AgentLine>(line, m_makePort(line)));
    }
    m_timer.start();
    return true;
}

void Agent::stop() {
    m_timer.stop();
    for (const auto& line : m_lines) {
        line->station().close();
    }
}

void Agent::tick() {
    for (const auto& line : m_lines) {
        line->tick();
    }
}

} // namespace brisco::agent
