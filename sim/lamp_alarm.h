// An alarm lamp lit in one controller's status replies from some time after
// start on, to see how the master shows it. The lamps by name, with the bit of
// the status reply that lights each.
#pragma once

#include "sim/status_fields.h"

#include <QString>

#include <optional>

namespace brisco::sim {

struct LampAlarm {
    quint8 address = 0; // of the controller whose replies carry it
    quint8 StatusFields::*field = &StatusFields::AlarmA;
    quint8 bit = 0;
    double fromSeconds = 0.0;
};

// "ADDR:NAME[@SECONDS]", ADDR 1..255, SECONDS 0 or more (default 0); nothing
// for anything else.
std::optional<LampAlarm> parseLampAlarm(const QString& text);

// The names, for the help text.
QString lampAlarmNames();

// Sets the alarm's bit in fields once now, in seconds since start, has come.
void applyLampAlarm(const LampAlarm& alarm, StatusFields& fields, double now);

} // namespace brisco::sim
