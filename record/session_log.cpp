#include "record/session_log.h"

#include "display/lamp_table.h"
#include "record/event_csv.h"
#include "record/status_csv.h"

#include <QDir>

using namespace brisco;

namespace {

QString count(qint64 n, const char* what) {
    return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(what),
                                                QLatin1String(n == 1 ? "" : "s"));
}

// One file, or the first and the last of several.
QString files(const QStringList& paths) {
    if (paths.size() == 1) {
        return QDir::toNativeSeparators(paths.first());
    }
    return QStringLiteral("%1 files, %2 to %3")
        .arg(paths.size())
        .arg(QDir::toNativeSeparators(paths.first()), QDir::toNativeSeparators(paths.last()));
}

} // namespace

SessionLog::SessionLog(QObject* parent)
    : SessionLog([] { return std::make_unique<FileSink>(); }, RecordingWriter::kCapacity, parent) {}

SessionLog::SessionLog(RecordingFiles::SinkFactory makeSink, qsizetype queueCapacity,
                       QObject* parent)
    : QObject(parent)
    , m_makeSink(std::move(makeSink))
    , m_writer(queueCapacity) {
    connect(&m_writer, &RecordingWriter::wrote, this, &SessionLog::recordingChanged);
    connect(&m_writer, &RecordingWriter::finished, this, &SessionLog::ended);
}

void SessionLog::statusDecoded(const QDateTime& at, std::uint8_t address, const QString& model,
                               const display::StatusValues& values) {
    m_trends.append(address, model, at.toMSecsSinceEpoch(), values);
    if (address >= 1 && address <= StatusCsv::kLastAddress) {
        queue({RecordingFiles::Rows, StatusCsv::row(at, address, model, values), at.date(), address,
               model},
              at);
        auto& lamps = m_lamps[address];
        for (std::size_t i = 0; i < lamps.size(); ++i) {
            if (values.lampCodes[i] != lamps[i]) {
                addEvent({at, StatusCsv::lampColumn(int(i) + 1), display::lampColourWord(lamps[i]),
                          display::lampColourWord(values.lampCodes[i]), address});
            }
        }
        lamps = values.lampCodes;
    }
}

void SessionLog::addEvent(const SessionEvent& event) {
    m_events.add(event);
    if (event.address <= StatusCsv::kLastAddress) {
        queue({RecordingFiles::Events, EventCsv::row(event), event.at.date(), event.address, {}},
              event.at);
    }
}

// Once the queue was full, what comes is counted as lost until the writer
// has finished; after the operator's stop it is no longer part of the file.
void SessionLog::queue(RecordingWriter::Line line, const QDateTime& at) {
    if (m_recording == Recording::Off ||
        (m_recording == Recording::Finishing && !m_overflowAt.isValid())) {
        return;
    }
    ++m_offered[line.stream];
    if (m_recording == Recording::On &&
        m_writer.push(std::move(line)) == RecordingWriter::Push::Full) {
        m_overflowAt = at;
        m_recording = Recording::Finishing;
        m_writer.finish();
        emit recordingChanged();
    }
}

bool SessionLog::startRecording(const QString& path, QString* error) {
    return start(RecordingFiles::named(path, m_makeSink), error);
}

bool SessionLog::startDailyRecording(const QString& folder, QString* error, int keepDays) {
    return start(RecordingFiles::daily(folder, keepDays, m_makeSink), error);
}

bool SessionLog::start(std::unique_ptr<RecordingFiles> files, QString* error) {
    if (m_recording != Recording::Off) {
        *error = QStringLiteral("the last recording is still being written");
        return false;
    }
    if (!m_writer.start(std::move(files), error)) {
        return false;
    }
    m_recording = Recording::On;
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

void SessionLog::ended(const QString& error) {
    const qint64 rows = m_writer.written(RecordingFiles::Rows);
    const qint64 events = m_writer.written(RecordingFiles::Events);
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
                   .arg(count(rows, "row"), files(m_writer.paths(RecordingFiles::Rows)),
                        count(events, "event"), files(m_writer.paths(RecordingFiles::Events)));
    const qint64 lostRows = m_offered[RecordingFiles::Rows] - rows;
    const qint64 lostEvents = m_offered[RecordingFiles::Events] - events;
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
