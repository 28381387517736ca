// The simulator's command line.
#pragma once

#include "sim/controller.h"

#include "sim/lamp_alarm.h"
#include "sim/line_faults.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace brisco::sim {

struct SimOptions {
    ControllerConfig controller;
    // --bus: the addresses of the controllers on the line; empty for the one above.
    QList<quint8> bus;
    FaultConfig faults;
    // --delay-of: by address, the delay of that controller's replies in
    // milliseconds, instead of the line's.
    QHash<quint8, int> delayOf;
    // --alarm: lamps lit on controllers of the line.
    QList<LampAlarm> alarms;
    // Unset: the run draws its own seed.
    std::optional<quint32> seed;
    QString linkPath;
    QString statsPath;
    bool trace = false;
};

struct ParsedOptions {
    // Set when the simulator should run.
    std::optional<SimOptions> options;
    // --help or --version: print the message and end.
    bool helpRequested = false;
    // The help or version text, or what is wrong with the command line.
    QString message;
};

ParsedOptions parseSimOptions(const QStringList& arguments);

// The controllers on the line: the one of --address and --info, or those of --bus.
QList<ControllerConfig> lineControllers(const SimOptions& options);

} // namespace brisco::sim
