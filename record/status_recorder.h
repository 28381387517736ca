// Records the decoded status replies into a CSV file, one row per reply,
// each row on the disk before the next reply comes, so that nothing is lost
// when the program is killed or the adapter pulled.
#pragma once

#include "display/status_values.h"

#include <QDateTime>
#include <QFile>
#include <QString>

class StatusRecorder {
public:
    // Plain numbers with a decimal point whatever the locale; an open or
    // shorted sensor leaves its cell empty and says so in SensorFault.
    static QByteArray header();
    static QByteArray row(const QDateTime& at, const brisco::display::StatusValues& values);

    // Creates or empties the file and writes the header. False, with the
    // reason, when the file cannot be written.
    bool start(const QString& path, QString* error);
    // False, with the reason, when the row did not reach the file; the
    // recording has then stopped.
    bool record(const QDateTime& at, const brisco::display::StatusValues& values, QString* error);
    void stop();

    bool recording() const { return m_file.isOpen(); }
    qint64 rows() const { return m_rows; }
    QString path() const { return m_file.fileName(); }

private:
    bool writeLine(const QByteArray& line, QString* error);

    QFile m_file;
    qint64 m_rows = 0;
};
