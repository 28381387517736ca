// One line that the agent watches: its station, the roster of its
// controllers, what was last heard of each, and the port kept open: a port
// that cannot be opened or goes away is tried again every few seconds (a
// network line with a growing pause, up to half a minute), and each change
// of state is logged once.
#pragma once

#include "agent/agent_config.h"
#include "display/status_values.h"
#include "station/station.h"

#include <QElapsedTimer>
#include <QObject>

#include <array>
#include <memory>
#include <optional>

class CommPort;

namespace brisco::agent {

class AgentLine : public QObject {
    Q_OBJECT

public:
    static constexpr int kRetryTicks = 5 * 1000 / station::Station::kTickMilliseconds;
    static constexpr int kLongestRetryTicks = 30 * 1000 / station::Station::kTickMilliseconds;
    static constexpr int kFirstNetworkRetryTicks = 1000 / station::Station::kTickMilliseconds;

    AgentLine(LineConfig config, std::unique_ptr<CommPort> port, QObject* parent = nullptr);

    // One poll tick: the station's while the port is open, else perhaps
    // another try to open it (the first tick opens it).
    void tick();
    // Every controller of the line into a pair of files a day in
    // root/<line name>, those older than keepDays removed; false, with the
    // reason, when the folder cannot be written.
    bool startRecording(const QString& root, int keepDays, QString* error);
    // What is queued is on the disk, the port closed.
    void stop();

    const LineConfig& config() const { return m_config; }
    station::Station& station() { return m_station; }
    const station::Station& station() const { return m_station; }

    struct Controller {
        QString model;
        std::optional<display::StatusValues> status;
        std::optional<qint64> msecsSinceReply; // none while never heard
        bool up = false;
    };
    Controller controller(std::uint8_t address) const;

private:
    struct Heard {
        std::optional<display::StatusValues> status;
        QElapsedTimer lastReply;
    };

    void open();
    void noteConnected();
    void closed(const QString& why);
    void noteControllers();
    QString prefix() const;

    LineConfig m_config;
    station::Station m_station;
    bool m_network;
    enum class PortState { Starting, Opening, Open, Closed } m_portState = PortState::Starting;
    int m_retryIn = 0;
    int m_retryTicks;
    std::array<Heard, 21> m_heard;
    std::array<bool, 21> m_up{};
    bool m_stopping = false;
    bool m_closedTold = false; // since it was last open
};

} // namespace brisco::agent
