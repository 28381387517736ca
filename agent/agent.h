// brisco-agent without its command line: the lines it watches, ticking
// together every 250 ms, and what it serves and writes of them.
#pragma once

#include "agent/agent_config.h"
#include "agent/agent_line.h"
#include "metrics/metrics_server.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class CommPort;

namespace brisco::agent {

class Agent : public QObject {
    Q_OBJECT

public:
    // The port of a line's device.
    using PortFactory = std::function<std::unique_ptr<CommPort>(const LineConfig& line)>;

    explicit Agent(PortFactory makePort, QObject* parent = nullptr);
    ~Agent() override;

    // Starts everything of config, or nothing: false, with the reason.
    bool start(const AgentConfig& config, QString* error);
    // Ends cleanly: the rows queued are on the disk, the ports closed.
    void stop();

    // One tick of every line (the timer's, or a test's).
    void tick();

    const std::vector<std::unique_ptr<AgentLine>>& lines() const { return m_lines; }
    // What /metrics shows now.
    metrics::Snapshot snapshot() const;
    quint16 metricsPort() const { return m_metrics.port(); }

private:
    PortFactory m_makePort;
    std::vector<std::unique_ptr<AgentLine>> m_lines;
    metrics::MetricsServer m_metrics;
    QTimer m_timer;
};

} // namespace brisco::agent
