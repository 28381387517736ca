// One thing that happened in a session: a lamp that changed colour, the link
// going stale or coming back, the port opened, closed or lost, a value the
// operator sent to the controller.
#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>

struct SessionEvent {
    QDateTime at;
    QString what; // "Lamp High temp", "Link", "Port COM1", "Sent Bus address" …
    QString from; // the state or value before, empty where none is known
    QString to;
    // The controller it concerns (1..20); 0 for the line as a whole.
    std::uint8_t address = 0;
};
