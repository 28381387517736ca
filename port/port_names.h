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

// BRISCO_COM<number>, where set; it wins over the device chosen for the port.
QString environmentDevice(int number);
// The device chosen for "COM<number>" in the Ports dialog, kept in the
// user's settings; empty for none.
QString chosenDevice(int number);
void setChosenDevice(int number, const QString& name);
// The device behind "COM<number>": BRISCO_COM<number> where set, else the
// device chosen, else the number-th serial device of the system. A network
// line (tcp:// or rfc2217://) is taken on every system, a malformed one too,
// so that opening it says what is wrong.
QString deviceNameFor(int number);

} // namespace brisco::port
