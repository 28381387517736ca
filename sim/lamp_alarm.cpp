#include "sim/lamp_alarm.h"

#include <QStringList>

#include <cmath>

namespace brisco::sim {

namespace {

struct NamedLamp {
    const char* name;
    quint8 StatusFields::*field;
    quint8 bit;
};

// The red lamps: alarm bytes A (offset 22) and B (23), and the inputs (24).
constexpr NamedLamp kLamps[] = {
    {"general", &StatusFields::AlarmA, 0x01},     {"sensor", &StatusFields::AlarmA, 0x02},
    {"inner-fan", &StatusFields::AlarmA, 0x10},   {"outer-fan", &StatusFields::AlarmA, 0x20},
    {"low-current", &StatusFields::AlarmA, 0x40}, {"high-current", &StatusFields::AlarmA, 0x80},
    {"high-temp", &StatusFields::AlarmB, 0x01},   {"low-temp", &StatusFields::AlarmB, 0x02},
    {"dc-low", &StatusFields::AlarmB, 0x04},      {"dc-high", &StatusFields::AlarmB, 0x08},
    {"ac-dump", &StatusFields::AlarmB, 0x40},     {"switch-4", &StatusFields::Inputs, 0x01},
    {"switch-3", &StatusFields::Inputs, 0x02},    {"entrance-guard", &StatusFields::Inputs, 0x04},
};

} // namespace

std::optional<LampAlarm> parseLampAlarm(const QString& text) {
    const qsizetype colon = text.indexOf(u':');
    const qsizetype at = text.indexOf(u'@', colon + 1);
    bool ok = false;
    LampAlarm alarm;
    const uint address = text.first(qMax<qsizetype>(colon, 0)).toUInt(&ok);
    if (!ok || address < 1 || address > 255) {
        return std::nullopt;
    }
    alarm.address = static_cast<quint8>(address);
    if (at >= 0) {
        alarm.fromSeconds = text.mid(at + 1).toDouble(&ok);
        if (!ok || !std::isfinite(alarm.fromSeconds) || alarm.fromSeconds < 0.0) {
            return std::nullopt;
        }
    }
    const QString name = text.mid(colon + 1, at < 0 ? -1 : at - colon - 1);
    for (const NamedLamp& lamp : kLamps) {
        if (name == QLatin1String(lamp.name)) {
            alarm.field = lamp.field;
            alarm.bit = lamp.bit;
            return alarm;
        }
    }
    return std::nullopt;
}

QString lampAlarmNames() {
    QStringList names;
    for (const NamedLamp& lamp : kLamps) {
        names << QLatin1String(lamp.name);
    }
    return names.join(QStringLiteral(", "));
}

void applyLampAlarm(const LampAlarm& alarm, StatusFields& fields, double now) {
    if (now >= alarm.fromSeconds) {
        fields.*alarm.field |= alarm.bit;
    }
}

} // namespace brisco::sim
