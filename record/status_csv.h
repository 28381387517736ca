// The recording of status replies as a CSV file, written and read here only.
//
// Format 2: UTF-8 with a byte order mark (so that spreadsheets read the
// degree sign), one header row, then one row per decoded status reply. The
// header's first cell, "Time (Brisco recording 2)", names the format and its
// version; the others are the window's captions with their units. Times are
// ISO 8601 with the UTC offset, numbers plain with a decimal point whatever
// the locale, lamps by colour code (0 off, 1 green, 2 red, 3 yellow). An open
// or shorted sensor leaves its temperature empty and says so in
// "Sensor fault". Format 1, the first recordings, had internal names for a
// header and local times without a zone; it is still read.
#pragma once

#include "display/status_values.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <vector>

class StatusCsv {
public:
    static constexpr int kFormat = 2;
    // A replay holds a week of replies at one a second, no more.
    static constexpr qsizetype kMostRows = 7 * 86400;

    static QByteArray header();
    static QByteArray row(const QDateTime& at, const brisco::display::StatusValues& values);
    // 2026-12-07T05:41:17.162+01:00: the local time and its offset from UTC.
    static QByteArray timeCell(const QDateTime& at);
    // The moment and the UTC offset of such a cell; false for anything else.
    static bool readTimeCell(QByteArrayView cell, qint64* msecs, int* offsetSeconds);

    // The column names as in the header, without the time's.
    static QString setPointColumn(int index);
    static QString lampColumn(int number);

    struct Row {
        qint64 msecs;      // since the epoch, UTC
        int offsetSeconds; // of the recording's local time
        brisco::display::StatusValues values;
    };
    struct Replay {
        int format = 0;
        std::vector<Row> rows; // empty when error is set: never half a file
        QString error;         // "line N[, column "NAME"]: what is wrong"
    };
    // A whole recording; a row later than now is refused.
    static Replay read(QByteArrayView content, qint64 nowMsecs);
    static Replay readFile(const QString& path, qint64 nowMsecs);
};
