// Writes the lines of a recording, rows and events, into their files on a
// thread of its own, so that the poll tick only queues them and never waits
// for a disk. What is queued is written in order; everything queued at once
// goes to the disk under one synchronisation, so a slow disk takes the rows
// in bigger bites instead of falling behind. A line counts as written once it
// is on the disk.
#pragma once

#include "record/recording_files.h"

#include <QObject>
#include <QString>

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

class RecordingWriter : public QObject {
    Q_OBJECT

public:
    using Stream = RecordingFiles::Stream;
    using Line = RecordingFiles::Line;
    // An hour of rows with their events: what a disk may keep waiting.
    static constexpr qsizetype kCapacity = 4096;

    explicit RecordingWriter(qsizetype capacity = kCapacity, QObject* parent = nullptr);
    // Waits until what is queued is written.
    ~RecordingWriter() override;

    // Opens the first pair of files here, and starts the thread that writes
    // into them. False, with the reason, when they cannot be opened.
    bool start(std::unique_ptr<RecordingFiles> files, QString* error);
    // Queues a line; nothing is queued when the queue is full, or when the
    // writer is finishing or a write has failed (Closed).
    enum class Push { Queued, Full, Closed };
    Push push(Line line);
    // No more lines: the thread writes what is queued, closes the files and
    // ends; finished follows.
    void finish();
    // The same, waiting here for the thread; finished is emitted before it returns.
    void finishAndWait();

    qint64 written(Stream stream) const { return m_written[stream]; }
    qsizetype waiting() const;
    // The files of the last recording, once it has finished.
    QStringList paths(Stream stream) const;

signals:
    // More lines are on the disk.
    void wrote();
    // The files are closed; error is empty when every line queued was
    // written, else it names the file and the reason, and nothing was
    // written after it.
    void finished(const QString& error);

private:
    void work(int generation);
    void deliver(int generation);

    const qsizetype m_capacity;
    std::unique_ptr<RecordingFiles> m_files; // the thread's while it runs
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Line> m_queue;
    bool m_finishing = false;
    bool m_failed = false;
    QString m_error;
    std::array<std::atomic<qint64>, 2> m_written{};
    int m_generation = 0;
    std::thread m_thread;
};
