#include "record/recording_writer.h"

RecordingWriter::RecordingWriter(qsizetype capacity, QObject* parent)
    : QObject(parent)
    , m_capacity(capacity) {}

RecordingWriter::~RecordingWriter() {
    finish();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool RecordingWriter::start(std::unique_ptr<RecordingFiles> files, QString* error) {
    finishAndWait();
    if (!files->open(error)) {
        return false;
    }
    m_files = std::move(files);
    m_queue.clear();
    m_finishing = false;
    m_failed = false;
    m_error.clear();
    for (auto& written : m_written) {
        written = 0;
    }
    m_thread = std::thread(&RecordingWriter::work, this, ++m_generation);
    return true;
}

RecordingWriter::Push RecordingWriter::push(Line line) {
    {
        const std::lock_guard lock(m_mutex);
        if (!m_thread.joinable() || m_finishing || m_failed) {
            return Push::Closed;
        }
        if (qsizetype(m_queue.size()) >= m_capacity) {
            return Push::Full;
        }
        m_queue.push_back(std::move(line));
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

QStringList RecordingWriter::paths(Stream stream) const {
    return m_files && !m_thread.joinable() ? m_files->paths(stream) : QStringList();
}

// The headers go first, with nothing queued yet.
void RecordingWriter::work(int generation) {
    QString error;
    std::deque<Line> batch;
    for (;;) {
        std::array<qint64, 2> written{};
        const bool failed = !m_files->write(batch, &written, &error);
        for (std::size_t i = 0; i < written.size(); ++i) {
            m_written[i] += written[i];
        }
        QMetaObject::invokeMethod(this, &RecordingWriter::wrote, Qt::QueuedConnection);
        std::unique_lock lock(m_mutex);
        if (failed) {
            m_failed = true;
            m_error = error;
            m_queue.clear();
            break;
        }
        m_wake.wait(lock, [this] { return !m_queue.empty() || m_finishing; });
        if (m_queue.empty()) {
            break;
        }
        batch.clear();
        batch.swap(m_queue);
    }
    m_files->close(); // closed before anyone is told
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
