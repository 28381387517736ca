// What follows each decoded status reply and each event of the session, in
// one place: the trend store, the event log (with the lamps' colour changes
// found here, each controller's from one of its replies to the next) and,
// while recording, the rows and events queued for their files. The station
// feeds it; the link line, the trends and the events windows only show it.
#pragma once

#include "display/status_values.h"
#include "record/controller_trends.h"
#include "record/event_log.h"
#include "record/recording_writer.h"

#include <QDateTime>
#include <QObject>

#include <cstdint>

class SessionLog : public QObject {
    Q_OBJECT

public:
    enum class Recording { Off, On, Finishing };

    explicit SessionLog(QObject* parent = nullptr);
    // Files go to the sinks that makeSink makes, through a queue of this many lines.
    SessionLog(RecordingFiles::SinkFactory makeSink, qsizetype queueCapacity,
               QObject* parent = nullptr);

    // A verified status reply of the controller at address, whose model is
    // empty while unknown. Controllers outside the bus's addresses (1 to 20)
    // are neither recorded nor told in the events.
    void statusDecoded(const QDateTime& at, std::uint8_t address, const QString& model,
                       const brisco::display::StatusValues& values);
    void addEvent(const SessionEvent& event);
    // The controller that the window follows: the trends window shows it first.
    void follow(std::uint8_t address) { m_trends.follow(address); }

    // Records into path, which the operator agreed to replace, and the
    // events beside it, until stopped; false, with the reason, when a file
    // cannot be opened. Later files (a new day, a controller swapped) are
    // "<name>-2.csv" and on.
    bool startRecording(const QString& path, QString* error);
    // Records into the day files of folder, continuing today's after a
    // restart, and removes those older than keepDays (see RecordingFiles).
    // Today's files are opened, and read through when continued, before it
    // returns: call it outside a tick.
    bool startDailyRecording(const QString& folder, QString* error,
                             int keepDays = RecordingFiles::kKeepDays);
    // Where the next recordings go (the benchmark's slow disk).
    void setSinkFactory(RecordingFiles::SinkFactory makeSink) { m_makeSink = std::move(makeSink); }
    // The rows queued still go to the disk; recordingEnded follows.
    void stopRecording();
    // The same, waiting here until they are on the disk.
    void stopRecordingAndWait();

    Recording recording() const { return m_recording; }
    qint64 rowsWritten() const { return m_writer.written(RecordingFiles::Rows); }
    qsizetype linesWaiting() const { return m_writer.waiting(); }
    // "<name>-events.csv" beside "<name>.csv".
    static QString eventsPath(const QString& path) { return RecordingFiles::eventsPath(path); }

    const ControllerTrends& trends() const { return m_trends; }
    EventLog* events() { return &m_events; }

signals:
    void recordingChanged();
    // Once a recording has ended, for the operator: where it went, and why
    // it stopped early (a full or failing disk, or one that fell behind).
    void recordingEnded(const QString& message);

private:
    bool start(std::unique_ptr<RecordingFiles> files, QString* error);
    void queue(RecordingWriter::Line line, const QDateTime& at);
    void ended(const QString& error);

    ControllerTrends m_trends;
    EventLog m_events;
    // Each controller's lamps in its last reply, by address; off before the first.
    std::array<std::array<int, brisco::display::kLampCount>, StatusCsv::kLastAddress + 1> m_lamps{};
    RecordingFiles::SinkFactory m_makeSink;
    RecordingWriter m_writer;
    Recording m_recording = Recording::Off;
    std::array<qint64, 2> m_offered{}; // rows and events meant for the files
    QDateTime m_overflowAt;            // when the queue was found full
};
