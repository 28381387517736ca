// The line under the main window that tells how the link is doing: the
// device behind the port, replies decoded, dropped and refused, and how long
// ago the last status reply came. Beside it the session tools: the
// recording, the trends and the events of the session log, which it shows.
// Below it, while a lamp of a controller watched is red, the newest alarm.
#pragma once

#include "sequencer/poll_sequencer.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class EventsWindow;
class QPushButton;
class SessionLog;
class TrendsWindow;

struct LinkState {
    bool open = false;
    bool lost = false; // the adapter went away while open
    QString port;      // "COM1 — /dev/ttyUSB0", or empty before a port is known
    brisco::sequencer::LinkCounters counters;
};

class LinkLine : public QWidget {
    Q_OBJECT

public:
    explicit LinkLine(SessionLog& log, QWidget* parent = nullptr);

    void showLink(const LinkState& state);
    // The alarm text, or none; a screen reader hears it at once where announce.
    void showAlarm(const QString& text, bool announce);

    // Recording into path until stopped or a write fails; false, with the
    // operator told why, when the file cannot be written.
    bool startRecording(const QString& path);

    void Record_Command_Click();
    void Trends_Command_Click();
    void Events_Command_Click();

private:
    void showRecording();

    SessionLog& m_log;
    QLabel* m_text;
    QLabel* m_alarm;
    bool m_warning = false; // shown in the warning colour
    QPushButton* m_record;
    QPushButton* m_trendsButton;
    QPushButton* m_eventsButton;
    QPointer<TrendsWindow> m_trendsWindow;
    QPointer<EventsWindow> m_eventsWindow;
};
