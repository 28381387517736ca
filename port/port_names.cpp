#include "port/port_names.h"

#include "port/line_name.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <QSettings>

#include <algorithm>

namespace brisco::port {

namespace {

bool isUsbAdapter(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return name.startsWith(QLatin1String("ttyUSB")) || name.startsWith(QLatin1String("ttyACM"));
}

// ttyUSB2 before ttyUSB10: digits compare by value.
bool naturalLess(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && a[ei].isDigit()) {
                ++ei;
            }
            while (ej < b.size() && b[ej].isDigit()) {
                ++ej;
            }
            const qulonglong na = a.mid(i, ei - i).toULongLong();
            const qulonglong nb = b.mid(j, ej - j).toULongLong();
            if (na != nb) {
                return na < nb;
            }
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j]) {
                return a[i] < b[j];
            }
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

QString settingsKey(int number) {
    return QStringLiteral("lines/COM%1").arg(number);
}

// The user's settings of the program, wherever the platform keeps them.
QSettings userSettings() {
    return QSettings(QStringLiteral("Brisco"), QStringLiteral("brisco"));
}

} // namespace

QStringList orderSerialDevices(QStringList devicePaths) {
    std::sort(devicePaths.begin(), devicePaths.end(), [](const QString& a, const QString& b) {
        const bool usbA = isUsbAdapter(a);
        const bool usbB = isUsbAdapter(b);
        if (usbA != usbB) {
            return usbA;
        }
        return naturalLess(a, b);
    });
    devicePaths.removeDuplicates();
    return devicePaths;
}

QString devicePathFor(int number, const QString& override, const QStringList& orderedDevices) {
#ifdef Q_OS_WIN
    Q_UNUSED(override);
    Q_UNUSED(orderedDevices);
    return QStringLiteral("COM%1").arg(number);
#else
    if (!override.isEmpty()) {
        return override;
    }
    if (number < 1 || number > orderedDevices.size()) {
        return {};
    }
    return orderedDevices.at(number - 1);
#endif
}

QString environmentDevice(int number) {
    return qEnvironmentVariable(qPrintable(QStringLiteral("BRISCO_COM%1").arg(number)));
}

QString chosenDevice(int number) {
    return userSettings().value(settingsKey(number)).toString();
}

void setChosenDevice(int number, const QString& name) {
    QSettings settings = userSettings();
    if (name.isEmpty()) {
        settings.remove(settingsKey(number));
    } else {
        settings.setValue(settingsKey(number), name);
    }
}

QString deviceNameFor(int number) {
    QString name = environmentDevice(number);
    if (name.isEmpty()) {
        name = chosenDevice(number);
    }
    const LineName line = parseLineName(name);
    if (line.kind != LineKind::Serial || !line.error.isEmpty()) {
        return name;
    }
    QStringList devices;
    if (name.isEmpty()) {
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
            devices.append(info.systemLocation());
        }
    }
    return devicePathFor(number, name, orderSerialDevices(devices));
}

} // namespace brisco::port
