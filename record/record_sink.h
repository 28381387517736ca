// Where a recording's lines go: a file whose every write is on the disk, not
// only in the system's cache, when it returns.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

class RecordSink {
public:
    virtual ~RecordSink() = default;

    // Creates or empties the file; false, with the reason, when it cannot.
    virtual bool open(const QString& path, QString* error) = 0;
    // Appends the bytes and waits for the disk; false, with the reason.
    virtual bool write(const QByteArray& bytes, QString* error) = 0;
};

class FileSink : public RecordSink {
public:
    bool open(const QString& path, QString* error) override;
    bool write(const QByteArray& bytes, QString* error) override;

private:
    QFile m_file;
};
