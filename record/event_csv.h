// The event log beside a recording, "<name>-events.csv": UTF-8 with a byte
// order mark, a header whose first cell "Time (Brisco events 2)" names the
// format and its version, then one row per event: the time in ISO 8601 with
// the UTC offset, the address of the controller it concerns (empty for the
// line as a whole), what happened, from, to. A cell that holds a comma, a
// quote or a line break is quoted as RFC 4180 says. Format 1 had no address
// column; it is still read.
#pragma once

#include "record/session_event.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

class EventCsv {
public:
    static constexpr int kFormat = 2;

    static QByteArray header();
    static QByteArray row(const SessionEvent& event);

    struct Replay {
        int format = 0;
        std::vector<SessionEvent> events; // oldest first; empty when error is set
        QString error;                    // "line N: what is wrong"
        // An event cut short at the end of the file is left out, and said so.
        QString note;
        qsizetype cutBytes = 0;
    };
    // A whole event log; an event later than now is refused.
    static Replay read(QByteArrayView content, qint64 nowMsecs);
    static Replay readFile(const QString& path, qint64 nowMsecs);
};
