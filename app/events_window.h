// The events of a session, newest first: lamps that changed colour, the
// link going stale and coming back, the port, and every value sent; this
// session's, or those of a replayed recording.
#pragma once

#include <QWidget>

class EventLog;

class EventsWindow : public QWidget {
    Q_OBJECT

public:
    // The note above the table says whose events they are.
    EventsWindow(EventLog* log, const QString& note, QWidget* parent = nullptr);
};
