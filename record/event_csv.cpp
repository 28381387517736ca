#include "record/event_csv.h"

#include "record/status_csv.h"

#include <QFile>
#include <QTimeZone>

#include <charconv>

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr char kTimeColumn[] = "Time (Brisco events ";

QByteArray cell(const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') ||
        bytes.contains('\r')) {
        bytes = '"' + bytes.replace('"', "\"\"") + '"';
    }
    return bytes;
}

QByteArrayList columnNames(int format) {
    QByteArrayList names{kTimeColumn + QByteArray::number(format) + ')'};
    if (format >= 2) {
        names << "Address";
    }
    return names << "Event"
                 << "From"
                 << "To";
}

// The cells of the row that starts at `at`, quotes undone; `at` moves past
// the row's end and `line` past the line breaks it holds. False when the
// content ends before the row does.
bool readRow(QByteArrayView content, qsizetype& at, qint64& line, QByteArrayList* cells) {
    *cells = {QByteArray()};
    bool quoted = false;
    for (; at < content.size(); ++at) {
        const char c = content[at];
        if (quoted && c == '"' && at + 1 < content.size() && content[at + 1] == '"') {
            cells->last() += '"';
            ++at;
        } else if (c == '"' && (quoted || cells->last().isEmpty())) {
            quoted = !quoted;
        } else if (!quoted && c == ',') {
            *cells << QByteArray();
        } else if (!quoted && c == '\n') {
            ++at;
            ++line;
            return true;
        } else if (quoted || c != '\r') {
            line += c == '\n' ? 1 : 0;
            cells->last() += c;
        }
    }
    return false;
}

// The format that the header names, 0 for none; an error for a newer one.
int readHeader(QByteArrayList header, QString* error) {
    if (header.first().startsWith(kBom)) {
        header.first().remove(0, 3);
    }
    const QByteArray& first = header.first();
    int format = 0;
    if (first.startsWith(kTimeColumn)) {
        const QByteArrayView version = QByteArrayView(first).sliced(sizeof(kTimeColumn) - 1);
        const auto [end, failed] = std::from_chars(version.begin(), version.end(), format);
        format = failed == std::errc() && end != version.end() && *end == ')' ? format : 0;
    }
    if (format > EventCsv::kFormat) {
        *error = QStringLiteral("an event log of format %1, newer than this Brisco reads (%2)")
                     .arg(format)
                     .arg(EventCsv::kFormat);
    } else if (format < 1 || header != columnNames(format)) {
        *error = QStringLiteral("not a Brisco event log (whose first line is \"%1\")")
                     .arg(QString::fromUtf8(columnNames(EventCsv::kFormat).join(',')));
    }
    return error->isEmpty() ? format : 0;
}

} // namespace

QByteArray EventCsv::header() {
    return kBom + columnNames(kFormat).join(',') + '\n';
}

EventCsv::Replay EventCsv::read(QByteArrayView content, qint64 nowMsecs) {
    Replay replay;
    qsizetype at = 0;
    qint64 line = 1;
    QByteArrayList cells;
    const auto fail = [&replay](qint64 where, const QString& what) {
        replay = {};
        replay.error = QStringLiteral("line %1: ").arg(where) + what;
        return replay;
    };
    QString error;
    readRow(content, at, line, &cells);
    replay.format = readHeader(cells, &error);
    if (replay.format == 0) {
        return fail(1, error);
    }
    const qsizetype columns = replay.format >= 2 ? 5 : 4;
    while (at < content.size()) {
        const qint64 start = line;
        const qsizetype rowStart = at;
        if (qsizetype(replay.events.size()) == StatusCsv::kMostRows) {
            return fail(start, QStringLiteral("more than %1 events").arg(StatusCsv::kMostRows));
        }
        if (!readRow(content, at, line, &cells)) {
            // Only the last line can be cut short; a quote that is never
            // closed runs to the end of the file, whose line end it holds.
            if (content.endsWith('\n')) {
                return fail(start, QStringLiteral("a quote is not closed"));
            }
            replay.note = QStringLiteral("the last event, from line %1 on, was cut short and is "
                                         "left out")
                              .arg(start);
            replay.cutBytes = content.size() - rowStart;
            break;
        }
        if (cells.size() != columns) {
            return fail(
                start,
                QStringLiteral("%1 values where an event has %2").arg(cells.size()).arg(columns));
        }
        qint64 msecs = 0;
        int offset = 0;
        if (!StatusCsv::readTimeCell(cells[0], &msecs, &offset) || msecs > nowMsecs) {
            return fail(start, QStringLiteral("\"%1\" is not a time of the past like "
                                              "2026-12-07T05:41:17.162+01:00")
                                   .arg(QString::fromUtf8(cells[0].left(40))));
        }
        int address = 0;
        if (columns == 5 && !cells[1].isEmpty()) {
            const auto [end, failed] = std::from_chars(cells[1].cbegin(), cells[1].cend(), address);
            if (failed != std::errc() || end != cells[1].cend() || address < 1 ||
                address > StatusCsv::kLastAddress) {
                return fail(start, QStringLiteral("\"%1\" is not an address from 1 to %2")
                                       .arg(QString::fromUtf8(cells[1].left(40)))
                                       .arg(StatusCsv::kLastAddress));
            }
        }
        const qsizetype what = columns - 3;
        replay.events.push_back({QDateTime::fromMSecsSinceEpoch(msecs, QTimeZone(offset)),
                                 QString::fromUtf8(cells[what]), QString::fromUtf8(cells[what + 1]),
                                 QString::fromUtf8(cells[what + 2]), std::uint8_t(address)});
    }
    return replay;
}

EventCsv::Replay EventCsv::readFile(const QString& path, qint64 nowMsecs) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Replay replay;
        replay.error = file.errorString();
        return replay;
    }
    return read(file.readAll(), nowMsecs);
}

QByteArray EventCsv::row(const SessionEvent& event) {
    return StatusCsv::timeCell(event.at) + ',' +
           (event.address == 0 ? QByteArray() : QByteArray::number(event.address)) + ',' +
           cell(event.what) + ',' + cell(event.from) + ',' + cell(event.to) + '\n';
}
