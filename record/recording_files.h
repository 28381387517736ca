// The files that one recording goes to, used on the writer's thread: the
// rows' file and the events' beside it ("<name>-events.csv"), and the next
// pair when one has to end, so that the reader takes every file whole:
//   - at local midnight, when a line's day is another than the pair's;
//   - when a controller's model changes (a controller swapped), as a file
//     gives each controller one model;
//   - when a file holds as many lines as a replay reads (StatusCsv::kMostRows),
//     which a day's rows, four a second at most, never reach.
// The operator's recording goes to the file chosen, emptied, and then to
// "<name>-2.csv", "<name>-3.csv" … (each with its "-events.csv"), skipping
// the names taken. A daily recording goes to "<folder>/<yyyy-MM-dd>.csv",
// then "<yyyy-MM-dd>-2.csv" … within the day; it continues the day's last
// pair when both files are ours (of the current formats, whole but for a
// last line cut short, which is cut off) or missing. A pair that is not ours
// is neither appended to nor emptied: the day's next pair is used instead.
#pragma once

#include "record/record_sink.h"
#include "record/status_csv.h"

#include <QDate>
#include <QStringList>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

class RecordingFiles {
public:
    enum Stream { Rows, Events };
    struct Line {
        Stream stream;
        QByteArray bytes; // a row or an event, with its line end
        QDate day;        // the local date of its time
        std::uint8_t address = 0;
        QString model; // a row's controller's, empty while unknown
    };
    using SinkFactory = std::function<std::unique_ptr<RecordSink>()>;

    // How long a daily recording keeps its day files.
    static constexpr int kKeepDays = 90;

    // As named or daily make it.
    RecordingFiles(const QString& path, bool daily, int keepDays, SinkFactory makeSink);

    // The file chosen by the operator, who agreed to replace it, and the
    // events beside it.
    static std::unique_ptr<RecordingFiles> named(const QString& path, SinkFactory makeSink);
    // The day files in folder (created where missing); those older than
    // keepDays are removed when a day's files are opened.
    static std::unique_ptr<RecordingFiles> daily(const QString& folder, int keepDays,
                                                 SinkFactory makeSink);

    // Opens the first pair (today's, for a daily recording); its headers
    // are written with the first lines. False, with the reason.
    bool open(QString* error);
    // Writes the lines in order, into as many pairs as they need, adding to
    // written what reached the disk. False, with the reason naming the file,
    // when a write or an open failed: nothing after it was written.
    bool write(const std::deque<Line>& lines, std::array<qint64, 2>* written, QString* error);
    // Closes the pair.
    void close() { m_sinks = {}; }
    // The files written to, in order.
    const QStringList& paths(Stream stream) const { return m_paths[stream]; }

    // "<name>-events.csv" beside "<name>.csv".
    static QString eventsPath(const QString& path);
    // Removes the day files of folder ("<yyyy-MM-dd>.csv",
    // "<yyyy-MM-dd>-events.csv", "<yyyy-MM-dd>-N.csv", "<yyyy-MM-dd>-N-events.csv",
    // and no other) dated more than keepDays before today; the names removed.
    static QStringList removeOldDays(const QString& folder, int keepDays, const QDate& today);

private:
    struct Continued;

    QString partPath(const QDate& day, int part) const;
    int lastPart(const QDate& day) const;
    bool openDay(const QDate& day, QString* error);
    bool continuable(int part, Continued* continued) const;
    bool openPart(int part, const Continued& continued, QString* error);
    bool rolls(const Line& line) const;
    bool roll(const QDate& day, QString* error);
    bool flush(std::array<qint64, 2>* written, QString* error);

    const QString m_path; // the operator's file, or the folder of the day files
    const bool m_daily;
    const int m_keepDays;
    SinkFactory m_makeSink;
    std::array<std::unique_ptr<RecordSink>, 2> m_sinks;
    std::array<QString, 2> m_open; // the paths of the pair
    QDate m_day;                   // of the pair's lines; none before the operator's first
    int m_part = 0;
    std::array<qsizetype, 2> m_lines{}; // in each file, those still to write included
    std::array<QByteArray, 2> m_pending;
    std::array<qint64, 2> m_pendingLines{};
    std::array<QString, StatusCsv::kLastAddress + 1> m_models;
    std::array<QStringList, 2> m_paths;
};
