#include "record/event_csv.h"

#include "record/status_csv.h"

#include <QFile>
#include <QTimeZone>

namespace {

QByteArray cell(const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') ||
        bytes.contains('\r')) {
        bytes = '"' + bytes.replace('"', "\"\"") + '"';
    }
    return bytes;
}

// The cells of the row that starts at `at`, quotes undone; `at` moves past
// the row's end and `line` past the line breaks it holds. False when a
// quote is left open.
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
    return !quoted;
}

} // namespace

QByteArray EventCsv::header() {
    return "\xEF\xBB\xBFTime (Brisco events " + QByteArray::number(kFormat) + "),Event,From,To\n";
}

EventCsv::Replay EventCsv::read(QByteArrayView content, qint64 nowMsecs) {
    Replay replay;
    const QByteArray header = EventCsv::header();
    qsizetype at = 0;
    qint64 line = 1;
    QByteArrayList cells;
    const auto fail = [&replay](qint64 where, const QString& what) {
        replay.error = QStringLiteral("line %1: ").arg(where) + what;
        replay.events = {};
        return replay;
    };
    if (!content.startsWith(header)) {
        return fail(1, QStringLiteral("not a Brisco event log (whose first line is \"%1\")")
                           .arg(QString::fromUtf8(header.sliced(3).trimmed())));
    }
    at = header.size();
    ++line;
    while (at < content.size()) {
        const qint64 start = line;
        if (qsizetype(replay.events.size()) == StatusCsv::kMostRows) {
            return fail(start, QStringLiteral("more than %1 events").arg(StatusCsv::kMostRows));
        }
        if (!readRow(content, at, line, &cells)) {
            return fail(start, QStringLiteral("a quote is not closed"));
        }
        if (cells.size() != 4) {
            return fail(start, QStringLiteral("%1 values where an event has 4").arg(cells.size()));
        }
        qint64 msecs = 0;
        int offset = 0;
        if (!StatusCsv::readTimeCell(cells[0], &msecs, &offset) || msecs > nowMsecs) {
            return fail(start, QStringLiteral("\"%1\" is not a time of the past like "
                                              "2026-12-07T05:41:17.162+01:00")
                                   .arg(QString::fromUtf8(cells[0].left(40))));
        }
        replay.events.push_back({QDateTime::fromMSecsSinceEpoch(msecs, QTimeZone(offset)),
                                 QString::fromUtf8(cells[1]), QString::fromUtf8(cells[2]),
                                 QString::fromUtf8(cells[3])});
    }
    return replay;
}

EventCsv::Replay EventCsv::readFile(const QString& path, qint64 nowMsecs) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {{}, file.errorString()};
    }
    return read(file.readAll(), nowMsecs);
}

QByteArray EventCsv::row(const SessionEvent& event) {
    return StatusCsv::timeCell(event.at) + ',' + cell(event.what) + ',' + cell(event.from) + ',' +
           cell(event.to) + '\n';
}
