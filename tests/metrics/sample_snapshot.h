// A snapshot whose every value can be told apart: two lines given out of
// order, a controller with a shorted outer sensor and a model that needs
// escaping, one with an open inner sensor, and one never heard.
#pragma once

#include "metrics/metrics_snapshot.h"

inline brisco::metrics::Snapshot sampleSnapshot() {
    using namespace brisco;
    display::StatusValues first;
    first.setPoints = {35, 28, 5, 12, 2, 1550, 3400, 3, 2900, 55, -10, 1.5, 12.5};
    first.innerTemp = 23.5;
    first.outerSensor = display::Sensor::Short;
    first.controlTemp = -4.5;
    first.tecCurrent = 0.3;
    first.dcVoltage = 48.7;
    first.innerFanReading = 1537;
    first.outerFanReading = 2704;
    first.lampCodes = {1, 0, 1, 0, 0, 3, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 2, 0, 0};
    display::StatusValues second;
    second.setPoints = {40, 30, 0, 20, 3, 600, 5500, 2, 2000, 80, -40, 0.1, 20};
    second.innerSensor = display::Sensor::Open;
    second.outerTemp = -40;
    second.controlTemp = 87.5;
    second.tecCurrent = 25.5;
    second.dcVoltage = 6553.5;
    second.innerFanReading = 65535;
    second.lampCodes = {0, 1, 0, 1, 0, 0, 2, 2, 0, 0, 2, 2, 0, 0, 2, 2, 2, 0, 0, 0, 2, 2};
    return {
        {
            {"west", "tcp://192.0.2.7:4001", false, 0, 0, 0, 0},
            {"east", "/dev/ttyUSB0", true, 1234567, 89, 3, 12},
        },
        {
            {"west", 1, "", false, std::nullopt, std::nullopt},
            // Every character to escape, a backslash before n, other controls
            // kept, and Latin-1 beyond ASCII.
            {"east", 7, QString::fromLatin1("TEC\\\"9\"\n\\n\r\t\xE9\xFF"), true, 0.25, first},
            {"east", 3, "TC-200", false, 125.5, second},
        },
    };
}
