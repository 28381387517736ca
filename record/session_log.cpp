#include "record/session_log.h"

#include "display/lamp_table.h"
#include "record/event_csv.h"
#include "record/status_csv.h"

#include <QDir>
#include <QFileInfo>

using namespace brisco;

namespace {

QString count(qint64 n, const char* what) {
    return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(what),
                                                QLatin1String(n == 1 ? "" : "s"));
}

} // namespace

SessionLog::SessionLog(QObject* parent)
    : SessionLog([] { return std::make_unique<FileSink>(); }, RecordingWriter::kCapacity, parent) {}

SessionLog::SessionLog(RecordingWriter::SinkFactory makeSink, qsizetype queueCapacity,
                       QObject* parent)
    : QObject(parent)
    , m_writer(std::move(makeSink), queueCapacity) {
    connect(&m_writer, &RecordingWriter::wrote, this, &SessionLog::recordingChanged);
    connect(&m_writer, &RecordingWriter::finished, this, &SessionLog::ended);
}

void SessionLog::statusDecoded(const QDateTime& at, const display::StatusValues& values) {
    queue(RecordingWriter::Rows, StatusCsv::row(at, values), at);
    for (std::size_t i = 0; i < m_lamps.size(); ++i) {
        if (values.lampCodes[i] != m_lamps[i]) {
            addEvent({at, StatusCsv::lampColumn(int(i) + 1), display::lampColourWord(m_lamps[i]),
                      display::lampColourWord(values.lampCodes[i])});
        }
    }
    m_lamps = values.lampCodes;
    emit statusAdded();
}

void SessionLog::statusDecoded(const QDateTime& at, std::uint8_t address, const QString& model,
                               const display::StatusValues& values) {
    m_trends.append(address, model, at.toMSecsSinceEpoch(), values);
}

void SessionLog::addEvent(const SessionEvent& event) {
    m_events.add(event);
    queue(RecordingWriter::Events, EventCsv::row(event), event.at);
}

// Once the queue was full, what comes is counted as lost until the writer
// has finished; after the operator's stop it is no longer part of the file.
void SessionLog::queue(RecordingWriter::Stream stream, const QByteArray& line,
                       const QDateTime& at) {
    if (m_recording == Recording::Off ||
        (m_recording == Recording::Finishing && !m_overflowAt.isValid())) {
        return;
    }
    ++m_offered[stream];
    if (m_recording == Recording::On &&
        m_writer.push(stream, line) == RecordingWriter::Push::Full) {
        m_overflowAt = at;
        m_recording = Recording::Finishing;
        m_writer.finish();
        emit recordingChanged();
    }
}

bool SessionLog::startRecording(const QString& path, QString* error) {
    if (m_recording != Recording::Off) {
        *error = QStringLiteral("the last recording is still being written");
        return false;
    }
    if (!m_writer.start({path, eventsPath(path)}, {StatusCsv::header(), EventCsv::header()},
                        error)) {
        return false;
    }
    m_recording = Recording::On;
    m_path = path;
    m_offered = {};
    m_overflowAt = {};
    emit recordingChanged();
    return true;
}

void SessionLog::stopRecording() {
    if (m_recording == Recording::On) {
        m_recording = Recording::Finishing;
        m_writer.finish();
        emit recordingChanged();
    }
}

void SessionLog::stopRecordingAndWait() {
    stopRecording();
    m_writer.finishAndWait();
}

QString SessionLog::eventsPath(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return path.chopped(name.size()) + QFileInfo(path).completeBaseName() +
           QStringLiteral("-events.csv");
}

void SessionLog::ended(const QString& error) {
    const qint64 rows = m_writer.written(RecordingWriter::Rows);
    const qint64 events = m_writer.written(RecordingWriter::Events);
    const QString path = QDir::toNativeSeparators(m_path);
    const QString eventsFile = QDir::toNativeSeparators(eventsPath(m_path));
    QString message;
    if (!error.isEmpty()) {
        message = QStringLiteral("Recording stopped: %1. ").arg(error);
    } else if (m_overflowAt.isValid()) {
        message = QStringLiteral("Recording stopped at %1: the disk did not keep up. ")
                      .arg(QLocale::c().toString(m_overflowAt, QStringLiteral("HH:mm:ss")));
    } else {
        message = QStringLiteral("Recording stopped. ");
    }
    message += QStringLiteral("%1 in %2, %3 in %4.")
                   .arg(count(rows, "row"), path, count(events, "event"), eventsFile);
    const qint64 lostRows = m_offered[RecordingWriter::Rows] - rows;
    const qint64 lostEvents = m_offered[RecordingWriter::Events] - events;
    if (lostRows > 0 || lostEvents > 0) {
        message += QStringLiteral(" Not written: %1 and %2.")
                       .arg(count(lostRows, "row"), count(lostEvents, "event"));
    }
    if (!error.isEmpty() || m_overflowAt.isValid()) {
        message += QStringLiteral(" Monitoring goes on.");
    }
    m_recording = Recording::Off;
    emit recordingChanged();
    emit recordingEnded(message);
}
