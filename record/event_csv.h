// The event log beside a recording, "<name>-events.csv": UTF-8 with a byte
// order mark, a header whose first cell "Time (Brisco events 1)" names the
// format and its version, then one row per event: the time in ISO 8601 with
// the UTC offset, what happened, from, to. A cell that holds a comma, a
// quote or a line break is quoted as RFC 4180 says.
#pragma once

#include "record/session_event.h"

#include <QByteArray>

class EventCsv {
public:
    static constexpr int kFormat = 1;

    static QByteArray header();
    static QByteArray row(const SessionEvent& event);
};
