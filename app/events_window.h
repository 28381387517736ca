// The events of the session, newest first: lamps that changed colour, the
// link going stale and coming back, the port, and every value sent.
#pragma once

#include <QWidget>

class EventLog;

class EventsWindow : public QWidget {
    Q_OBJECT

public:
    explicit EventsWindow(EventLog* log, QWidget* parent = nullptr);
};
