// The simulator's command line.
#pragma once

#include "sim/controller.h"
#include "sim/line_faults.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace brisco::sim {

struct SimOptions {
    ControllerConfig controller;
    FaultConfig faults;
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

} // namespace brisco::sim
