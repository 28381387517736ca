// The recording of status replies as a CSV file, written and read here only.
//
// Format 3: UTF-8 with a byte order mark (so that spreadsheets read the
// degree sign), one header row, then one row per decoded status reply of any
// controller on the line. The header's first cell, "Time (Brisco recording
// 3)", names the format and its version; then "Address" (the controller's
// bus address, 1 to 20) and "Model" (its model as its device information
// says, empty while that is unknown; quoted as RFC 4180 says where it holds
// a comma or a quote, control characters written as "?"); the others are the
// window's captions with their units. A file holds the rows of every
// controller of the line, and one controller keeps one model in it. Times
// are ISO 8601 with the UTC offset, numbers plain with a decimal point
// whatever the locale, lamps by colour code (0 off, 1 green, 2 red, 3
// yellow). An open or shorted sensor leaves its temperature empty and says so
// in "Sensor fault". Format 2 had neither address nor model; format 1, the
// first recordings, had internal names for a header and local times without
// a zone. Both are still read.
#pragma once

#include "display/status_values.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class StatusCsv {
public:
    static constexpr int kFormat = 3;
    // A replay holds a week of replies at one a second, no more; a recording
    // is cut into files of a day each, which stay well below it.
    static constexpr qsizetype kMostRows = 7 * 86400;
    static constexpr int kLastAddress = 20;

    static QByteArray header();
    static QByteArray row(const QDateTime& at, std::uint8_t address, const QString& model,
                          const brisco::display::StatusValues& values);
    // 2026-12-07T05:41:17.162+01:00: the local time and its offset from UTC.
    static QByteArray timeCell(const QDateTime& at);
    // The moment and the UTC offset of such a cell; false for anything else.
    static bool readTimeCell(QByteArrayView cell, qint64* msecs, int* offsetSeconds);

    // The column names as in the header, without the time's.
    static QString setPointColumn(int index);
    static QString lampColumn(int number);

    struct Row {
        qint64 msecs;             // since the epoch, UTC
        int offsetSeconds;        // of the recording's local time
        std::uint8_t address = 0; // 0 in the formats before 3, which name none
        QString model;
        brisco::display::StatusValues values;
    };
    struct Replay {
        int format = 0;
        std::vector<Row> rows;  // empty when error is set: never half a file
        qsizetype rowCount = 0; // also when the rows were not kept
        QString error;          // "line N[, column "NAME"]: what is wrong"
        // A last line without its line end (the disk filled up, the power
        // went) is left out, and said so here; cutBytes is its length.
        QString note;
        qsizetype cutBytes = 0;
        // Each address's model as the rows name it, empty where none does.
        std::array<QString, kLastAddress + 1> models;
    };
    // A whole recording; a row later than now is refused.
    static Replay read(QByteArrayView content, qint64 nowMsecs);
    // The same, read in pieces: what is kept in memory is the rows (none
    // unless keepRows), never the text of the file.
    static Replay readFile(const QString& path, qint64 nowMsecs, bool keepRows = true);
};
