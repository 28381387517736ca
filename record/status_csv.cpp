#include "record/status_csv.h"

#include "display/lamp_table.h"
#include "display/text_forms.h"

#include <QDate>
#include <QFile>
#include <QLocale>

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

using namespace brisco;
using display::Sensor;
using display::StatusValues;

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr char kTimeColumn[] = "Time (Brisco recording ";

// In the order of the set-point table.
constexpr std::array<const char*, settings::kSetPointCount> kSetPointColumns{
    "Cooling open temp set-point (°C)",
    "Cooling stop temp set-point (°C)",
    "Heating open temp set-point (°C)",
    "Heating stop temp set-point (°C)",
    "Inner fan pulses per revolution",
    "Inner fan low rotation speed (rpm)",
    "Inner fan high rotation speed (rpm)",
    "Outer fan pulses per revolution",
    "Outer fan high rotation speed (rpm)",
    "High temperature warning (°C)",
    "Low temperature warning (°C)",
    "Low current limit (A)",
    "High current limit (A)",
};
constexpr std::array<const char*, 8> kMeasuredColumns{
    "Inner temp (°C)", "Outer temp (°C)", "Sensor fault",          "Control temp (°C)",
    "TEC current (A)", "DC voltage (V)",  "Inner fan speed (rpm)", "Outer fan speed (rpm)",
};
// The cells of a row of format 3 up to the last; earlier formats have no
// address and no model.
constexpr int kMostColumns =
    3 + settings::kSetPointCount + int(kMeasuredColumns.size()) + display::kLampCount;
// Far longer than any row: a line longer than this is no recording's.
constexpr qsizetype kLongestLine = 64 * 1024;
// What readFile reads at once: the text in memory is this and a line.
constexpr qint64 kPiece = 4096;

// The header of format 1, whose times are local without a zone.
constexpr char kFormat1Header[] =
    "Time,TECcoolStart,TECcoolStop,TECheatStart,TECheatStop,IntFanPulse,IntFanLowS,IntFanHighS,"
    "ExtFanPulse,ExtFanHighS,TempMax,TempMin,TECcurrL,TECcurrH,Temp1,Temp2,SensorFault,"
    "ControlTemp,TECcurrent,DCvoltage,IntFanSpeed,ExtFanSpeed,StatusBox1,StatusBox2,StatusBox3,"
    "StatusBox4,StatusBox5,StatusBox6,StatusBox7,StatusBox8,StatusBox9,StatusBox10,StatusBox11,"
    "StatusBox12,StatusBox13,StatusBox14,StatusBox15,StatusBox16,StatusBox17,StatusBox18,"
    "StatusBox19,StatusBox20,StatusBox21,StatusBox22";

// A cell as a message shows it: the first 40 bytes at most.
QString quoted(QByteArrayView cell) {
    return QString::fromUtf8(cell.first(std::min<qsizetype>(cell.size(), 40)));
}

QByteArray number(double value) {
    return display::decimalText(value, QLocale::c()).toLatin1();
}

QByteArray faultText(Sensor inner, Sensor outer) {
    QByteArrayList faults;
    for (const auto& [which, sensor] : {std::pair("inner ", inner), std::pair("outer ", outer)}) {
        if (sensor != Sensor::Ok) {
            faults << which + QByteArray(sensor == Sensor::Open ? "open" : "short");
        }
    }
    return faults.join(' ');
}

// A model as a cell: never a line break, quoted where a comma or a quote
// would end it.
QByteArray modelCell(const QString& model) {
    QByteArray bytes = model.toUtf8();
    for (char& c : bytes) {
        c = (uchar(c) < 0x20 || c == 0x7F) ? '?' : c;
    }
    if (bytes.contains(',') || bytes.contains('"')) {
        bytes = '"' + bytes.replace('"', "\"\"") + '"';
    }
    return bytes;
}

QString modelOf(QByteArrayView cell) {
    if (!cell.startsWith('"')) {
        return QString::fromUtf8(cell);
    }
    return QString::fromUtf8(cell.sliced(1, cell.size() - 2).toByteArray().replace("\"\"", "\""));
}

QByteArrayList columnNames(int format) {
    QByteArrayList names{kTimeColumn + QByteArray::number(format) + ')'};
    if (format >= 3) {
        names << "Address"
              << "Model";
    }
    for (const char* name : kSetPointColumns) {
        names << name;
    }
    for (const char* name : kMeasuredColumns) {
        names << name;
    }
    for (int lamp = 1; lamp <= display::kLampCount; ++lamp) {
        names << StatusCsv::lampColumn(lamp).toUtf8();
    }
    return names;
}

// yyyy-MM-ddTHH:mm:ss.zzz+hh:mm when zoned, else yyyy-MM-dd HH:mm:ss.zzz
// local (format 1): the moment and the offset of its local time.
bool parseTime(QByteArrayView cell, bool zoned, qint64* msecs, int* offsetSeconds) {
    const auto field = [cell](qsizetype at, qsizetype digits) {
        int value = 0;
        for (qsizetype i = at; i < at + digits; ++i) {
            if (i >= cell.size() || cell[i] < '0' || cell[i] > '9') {
                return -1;
            }
            value = value * 10 + (cell[i] - '0');
        }
        return value;
    };
    const char* pattern = zoned ? "dddd-dd-ddTdd:dd:dd.ddd+dd:dd" : "dddd-dd-dd dd:dd:dd.ddd";
    bool shaped = cell.size() == qsizetype(std::strlen(pattern));
    for (qsizetype i = 0; shaped && i < cell.size(); ++i) {
        shaped = pattern[i] == 'd' ? (cell[i] >= '0' && cell[i] <= '9')
                                   : cell[i] == pattern[i] || (i == 23 && cell[i] == '-');
    }
    const QDate date(field(0, 4), field(5, 2), field(8, 2));
    const QTime time(field(11, 2), field(14, 2), field(17, 2), field(20, 3));
    const int offsetMinutes = zoned ? field(24, 2) * 60 + field(27, 2) : 0;
    if (!shaped || !date.isValid() || !time.isValid() || offsetMinutes > 14 * 60 ||
        (zoned && field(27, 2) >= 60)) {
        return false;
    }
    if (zoned) {
        *offsetSeconds = (cell[23] == '-' ? -60 : 60) * offsetMinutes;
        *msecs = (date.toJulianDay() - QDate(1970, 1, 1).toJulianDay()) * 86'400'000 +
                 time.msecsSinceStartOfDay() - qint64(*offsetSeconds) * 1000;
    } else {
        const QDateTime local(date, time);
        *offsetSeconds = local.offsetFromUtc();
        *msecs = local.toMSecsSinceEpoch();
    }
    return true;
}

using Cells = std::array<QByteArrayView, kMostColumns>;

// Reads one recording line by line, as its pieces come; the first fault
// ends it.
class Reader {
public:
    Reader(qint64 now, bool keepRows)
        : m_now(now)
        , m_keepRows(keepRows) {}

    // False once nothing more is needed: a fault was found.
    bool feed(QByteArrayView piece);
    StatusCsv::Replay finish();

private:
    void take(QByteArrayView line);
    bool readHeader(QByteArrayView line);
    bool readRow(QByteArrayView line, StatusCsv::Row* row);
    bool split(QByteArrayView line, Cells* cells);
    bool readTime(QByteArrayView cell, StatusCsv::Row* row);
    bool readController(const Cells& cells, StatusCsv::Row* row);
    bool readNumber(QByteArrayView cell, int column, double* value);
    bool readInteger(QByteArrayView cell, int column, int lowest, int highest, int* value);
    bool readSensors(const Cells& cells, StatusValues* values);
    bool fail(const QString& what, int column = -1);

    qint64 m_now;
    bool m_keepRows;
    QByteArray m_pending; // the start of a line whose end has not come yet
    qint64 m_line = 0;
    int m_first = 1; // the first column after the time, the address and the model
    QByteArrayList m_names;
    StatusCsv::Replay m_replay;
};

bool Reader::feed(QByteArrayView piece) {
    for (qsizetype at = 0; m_replay.error.isEmpty();) {
        const qsizetype end = piece.indexOf('\n', at);
        if (end < 0) {
            m_pending += piece.sliced(at);
            if (m_pending.size() > kLongestLine) {
                take(m_pending);
            }
            break;
        }
        if (m_pending.isEmpty()) {
            take(piece.sliced(at, end - at));
        } else {
            m_pending += piece.sliced(at, end - at);
            take(m_pending);
            m_pending.clear();
        }
        at = end + 1;
    }
    return m_replay.error.isEmpty();
}

// The last line has no line end: it was cut short, unless it is the header.
StatusCsv::Replay Reader::finish() {
    if (m_replay.error.isEmpty() && !m_pending.isEmpty()) {
        if (m_line == 0) {
            take(m_pending);
        } else {
            m_replay.note =
                QStringLiteral("the last line, %1, was cut short and is left out").arg(m_line + 1);
            m_replay.cutBytes = m_pending.size();
        }
    }
    if (!m_replay.error.isEmpty()) {
        m_replay.rows = {};
        m_replay.rowCount = 0;
        m_replay.note.clear();
        m_replay.cutBytes = 0;
    }
    return std::move(m_replay);
}

void Reader::take(QByteArrayView line) {
    ++m_line;
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    if (m_line == 1) {
        readHeader(line.first(std::min(line.size(), kLongestLine)));
        return;
    }
    if (line.size() > kLongestLine) {
        fail(QStringLiteral("longer than %1 bytes, which no row is").arg(kLongestLine));
        return;
    }
    if (m_replay.rowCount == StatusCsv::kMostRows) {
        fail(QStringLiteral("more than %1 rows, a week of replies; Brisco replays no more")
                 .arg(StatusCsv::kMostRows));
        return;
    }
    StatusCsv::Row row;
    if (readRow(line, &row)) {
        ++m_replay.rowCount;
        if (m_keepRows) {
            m_replay.rows.push_back(std::move(row));
        }
    }
}

bool Reader::readHeader(QByteArrayView line) {
    if (line.startsWith(kBom)) {
        line = line.sliced(3);
    }
    if (line == kFormat1Header) {
        m_replay.format = 1;
        m_names = QByteArray(kFormat1Header).split(',');
        return true;
    }
    if (!line.startsWith(kTimeColumn)) {
        return fail(QStringLiteral("not a Brisco recording (whose first column is \"%1\")")
                        .arg(QString::fromUtf8(columnNames(StatusCsv::kFormat).first())));
    }
    const QByteArrayView version = line.sliced(qsizetype(std::strlen(kTimeColumn)));
    int format = 0;
    const auto [end, error] = std::from_chars(version.begin(), version.end(), format);
    const bool numbered = error == std::errc() && end != version.end() && *end == ')';
    if (numbered && format > StatusCsv::kFormat) {
        return fail(QStringLiteral("a recording of format %1, newer than this Brisco reads (%2)")
                        .arg(format)
                        .arg(StatusCsv::kFormat));
    }
    format = numbered && format == 2 ? 2 : StatusCsv::kFormat;
    m_names = columnNames(format);
    const QByteArrayList names = line.toByteArray().split(',');
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        if (i == names.size()) {
            return fail(
                QStringLiteral("the column \"%1\" is missing").arg(QString::fromUtf8(m_names[i])));
        }
        if (names[i] != m_names[i] && i + 1 < m_names.size() && names[i] == m_names[i + 1]) {
            return fail(
                QStringLiteral("the column \"%1\" is missing").arg(QString::fromUtf8(m_names[i])));
        }
        if (names[i] != m_names[i]) {
            return fail(
                QStringLiteral("\"%1\" stands where the column \"%2\" belongs")
                    .arg(QString::fromUtf8(names[i].left(40)), QString::fromUtf8(m_names[i])));
        }
    }
    if (names.size() > m_names.size()) {
        return fail(
            QStringLiteral("%1 columns, a recording has %2").arg(names.size()).arg(m_names.size()));
    }
    m_replay.format = format;
    m_first = format >= 3 ? 3 : 1;
    return true;
}

// The cells of the line, a quoted one with its quotes; false when there are
// more or fewer than the header's.
bool Reader::split(QByteArrayView line, Cells* cells) {
    qsizetype count = 0;
    for (qsizetype start = 0;;) {
        qsizetype end = line.indexOf(',', start);
        if (line.sliced(start).startsWith('"')) {
            end = start;
            do {
                end = line.indexOf('"', end + 1);
                if (end < 0) {
                    return fail(QStringLiteral("a quote is not closed"));
                }
                ++end;
            } while (end < line.size() && line[end] == '"');
            if (end < line.size() && line[end] != ',') {
                return fail(QStringLiteral("text after a closing quote"));
            }
        }
        end = end < 0 ? line.size() : end;
        if (count < kMostColumns) {
            (*cells)[std::size_t(count)] = line.sliced(start, end - start);
        }
        ++count;
        if (end == line.size()) {
            break;
        }
        start = end + 1;
    }
    if (count != m_names.size()) {
        return fail(QStringLiteral("%1 values where a row has %2").arg(count).arg(m_names.size()));
    }
    return true;
}

bool Reader::readRow(QByteArrayView line, StatusCsv::Row* row) {
    Cells cells;
    if (!split(line, &cells) || !readTime(cells[0], row) ||
        (m_first > 1 && !readController(cells, row))) {
        return false;
    }
    StatusValues& values = row->values;
    for (int i = 0; i < settings::kSetPointCount; ++i) {
        const int column = m_first + i;
        if (!readNumber(cells[std::size_t(column)], column, &values.setPoints[std::size_t(i)])) {
            return false;
        }
    }
    const int measured = m_first + settings::kSetPointCount;
    int column = measured + 3;
    for (double* value : {&values.controlTemp, &values.tecCurrent, &values.dcVoltage}) {
        if (!readNumber(cells[std::size_t(column)], column, value)) {
            return false;
        }
        ++column;
    }
    if (!readInteger(cells[std::size_t(column)], column, 0, 65535, &values.innerFanReading) ||
        !readInteger(cells[std::size_t(column + 1)], column + 1, 0, 65535,
                     &values.outerFanReading)) {
        return false;
    }
    const int firstLamp = measured + int(kMeasuredColumns.size());
    for (int i = 0; i < display::kLampCount; ++i) {
        if (!readInteger(cells[std::size_t(firstLamp + i)], firstLamp + i, 0, display::kYellow,
                         &values.lampCodes[std::size_t(i)])) {
            return false;
        }
    }
    return readSensors(cells, &values);
}

bool Reader::readTime(QByteArrayView cell, StatusCsv::Row* row) {
    const bool zoned = m_replay.format > 1;
    if (!parseTime(cell, zoned, &row->msecs, &row->offsetSeconds)) {
        return fail(QStringLiteral("\"%1\" is not a time like %2")
                        .arg(quoted(cell), zoned ? QStringLiteral("2026-12-07T05:41:17.162+01:00")
                                                 : QStringLiteral("2026-12-07 05:41:17.162")));
    }
    if (row->msecs > m_now) {
        return fail(QStringLiteral("%1 lies in the future").arg(QString::fromUtf8(cell)));
    }
    return true;
}

// A controller keeps the model that the file first names for it (its rows
// share the text).
bool Reader::readController(const Cells& cells, StatusCsv::Row* row) {
    int address = 0;
    if (!readInteger(cells[1], 1, 1, StatusCsv::kLastAddress, &address)) {
        return false;
    }
    row->address = std::uint8_t(address);
    const QString model = modelOf(cells[2]);
    QString& known = m_replay.models[std::size_t(address)];
    if (!model.isEmpty() && !known.isEmpty() && model != known) {
        return fail(QStringLiteral("\"%1\" for controller %2, a %3 in the rows before")
                        .arg(model.left(40))
                        .arg(address)
                        .arg(known),
                    2);
    }
    if (!model.isEmpty()) {
        known = known.isEmpty() ? model : known;
        row->model = known;
    }
    return true;
}

bool Reader::readNumber(QByteArrayView cell, int column, double* value) {
    const auto [end, error] = std::from_chars(cell.begin(), cell.end(), *value);
    if (cell.isEmpty() || error != std::errc() || end != cell.end() || !std::isfinite(*value)) {
        return fail(QStringLiteral("\"%1\" is not a number").arg(quoted(cell)), column);
    }
    return true;
}

bool Reader::readInteger(QByteArrayView cell, int column, int lowest, int highest, int* value) {
    const auto [end, error] = std::from_chars(cell.begin(), cell.end(), *value);
    if (cell.isEmpty() || error != std::errc() || end != cell.end() || *value < lowest ||
        *value > highest) {
        return fail(QStringLiteral("\"%1\" is not a whole number from %2 to %3")
                        .arg(quoted(cell))
                        .arg(lowest)
                        .arg(highest),
                    column);
    }
    return true;
}

// The fault cell names the sensors whose temperature cells are empty.
bool Reader::readSensors(const Cells& cells, StatusValues* values) {
    const int measured = m_first + settings::kSetPointCount;
    const QByteArrayView fault = cells[std::size_t(measured + 2)];
    constexpr Sensor kStates[] = {Sensor::Ok, Sensor::Open, Sensor::Short};
    bool known = fault.isEmpty();
    for (const Sensor inner : kStates) {
        for (const Sensor outer : kStates) {
            if (!known && fault == faultText(inner, outer)) {
                values->innerSensor = inner;
                values->outerSensor = outer;
                known = true;
            }
        }
    }
    if (!known) {
        return fail(QStringLiteral("\"%1\" is not a sensor fault").arg(quoted(fault)),
                    measured + 2);
    }
    int column = measured;
    for (const auto& [sensor, temp] : {std::pair(values->innerSensor, &values->innerTemp),
                                       std::pair(values->outerSensor, &values->outerTemp)}) {
        const QByteArrayView cell = cells[std::size_t(column)];
        if (sensor != Sensor::Ok) {
            if (!cell.isEmpty()) {
                return fail(QStringLiteral("a temperature beside the sensor fault \"%1\"")
                                .arg(QString::fromUtf8(fault)),
                            column);
            }
        } else {
            double value = 0;
            if (!readNumber(cell, column, &value)) {
                return false;
            }
            *temp = value;
        }
        ++column;
    }
    return true;
}

bool Reader::fail(const QString& what, int column) {
    const QString where = column < 0 ? QStringLiteral("line %1").arg(m_line)
                                     : QStringLiteral("line %1, column \"%2\"")
                                           .arg(m_line)
                                           .arg(QString::fromUtf8(m_names.value(column)));
    m_replay.error = where + QStringLiteral(": ") + what;
    return false;
}

} // namespace

QByteArray StatusCsv::header() {
    return kBom + columnNames(kFormat).join(',') + '\n';
}

QString StatusCsv::setPointColumn(int index) {
    return QString::fromUtf8(kSetPointColumns[std::size_t(index)]);
}

QString StatusCsv::lampColumn(int number) {
    return QStringLiteral("Lamp ") + display::lampTitle(number);
}

QByteArray StatusCsv::timeCell(const QDateTime& at) {
    const int offset = at.offsetFromUtc();
    return QLocale::c().toString(at, QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz")).toLatin1() +
           (offset < 0 ? '-' : '+') +
           QLocale::c()
               .toString(QTime(0, 0).addSecs(std::abs(offset)), QStringLiteral("HH:mm"))
               .toLatin1();
}

bool StatusCsv::readTimeCell(QByteArrayView cell, qint64* msecs, int* offsetSeconds) {
    return parseTime(cell, true, msecs, offsetSeconds);
}

QByteArray StatusCsv::row(const QDateTime& at, std::uint8_t address, const QString& model,
                          const StatusValues& values) {
    QByteArrayList cells{timeCell(at), QByteArray::number(address), modelCell(model)};
    for (const double setPoint : values.setPoints) {
        cells << number(setPoint);
    }
    cells << (values.innerTemp ? number(*values.innerTemp) : QByteArray())
          << (values.outerTemp ? number(*values.outerTemp) : QByteArray())
          << faultText(values.innerSensor, values.outerSensor) << number(values.controlTemp)
          << number(values.tecCurrent) << number(values.dcVoltage)
          << QByteArray::number(values.innerFanReading)
          << QByteArray::number(values.outerFanReading);
    for (const int code : values.lampCodes) {
        cells << QByteArray::number(code);
    }
    return cells.join(',') + '\n';
}

StatusCsv::Replay StatusCsv::read(QByteArrayView content, qint64 nowMsecs) {
    if (content.isEmpty()) {
        return {0, {}, 0, QStringLiteral("line 1: the file is empty"), {}, 0, {}};
    }
    Reader reader(nowMsecs, true);
    reader.feed(content);
    return reader.finish();
}

// Read, not mapped: a file cut short by another program meanwhile must not
// take this one down.
StatusCsv::Replay StatusCsv::readFile(const QString& path, qint64 nowMsecs, bool keepRows) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {0, {}, 0, file.errorString(), {}, 0, {}};
    }
    if (file.size() == 0) {
        return read({}, nowMsecs);
    }
    Reader reader(nowMsecs, keepRows);
    for (QByteArray piece = file.read(kPiece); !piece.isEmpty() && reader.feed(piece);
         piece = file.read(kPiece)) {
    }
    return reader.finish();
}
