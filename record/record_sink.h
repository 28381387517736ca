// Where a recording's lines go: a file whose every write is on the disk, not
// only in the system's cache, when it returns, or not in the file at all.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>

class RecordSink {
public:
    virtual ~RecordSink() = default;

    // Opens the file to write at its end, creating it where there is none;
    // what it holds stays. False, with the reason, when it cannot.
    virtual bool open(const QString& path, QString* error) = 0;
    // Keeps the first size bytes of the file (0 empties it).
    virtual bool cut(qint64 size, QString* error) = 0;
    // Appends the bytes and waits for the disk; false, with the reason, when
    // they did not all reach it, and then nothing of them stays in the file.
    virtual bool write(const QByteArray& bytes, QString* error) = 0;
};

class FileSink : public RecordSink {
public:
    // sync puts what was written to a file descriptor on the disk, as fsync
    // does (and says why not in errno).
    explicit FileSink(std::function<int(int)> sync = {});

    bool open(const QString& path, QString* error) override;
    bool cut(qint64 size, QString* error) override;
    bool write(const QByteArray& bytes, QString* error) override;

private:
    QFile m_file;
    std::function<int(int)> m_sync;
};
