// Which lamps of each controller on the line are red, from its status
// replies: it tells once when a lamp turns red and once when it goes back,
// never again for the next reply that shows the same. A controller seen for
// the first time with a red lamp brings news of it.
#pragma once

#include "display/status_values.h"

#include <QMap>
#include <QObject>
#include <QString>

#include <cstdint>

namespace brisco::station {

struct LampAlarm {
    std::uint8_t address = 0;
    QString model; // as its device information says; empty while unknown
    int lamp = 0;  // StatusBoxN

    // "Alarm on controller 7 (TEC-60)"
    QString summary() const;
    // "High temp (Alerts) turned red"
    QString body() const;
    // Both on one line, for those who read or hear one.
    QString text() const;
};

class AlarmWatch : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // A verified status reply of the controller at address.
    void statusDecoded(std::uint8_t address, const QString& model,
                       const brisco::display::StatusValues& values);
    // Every lamp red so far goes back, so that the next reply that shows it
    // red brings news again: for a line opened anew, which may lead to other
    // controllers at the same addresses.
    void forget();

signals:
    void raised(const brisco::station::LampAlarm& alarm);
    void cleared(const brisco::station::LampAlarm& alarm);

private:
    struct Red {
        QString model;
        std::uint32_t lamps = 0; // bit n-1: StatusBoxN
    };

    // Only controllers with a red lamp, so at most the 20 addresses of the
    // bus and the one followed.
    QMap<std::uint8_t, Red> m_red;
};

} // namespace brisco::station
