// The controller's parameter memory: user set-points, factory values, bus
// address and analog value, each held in its line encoding.
#pragma once

#include "sim/frames.h"
#include "sim/status_fields.h"

#include <QByteArrayView>

#include <array>

namespace brisco::sim {

namespace parameter {
inline constexpr quint8 TECcoolStart = 0;
inline constexpr quint8 TECcoolStop = 1;
inline constexpr quint8 TECheatStart = 2;
inline constexpr quint8 TECheatStop = 3;
inline constexpr quint8 IntFanPulse = 4;
inline constexpr quint8 IntFanLowS = 5;
inline constexpr quint8 IntFanHighS = 7;
inline constexpr quint8 ExtFanPulse = 9;
inline constexpr quint8 ExtFanHighS = 10;
inline constexpr quint8 TempMax = 12;
inline constexpr quint8 TempMin = 13;
inline constexpr quint8 TECcurrL = 14;
inline constexpr quint8 TECcurrH = 15;
inline constexpr quint8 DCVlow = 16;
inline constexpr quint8 DCVlowOffset = 17;
inline constexpr quint8 DCVhigh = 18;
inline constexpr quint8 DCVhighOffset = 19;
inline constexpr quint8 Ver = 20;
inline constexpr quint8 Temp1Calib = 22;
inline constexpr quint8 Temp2Calib = 23;
inline constexpr quint8 DCVcalib = 24;
inline constexpr quint8 TECcurrCalib = 25;
inline constexpr quint8 CoolingOnly = 26;
inline constexpr quint8 H_Fan = 27;
inline constexpr quint8 BusAddress = 28;
inline constexpr quint8 AnalogValue = 50;
} // namespace parameter

class Parameters {
public:
    explicit Parameters(quint8 busAddress = 1);

    // Stores values under number, number + 1, ...; refused (false, nothing
    // stored) when they do not all fall inside one block (0..15, 16..27, 28,
    // 50) or when they would set the bus address to the broadcast address.
    bool write(quint8 number, QByteArrayView values);

    // Parameters 0..27.
    quint8 byte(quint8 number) const;
    // The two-byte parameter starting at number, high byte first.
    quint16 word(quint8 number) const;

    SetPoints setPoints() const;
    FactoryValues factoryValues() const;
    quint8 busAddress() const { return m_busAddress; }
    quint8 analogValue() const { return m_analogValue; }

private:
    void setWord(quint8 number, quint16 value);

    static constexpr int kStoredCount = kSetPointCount + kFactoryValueCount;

    std::array<quint8, kStoredCount> m_bytes{};
    quint8 m_busAddress;
    quint8 m_analogValue;
};

} // namespace brisco::sim
