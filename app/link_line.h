// The line under the main window that tells how the link is doing: the
// device behind the port, replies decoded, dropped and refused, and how long
// ago the last status reply came. It also keeps what the session records
// and plots: the CSV recording and the trends.
#pragma once

#include "display/status_values.h"
#include "record/status_recorder.h"
#include "record/trend_store.h"
#include "sequencer/poll_sequencer.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;
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
    explicit LinkLine(QWidget* parent = nullptr);

    void showLink(const LinkState& state);
    void statusDecoded(const QDateTime& at, const brisco::display::StatusValues& values);

    // Recording into path until stopped or a write fails; false, with the
    // operator told why, when the file cannot be written.
    bool startRecording(const QString& path);
    void stopRecording();
    const StatusRecorder& recorder() const { return m_recorder; }
    const TrendStore& trends() const { return m_trends; }

    void Record_Command_Click();
    void Trends_Command_Click();

private:
    void showRecording();

    QLabel* m_text;
    bool m_warning = false; // shown in the warning colour
    QPushButton* m_record;
    QPushButton* m_trendsButton;
    StatusRecorder m_recorder;
    TrendStore m_trends;
    QPointer<TrendsWindow> m_trendsWindow;
};
