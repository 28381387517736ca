#include "record/status_recorder.h"

#include "display/text_forms.h"

#include <QLocale>

#include <cerrno>
#include <cstring>
#include <tuple>
#include <unistd.h>

using namespace brisco;

namespace {

QByteArray number(double value) {
    return display::decimalText(value, QLocale::c()).toLatin1();
}

QByteArray fault(const char* which, display::Sensor sensor) {
    switch (sensor) {
    case display::Sensor::Open:
        return QByteArray(which) + " open";
    case display::Sensor::Short:
        return QByteArray(which) + " short";
    case display::Sensor::Ok:
        break;
    }
    return {};
}

} // namespace

QByteArray StatusRecorder::header() {
    QByteArrayList columns{"Time"};
    for (const settings::SetPoint& setPoint : settings::setPoints()) {
        columns << QByteArray(setPoint.displayName).chopped(5); // without "_Text"
    }
    columns << "Temp1"
            << "Temp2"
            << "SensorFault"
            << "ControlTemp"
            << "TECcurrent"
            << "DCvoltage"
            << "IntFanSpeed"
            << "ExtFanSpeed";
    for (int lamp = 1; lamp <= display::kLampCount; ++lamp) {
        columns << "StatusBox" + QByteArray::number(lamp);
    }
    return columns.join(',') + '\n';
}

QByteArray StatusRecorder::row(const QDateTime& at, const display::StatusValues& values) {
    QByteArrayList cells{at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1()};
    for (const double setPoint : values.setPoints) {
        cells << number(setPoint);
    }
    QByteArrayList faults;
    for (const auto& [which, sensor, temp] :
         {std::tuple("inner", values.innerSensor, values.innerTemp),
          std::tuple("outer", values.outerSensor, values.outerTemp)}) {
        cells << (temp ? number(*temp) : QByteArray());
        if (sensor != display::Sensor::Ok) {
            faults << fault(which, sensor);
        }
    }
    cells << faults.join(' ') << number(values.controlTemp) << number(values.tecCurrent)
          << number(values.dcVoltage) << QByteArray::number(values.innerFanReading)
          << QByteArray::number(values.outerFanReading);
    for (const int code : values.lampCodes) {
        cells << QByteArray::number(code);
    }
    return cells.join(',') + '\n';
}

bool StatusRecorder::start(const QString& path, QString* error) {
    stop();
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = m_file.errorString();
        return false;
    }
    return writeLine(header(), error);
}

bool StatusRecorder::record(const QDateTime& at, const display::StatusValues& values,
                            QString* error) {
    if (!writeLine(row(at, values), error)) {
        return false;
    }
    ++m_rows;
    return true;
}

void StatusRecorder::stop() {
    m_file.close();
    m_rows = 0;
}

// Down to the disk, not only to the system's cache (a file that cannot be
// synchronised, such as a pipe, is taken as written once flushed).
bool StatusRecorder::writeLine(const QByteArray& line, QString* error) {
    if (m_file.write(line) != line.size() || !m_file.flush()) {
        *error = m_file.errorString();
        m_file.close();
        return false;
    }
    if (::fsync(m_file.handle()) != 0 && errno != EINVAL) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        m_file.close();
        return false;
    }
    return true;
}
