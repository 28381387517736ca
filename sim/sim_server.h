// Runs the virtual controller on a pseudo-terminal in real time: feeds it what
// the master writes, sends its replies through the line faults and keeps the
// trace, the counters and the stats file.
#pragma once

#include "sim/controller.h"
#include "sim/line_faults.h"
#include "sim/sim_options.h"
#include "sim/sim_stats.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>

#include <memory>
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
    // Writes the totals and prints the summary; the link goes with it.
    void finish();

private:
    double now() const;
    void onReceived(const QByteArray& bytes);
    void sendDue();
    void trace(const QString& tag, QByteArrayView bytes) const;
    bool makeLink(QString* error);
    void removeLink();

    SimOptions m_options;
    std::mt19937 m_random;
    Controller m_controller;
    LineFaults m_faults;
    QFile m_statsFile;
    std::unique_ptr<SimStats> m_stats;
    PseudoTerminal* m_terminal;
    QTimer* m_sendTimer;
    QElapsedTimer m_clock;
    bool m_linked = false;
};

} // namespace brisco::sim
