// What the name of the device behind a port stands for: a serial device, or
// a line to a serial device server over the network, raw TCP
// ("tcp://HOST:PORT") or telnet with COM port control, RFC 2217
// ("rfc2217://HOST:PORT").
#pragma once

#include <QString>

namespace brisco::port {

enum class LineKind { Serial, RawTcp, Rfc2217 };

struct LineName {
    LineKind kind = LineKind::Serial;
    QString host; // a network line's host name or address, an IPv6 address without brackets
    quint16 port = 0;
    // What is wrong with a network line's name, naming it, for the operator;
    // nothing is opened then.
    QString error;
};

// Anything that does not look like a network line ("KIND://…") is a serial
// device path, taken as it stands.
LineName parseLineName(const QString& name);

// The name of a network line, as parseLineName reads it (and checks).
QString networkLineName(LineKind kind, const QString& host, const QString& port);

} // namespace brisco::port
