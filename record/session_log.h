// What follows each decoded status reply and each event of the session, in
// one place: the trend store, the event log (with the lamps' colour changes
// found here, from one reply to the next) and, while recording, the rows and
// events queued for their files. The window feeds it; the link line, the
// trends and the events windows only show it.
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
    SessionLog(RecordingWriter::SinkFactory makeSink, qsizetype queueCapacity,
               QObject* parent = nullptr);

    void statusDecoded(const QDateTime& at, const brisco::display::StatusValues& values);
    // A status reply of any controller on the line, for its trends.
    void statusDecoded(const QDateTime& at, std::uint8_t address, const QString& model,
                       const brisco::display::StatusValues& values);
    void addEvent(const SessionEvent& event);
    // The window turned every lamp white (another controller followed): the
    // next reply's lamps are told against white.
    void lampsShownOff() { m_lamps = {}; }
    // The controller that the window follows: the trends window shows it first.
    void follow(std::uint8_t address) { m_trends.follow(address); }

    // Records into path and the events beside it until stopped; false, with
    // the reason, when a file cannot be opened.
    bool startRecording(const QString& path, QString* error);
    // Where the next recordings go (the benchmark's slow disk).
    void setSinkFactory(RecordingWriter::SinkFactory makeSink) {
        m_writer.setSinkFactory(std::move(makeSink));
    }
    // The rows queued still go to the disk; recordingEnded follows.
    void stopRecording();
    // The same, waiting here until they are on the disk.
    void stopRecordingAndWait();

    Recording recording() const { return m_recording; }
    QString recordingPath() const { return m_path; }
    qint64 rowsWritten() const { return m_writer.written(RecordingWriter::Rows); }
    qsizetype linesWaiting() const { return m_writer.waiting(); }
    // "<name>-events.csv" beside "<name>.csv".
    static QString eventsPath(const QString& path);

    const ControllerTrends& trends() const { return m_trends; }
    EventLog* events() { return &m_events; }

signals:
    void statusAdded();
    void recordingChanged();
    // For the operator: where the recording went, or why it stopped early.
    void recordingEnded(const QString& message);

private:
    void queue(RecordingWriter::Stream stream, const QByteArray& line, const QDateTime& at);
    void ended(const QString& error);

    ControllerTrends m_trends;
    EventLog m_events;
    std::array<int, brisco::display::kLampCount> m_lamps{}; // as the window shows them
    RecordingWriter m_writer;
    Recording m_recording = Recording::Off;
    QString m_path;
    std::array<qint64, 2> m_offered{}; // rows and events meant for the files
    QDateTime m_overflowAt;            // when the queue was found full
};
