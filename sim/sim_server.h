// Runs the virtual controllers on a pseudo-terminal in real time: feeds them what
// the master writes, sends their replies through the line faults and keeps the
// trace and the stats file:
//   # brisco-sim stats 1
//   <seconds> <kind> <fate> <hex bytes>     one line per reply, as it goes out
//   total <name> <count>                    one line per counter, on exit
#pragma once

#include "sim/controller_bus.h"
#include "sim/line_faults.h"
#include "sim/sim_options.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>

#include <array>
#include <optional>
#include <random>

class QTimer;

namespace brisco::sim {

class PseudoTerminal;

class SimServer : public QObject {
    Q_OBJECT

public:
    SimServer(const SimOptions& options, quint32 seed, QObject* parent = nullptr);
    ~SimServer() override;

    bool start(QString* error);
    QString slavePath() const;
    // Writes the totals and prints them on one line; the link goes with them.
    void finish();

private:
    double now() const;
    void onReceived(const QByteArray& bytes);
    void sendDue();
    std::optional<int> delayOf(QByteArrayView request) const;
    void trace(const QString& tag, QByteArrayView bytes) const;
    void writeStats(const QString& line);
    bool makeLink(QString* error);
    void removeLink();

    SimOptions m_options;
    std::mt19937 m_random;
    ControllerBus m_controllers;
    LineFaults m_faults;
    QFile m_statsFile;
    // Replies by fate: status replies first, then all others.
    std::array<std::array<qint64, 4>, 2> m_replies{};
    PseudoTerminal* m_terminal;
    QTimer* m_sendTimer;
    QElapsedTimer m_clock;
    bool m_linked = false;
};

} // namespace brisco::sim
