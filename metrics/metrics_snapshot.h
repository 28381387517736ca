// What the agent knows of its lines and controllers at one moment: plain
// values copied out of the stations, so that the listener's thread renders
// them without ever touching a station.
#pragma once

#include "display/status_values.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace brisco::metrics {

struct ControllerSnapshot {
    QString line;                                // the name of its line, as configured
    std::uint8_t address = 0;                    // 1..20
    QString model;                               // from its device information; empty until known
    bool up = false;                             // answers lately
    std::optional<double> secondsSinceReply;     // nothing while never heard
    std::optional<display::StatusValues> status; // its last status reply
};

struct LineSnapshot {
    QString line;
    QString device; // /dev/ttyUSB0, tcp://host:port …
    bool portOpen = false;
    qint64 replies = 0; // with a good checksum
    qint64 checksumErrors = 0;
    qint64 refusals = 0;
    qint64 lateReplies = 0; // no request waited for their address
};

struct Snapshot {
    std::vector<LineSnapshot> lines;
    std::vector<ControllerSnapshot> controllers;
};

} // namespace brisco::metrics
