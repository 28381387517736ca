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
constexpr int kFirstMeasured = 1 + settings::kSetPointCount;
constexpr int kFirstLamp = kFirstMeasured + int(kMeasuredColumns.size());
constexpr int kColumns = kFirstLamp + display::kLampCount;

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

QByteArrayList columnNames() {
    QByteArrayList names{kTimeColumn + QByteArray::number(StatusCsv::kFormat) + ')'};
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

// Reads one recording, line by line; the first fault ends it.
class Reader {
public:
    Reader(QByteArrayView content, qint64 now)
        : m_rest(content)
        , m_now(now) {}

    StatusCsv::Replay read();

private:
    bool nextLine(QByteArrayView* line);
    bool readHeader(QByteArrayView line);
    bool readRow(QByteArrayView line, StatusCsv::Row* row);
    bool readTime(QByteArrayView cell, StatusCsv::Row* row);
    bool readNumber(QByteArrayView cell, int column, double* value);
    bool readInteger(QByteArrayView cell, int column, int highest, int* value);
    bool readSensors(const std::array<QByteArrayView, kColumns>& cells, StatusValues* values);
    bool fail(const QString& what, int column = -1);

    QByteArrayView m_rest;
    qint64 m_now;
    qint64 m_line = 0;
    QByteArrayList m_names;
    StatusCsv::Replay m_replay;
};

StatusCsv::Replay Reader::read() {
    QByteArrayView line;
    if (!nextLine(&line) || !readHeader(line)) {
        return std::move(m_replay);
    }
    m_replay.rows.reserve(
        std::size_t(std::min<qsizetype>(m_rest.count('\n') + 1, StatusCsv::kMostRows)));
    while (nextLine(&line)) {
        if (line.isEmpty() && m_rest.isNull()) {
            break; // the last line's end
        }
        if (qsizetype(m_replay.rows.size()) == StatusCsv::kMostRows) {
            fail(QStringLiteral("more than %1 rows, a week of replies; Brisco replays no more")
                     .arg(StatusCsv::kMostRows));
            break;
        }
        StatusCsv::Row row;
        if (!readRow(line, &row)) {
            break;
        }
        m_replay.rows.push_back(row);
    }
    if (!m_replay.error.isEmpty()) {
        m_replay.rows = {};
    }
    return std::move(m_replay);
}

// False at the end of the content.
bool Reader::nextLine(QByteArrayView* line) {
    if (m_rest.isNull()) {
        return false;
    }
    ++m_line;
    const qsizetype end = m_rest.indexOf('\n');
    *line = end < 0 ? m_rest : m_rest.first(end);
    m_rest = end < 0 ? QByteArrayView() : m_rest.sliced(end + 1);
    if (line->endsWith('\r')) {
        line->chop(1);
    }
    return true;
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
                        .arg(QString::fromUtf8(columnNames().first())));
    }
    const QByteArrayView version = line.sliced(qsizetype(std::strlen(kTimeColumn)));
    int format = 0;
    const auto [end, error] = std::from_chars(version.begin(), version.end(), format);
    if (error == std::errc() && end != version.end() && *end == ')' &&
        format > StatusCsv::kFormat) {
        return fail(QStringLiteral("a recording of format %1, newer than this Brisco reads (%2)")
                        .arg(format)
                        .arg(StatusCsv::kFormat));
    }
    m_names = columnNames();
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
    m_replay.format = StatusCsv::kFormat;
    return true;
}

bool Reader::readRow(QByteArrayView line, StatusCsv::Row* row) {
    std::array<QByteArrayView, kColumns> cells;
    qsizetype count = 0;
    for (qsizetype start = 0;;) {
        const qsizetype comma = line.indexOf(',', start);
        const qsizetype end = comma < 0 ? line.size() : comma;
        if (count < kColumns) {
            cells[std::size_t(count)] = line.sliced(start, end - start);
        }
        ++count;
        if (comma < 0) {
            break;
        }
        start = comma + 1;
    }
    if (count != kColumns) {
        return fail(QStringLiteral("%1 values where a row has %2").arg(count).arg(kColumns));
    }
    if (!readTime(cells[0], row)) {
        return false;
    }
    StatusValues& values = row->values;
    for (int i = 0; i < settings::kSetPointCount; ++i) {
        if (!readNumber(cells[std::size_t(1 + i)], 1 + i, &values.setPoints[std::size_t(i)])) {
            return false;
        }
    }
    int column = kFirstMeasured + 3;
    for (double* value : {&values.controlTemp, &values.tecCurrent, &values.dcVoltage}) {
        if (!readNumber(cells[std::size_t(column)], column, value)) {
            return false;
        }
        ++column;
    }
    if (!readInteger(cells[std::size_t(column)], column, 65535, &values.innerFanReading) ||
        !readInteger(cells[std::size_t(column + 1)], column + 1, 65535, &values.outerFanReading)) {
        return false;
    }
    for (int i = 0; i < display::kLampCount; ++i) {
        if (!readInteger(cells[std::size_t(kFirstLamp + i)], kFirstLamp + i, display::kYellow,
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

bool Reader::readNumber(QByteArrayView cell, int column, double* value) {
    const auto [end, error] = std::from_chars(cell.begin(), cell.end(), *value);
    if (cell.isEmpty() || error != std::errc() || end != cell.end() || !std::isfinite(*value)) {
        return fail(QStringLiteral("\"%1\" is not a number").arg(quoted(cell)), column);
    }
    return true;
}

bool Reader::readInteger(QByteArrayView cell, int column, int highest, int* value) {
    const auto [end, error] = std::from_chars(cell.begin(), cell.end(), *value);
    if (cell.isEmpty() || error != std::errc() || end != cell.end() || *value < 0 ||
        *value > highest) {
        return fail(QStringLiteral("\"%1\" is not a whole number from 0 to %2")
                        .arg(quoted(cell))
                        .arg(highest),
                    column);
    }
    return true;
}

// The fault cell names the sensors whose temperature cells are empty.
bool Reader::readSensors(const std::array<QByteArrayView, kColumns>& cells, StatusValues* values) {
    const QByteArrayView fault = cells[kFirstMeasured + 2];
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
                    kFirstMeasured + 2);
    }
    int column = kFirstMeasured;
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
    return kBom + columnNames().join(',') + '\n';
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

QByteArray StatusCsv::row(const QDateTime& at, const StatusValues& values) {
    QByteArrayList cells{timeCell(at)};
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
        return {0, {}, QStringLiteral("line 1: the file is empty")};
    }
    return Reader(content, nowMsecs).read();
}

StatusCsv::Replay StatusCsv::readFile(const QString& path, qint64 nowMsecs) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {0, {}, file.errorString()};
    }
    // Read, not mapped: a file cut short by another program meanwhile must
    // not take this one down.
    return read(file.readAll(), nowMsecs);
}
