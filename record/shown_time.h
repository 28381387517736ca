// The one rule for the times that the windows show, of this session or of a
// replayed recording: this computer's local time, whatever zone a recording
// was made in, so that an event and its curve meet. The files keep each
// time's own offset from UTC.
#pragma once

#include <QDateTime>
#include <QString>

// 2026-12-07 18:00:00: the date with the time, as a session can pass midnight.
QString shownTime(const QDateTime& at);
// The zone those times are in, to say so: "Europe/Berlin".
QString shownZone();
