// Which device stands behind "COM1" to "COM3" on this system.
#pragma once

#include <QString>
#include <QStringList>

namespace brisco::port {

// USB adapters (ttyUSB*, ttyACM*) first, then the others, each in name order.
QStringList orderSerialDevices(QStringList devicePaths);

// The device for "COM<number>": on Windows the port of that name; elsewhere
// the override (BRISCO_COM<number>) when set, else the number-th of the
// ordered devices. Empty when there is none.
QString devicePathFor(int number, const QString& override, const QStringList& orderedDevices);

} // namespace brisco::port
