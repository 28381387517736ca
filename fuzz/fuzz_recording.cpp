// libFuzzer target: any bytes as a recording to replay, and as the event log
// beside it. Each reader answers with every whole row of the file (a last
// line cut short aside, and said so) or with the line of its first fault and
// nothing else, never reads outside the input, and what it read, written
// again in the current format, reads back to the same bytes.
#undef NDEBUG // the checks below hold in every build
#include "record/event_csv.h"
#include "record/status_csv.h"

#include <QTimeZone>

#include <cassert>

namespace {

// 2026-12-08T00:00:00Z: rows after it lie in the future.
constexpr qint64 kNow = 1796688000000;

// The rows of the formats before 3, which name no controller, as the first's.
QByteArray written(const std::vector<StatusCsv::Row>& rows) {
    QByteArray content = StatusCsv::header();
    for (const StatusCsv::Row& row : rows) {
        content +=
            StatusCsv::row(QDateTime::fromMSecsSinceEpoch(row.msecs, QTimeZone(row.offsetSeconds)),
                           row.address == 0 ? 1 : row.address, row.model, row.values);
    }
    return content;
}

QByteArray written(const std::vector<SessionEvent>& events) {
    QByteArray content = EventCsv::header();
    for (const SessionEvent& event : events) {
        content += EventCsv::row(event);
    }
    return content;
}

// The line of an error lies in the content.
void checkLine(const QString& error, QByteArrayView content) {
    assert(error.startsWith(QLatin1String("line ")));
    const qsizetype line =
        error.mid(5).section(QLatin1Char(','), 0, 0).section(QLatin1Char(':'), 0, 0).toLongLong();
    assert(line >= 1 && line <= content.count('\n') + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView content(data, qsizetype(size));
    const EventCsv::Replay told = EventCsv::read(content, kNow);
    if (told.error.isEmpty()) {
        assert(told.note.isEmpty() == (told.cutBytes == 0) && told.cutBytes <= content.size());
        const QByteArray again = written(told.events);
        const EventCsv::Replay reread = EventCsv::read(again, kNow);
        assert(reread.error.isEmpty() && reread.note.isEmpty() && written(reread.events) == again);
    } else {
        assert(told.events.empty() && told.note.isEmpty());
        checkLine(told.error, content);
    }
    StatusCsv::Replay replay = StatusCsv::read(content, kNow);
    if (!replay.error.isEmpty()) {
        assert(replay.rows.empty() && replay.note.isEmpty());
        checkLine(replay.error, content);
        return 0;
    }
    assert(replay.format >= 1 && replay.format <= 3);
    assert(replay.note.isEmpty() == (replay.cutBytes == 0));
    assert(qsizetype(replay.rows.size()) == replay.rowCount);
    for (const StatusCsv::Row& row : replay.rows) {
        assert(replay.format < 3 || (row.address >= 1 && row.address <= StatusCsv::kLastAddress));
        assert(row.model.isEmpty() || row.model == replay.models[row.address]);
    }
    const QByteArray again = written(replay.rows);
    const StatusCsv::Replay reread = StatusCsv::read(again, kNow);
    assert(reread.error.isEmpty() && reread.note.isEmpty());
    assert(reread.rows.size() == replay.rows.size() && written(reread.rows) == again);
    return 0;
}
