// The 30 data bytes of a status reply, field by field, already encoded.
#pragma once

#include <QByteArray>

#include <array>

namespace brisco::sim {

inline constexpr int kSetPointCount = 16;

namespace work_state {
inline constexpr quint8 InnerFan = 0x01;
inline constexpr quint8 OuterFan = 0x02;
inline constexpr quint8 Cooling = 0x04;
inline constexpr quint8 Heating = 0x08;
inline constexpr quint8 Hydrogen = 0x10;
inline constexpr quint8 SelfTest = 0x20;
} // namespace work_state

namespace alarm_a {
inline constexpr quint8 General = 0x01;
} // namespace alarm_a

namespace alarm_b {
inline constexpr quint8 HighTemp = 0x01;
} // namespace alarm_b

struct StatusFields {
    // Parameters 0..15 as stored, offsets 5..20.
    std::array<quint8, kSetPointCount> setPoints{};
    quint8 WorkState = 0;
    quint8 AlarmA = 0;
    quint8 AlarmB = 0;
    quint8 Inputs = 0;
    quint8 Temp1 = 0;
    quint8 Temp2 = 0;
    quint8 ControlTemp = 0;
    quint8 TECcurrent = 0;
    quint16 DCvoltage = 0;
    quint16 IntFanSpeed = 0;
    quint16 ExtFanSpeed = 0;

    QByteArray toReply(quint8 address) const;
};

} // namespace brisco::sim
