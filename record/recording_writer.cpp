#include "record/recording_writer.h"

#include <QDir>

RecordingWriter::RecordingWriter(SinkFactory makeSink, qsizetype capacity, QObject* parent)
    : QObject(parent)
    , m_makeSink(std::move(makeSink))
    , m_capacity(capacity) {}

RecordingWriter::~RecordingWriter() {
    finish();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool RecordingWriter::start(const std::array<QString, 2>& paths,
                            const std::array<QByteArray, 2>& headers, QString* error) {
    finishAndWait();
    std::array<std::unique_ptr<RecordSink>, 2> sinks;
    for (std::size_t i = 0; i < sinks.size(); ++i) {
        sinks[i] = m_makeSink();
        if (!sinks[i]->open(paths[i], error)) {
            *error = QStringLiteral("%1 cannot be written (%2)")
                         .arg(QDir::toNativeSeparators(paths[i]), *error);
            return false;
        }
    }
    m_queue.clear();
    m_finishing = false;
    m_failed = false;
    m_error.clear();
    for (std::size_t i = 0; i < sinks.size(); ++i) {
        m_written[i] = 0;
        m_queue.push_back({Stream(i), headers[i], false});
    }
    m_thread = std::thread(&RecordingWriter::work, this, std::move(sinks), paths, ++m_generation);
    return true;
}

RecordingWriter::Push RecordingWriter::push(Stream stream, QByteArray line) {
    {
        const std::lock_guard lock(m_mutex);
        if (!m_thread.joinable() || m_finishing || m_failed) {
            return Push::Closed;
        }
        if (qsizetype(m_queue.size()) >= m_capacity) {
            return Push::Full;
        }
        m_queue.push_back({stream, std::move(line), true});
    }
    m_wake.notify_one();
    return Push::Queued;
}

void RecordingWriter::finish() {
    {
        const std::lock_guard lock(m_mutex);
        m_finishing = true;
    }
    m_wake.notify_one();
}

void RecordingWriter::finishAndWait() {
    finish();
    if (m_thread.joinable()) {
        m_thread.join();
        emit finished(m_error);
    }
}

qsizetype RecordingWriter::waiting() const {
    const std::lock_guard lock(m_mutex);
    return qsizetype(m_queue.size());
}

void RecordingWriter::work(std::array<std::unique_ptr<RecordSink>, 2> sinks,
                           std::array<QString, 2> paths, int generation) {
    QString error;
    for (bool failed = false; !failed;) {
        std::deque<Line> batch;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return !m_queue.empty() || m_finishing; });
            if (m_queue.empty()) {
                break;
            }
            batch.swap(m_queue);
        }
        std::array<QByteArray, 2> bytes;
        std::array<qint64, 2> counted{};
        for (const Line& line : batch) {
            bytes[line.stream] += line.bytes;
            counted[line.stream] += line.counted ? 1 : 0;
        }
        for (std::size_t i = 0; i < bytes.size() && !failed; ++i) {
            if (bytes[i].isEmpty()) {
                continue;
            }
            failed = !sinks[i]->write(bytes[i], &error);
            if (failed) {
                error = QStringLiteral("%1 cannot be written (%2)")
                            .arg(QDir::toNativeSeparators(paths[i]), error);
            } else {
                m_written[i] += counted[i];
            }
        }
        QMetaObject::invokeMethod(this, &RecordingWriter::wrote, Qt::QueuedConnection);
        if (failed) {
            const std::lock_guard lock(m_mutex);
            m_failed = true;
            m_error = error;
            m_queue.clear();
        }
    }
    sinks = {}; // closed before anyone is told
    QMetaObject::invokeMethod(
        this, [this, generation] { deliver(generation); }, Qt::QueuedConnection);
}

// Told on this object's thread; the thread has ended or is about to.
void RecordingWriter::deliver(int generation) {
    if (generation == m_generation && m_thread.joinable()) {
        m_thread.join();
        emit finished(m_error);
    }
}
