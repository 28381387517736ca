#include "record/recording_files.h"

#include "record/event_csv.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

namespace {

// "2026-12-07.csv", "2026-12-07-2-events.csv": the day, the part, the events.
const QRegularExpression& dayFileName() {
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})(?:-([2-9]|[1-9]\\d+))?(-events)?\\.csv$"));
    return pattern;
}

QString dayText(const QDate& day) {
    return QLocale::c().toString(day, QStringLiteral("yyyy-MM-dd"));
}

QString cannotWrite(const QString& path, const QString& why) {
    return QStringLiteral("%1 cannot be written (%2)").arg(QDir::toNativeSeparators(path), why);
}

} // namespace

// What a pair holds that a recording continues: none for new files.
struct RecordingFiles::Continued {
    std::array<qint64, 2> keep{}; // bytes of each file, up to its last line end
    std::array<qsizetype, 2> lines{};
    std::array<QString, StatusCsv::kLastAddress + 1> models;
};

RecordingFiles::RecordingFiles(const QString& path, bool daily, int keepDays, SinkFactory makeSink)
    : m_path(path)
    , m_daily(daily)
    , m_keepDays(keepDays)
    , m_makeSink(std::move(makeSink)) {}

std::unique_ptr<RecordingFiles> RecordingFiles::named(const QString& path, SinkFactory makeSink) {
    return std::make_unique<RecordingFiles>(path, false, 0, std::move(makeSink));
}

std::unique_ptr<RecordingFiles> RecordingFiles::daily(const QString& folder, int keepDays,
                                                      SinkFactory makeSink) {
    return std::make_unique<RecordingFiles>(folder, true, keepDays, std::move(makeSink));
}

QString RecordingFiles::eventsPath(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return path.chopped(name.size()) + QFileInfo(path).completeBaseName() +
           QStringLiteral("-events.csv");
}

QString RecordingFiles::partPath(const QDate& day, int part) const {
    const QString number = part > 1 ? QStringLiteral("-%1").arg(part) : QString();
    if (m_daily) {
        return QDir(m_path).filePath(dayText(day) + number + QStringLiteral(".csv"));
    }
    const QFileInfo info(m_path);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    return m_path.chopped(info.fileName().size()) + info.completeBaseName() + number + suffix;
}

// The highest part of the day that has a file, 0 when none has.
int RecordingFiles::lastPart(const QDate& day) const {
    int last = 0;
    const QStringList names = QDir(m_path).entryList({dayText(day) + QStringLiteral("*.csv")},
                                                     QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = dayFileName().match(name);
        if (match.hasMatch() && match.captured(1) == dayText(day)) {
            last = std::max(last, match.captured(2).isEmpty() ? 1 : match.captured(2).toInt());
        }
    }
    return last;
}

bool RecordingFiles::open(QString* error) {
    if (!m_daily) {
        return openPart(1, {}, error);
    }
    if (!QDir().mkpath(m_path)) {
        *error = cannotWrite(m_path, QStringLiteral("the folder cannot be made"));
        return false;
    }
    return openDay(QDate::currentDate(), error);
}

// The day's last pair where it is ours to continue, else a new one after it.
bool RecordingFiles::openDay(const QDate& day, QString* error) {
    removeOldDays(m_path, m_keepDays, day);
    m_day = day;
    const int last = lastPart(day);
    Continued continued;
    if (last > 0 && continuable(last, &continued)) {
        return openPart(last, continued, error);
    }
    return openPart(last + 1, {}, error);
}

// Both files missing or empty, or read whole by their readers (a last line
// cut short aside) in the current formats, and neither full.
bool RecordingFiles::continuable(int part, Continued* continued) const {
    const QString path = partPath(m_day, part);
    // Rows of the day, in any zone, lie before this.
    const qint64 end = QDateTime(m_day.addDays(2), QTime(0, 0)).toMSecsSinceEpoch();
    const qint64 rowsSize = QFileInfo(path).size();
    if (rowsSize > 0) {
        const StatusCsv::Replay rows = StatusCsv::readFile(path, end, false);
        if (!rows.error.isEmpty() || rows.format != StatusCsv::kFormat ||
            rows.rowCount >= StatusCsv::kMostRows) {
            return false;
        }
        continued->keep[Rows] = rowsSize - rows.cutBytes;
        continued->lines[Rows] = rows.rowCount;
        continued->models = rows.models;
    }
    const qint64 eventsSize = QFileInfo(eventsPath(path)).size();
    if (eventsSize > 0) {
        const EventCsv::Replay events = EventCsv::readFile(eventsPath(path), end);
        if (!events.error.isEmpty() || events.format != EventCsv::kFormat ||
            qsizetype(events.events.size()) >= StatusCsv::kMostRows) {
            return false;
        }
        continued->keep[Events] = eventsSize - events.cutBytes;
        continued->lines[Events] = qsizetype(events.events.size());
    }
    return true;
}

// Nothing that is there is cut before both files are open; a file made here
// for a pair that could not be opened goes again.
bool RecordingFiles::openPart(int part, const Continued& continued, QString* error) {
    const QString path = partPath(m_day, part);
    const std::array<QString, 2> paths{path, eventsPath(path)};
    std::array<std::unique_ptr<RecordSink>, 2> sinks;
    std::array<bool, 2> made{};
    QString why;
    for (std::size_t i = 0; i < sinks.size(); ++i) {
        made[i] = !QFileInfo::exists(paths[i]);
        sinks[i] = m_makeSink();
        if (!sinks[i]->open(paths[i], &why)) {
            sinks = {};
            for (std::size_t j = 0; j < i; ++j) {
                if (made[j]) {
                    QFile::remove(paths[j]);
                }
            }
            *error = cannotWrite(paths[i], why);
            return false;
        }
    }
    const std::array<QByteArray, 2> headers{StatusCsv::header(), EventCsv::header()};
    for (std::size_t i = 0; i < sinks.size(); ++i) {
        if (!sinks[i]->cut(continued.keep[i], &why)) {
            *error = cannotWrite(paths[i], why);
            return false;
        }
        m_pending[i] = continued.keep[i] > 0 ? QByteArray() : headers[i];
        m_pendingLines[i] = 0;
        m_paths[i] << paths[i];
    }
    m_sinks = std::move(sinks);
    m_open = paths;
    m_part = part;
    m_lines = continued.lines;
    m_models = continued.models;
    return true;
}

bool RecordingFiles::rolls(const Line& line) const {
    if ((m_day.isValid() && line.day != m_day) || m_lines[line.stream] >= StatusCsv::kMostRows) {
        return true;
    }
    if (line.stream != Rows || line.model.isEmpty() || line.address > StatusCsv::kLastAddress) {
        return false;
    }
    const QString& known = m_models[line.address];
    return !known.isEmpty() && known != line.model;
}

// Another day of a daily recording is that day's; else the next part whose
// names are free.
bool RecordingFiles::roll(const QDate& day, QString* error) {
    if (m_daily && day != m_day) {
        return openDay(day, error);
    }
    m_day = day;
    int part = m_part + 1;
    while (QFileInfo::exists(partPath(day, part)) ||
           QFileInfo::exists(eventsPath(partPath(day, part)))) {
        ++part;
    }
    return openPart(part, {}, error);
}

bool RecordingFiles::write(const std::deque<Line>& lines, std::array<qint64, 2>* written,
                           QString* error) {
    for (const Line& line : lines) {
        if (rolls(line) && (!flush(written, error) || !roll(line.day, error))) {
            return false;
        }
        m_day = line.day;
        m_pending[line.stream] += line.bytes;
        ++m_pendingLines[line.stream];
        ++m_lines[line.stream];
        if (line.stream == Rows && !line.model.isEmpty() &&
            line.address <= StatusCsv::kLastAddress) {
            m_models[line.address] = line.model;
        }
    }
    return flush(written, error);
}

bool RecordingFiles::flush(std::array<qint64, 2>* written, QString* error) {
    for (std::size_t i = 0; i < m_pending.size(); ++i) {
        if (m_pending[i].isEmpty()) {
            continue;
        }
        QString why;
        if (!m_sinks[i]->write(m_pending[i], &why)) {
            *error = cannotWrite(m_open[i], why);
            return false;
        }
        (*written)[i] += m_pendingLines[i];
        m_pending[i].clear();
        m_pendingLines[i] = 0;
    }
    return true;
}

QStringList RecordingFiles::removeOldDays(const QString& folder, int keepDays, const QDate& today) {
    QStringList removed;
    QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files)) {
        const QRegularExpressionMatch match = dayFileName().match(name);
        const QDate day = match.hasMatch()
                              ? QDate::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd"))
                              : QDate();
        if (day.isValid() && day.daysTo(today) > keepDays && dir.remove(name)) {
            removed << name;
        }
    }
    return removed;
}
