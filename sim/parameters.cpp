#include "sim/parameters.h"

#include "sim/encoding.h"

#include <algorithm>

namespace brisco::sim {

namespace {

struct Block {
    int first;
    int last;
};

constexpr Block kBlocks[] = {
    {0, kSetPointCount - 1},
    {kSetPointCount, kSetPointCount + kFactoryValueCount - 1},
    {parameter::BusAddress, parameter::BusAddress},
    {parameter::AnalogValue, parameter::AnalogValue},
};

bool insideOneBlock(int first, int last) {
    for (const Block& block : kBlocks) {
        if (first >= block.first && last <= block.last)
            return true;
    }
    return false;
}

} // namespace

Parameters::Parameters(quint8 busAddress)
    : m_busAddress(busAddress)
    , m_analogValue(encoding::measuredByte(25.0)) {
    using namespace parameter;
    using encoding::setPointByte;
    using encoding::tenthsByte;
    m_bytes[TECcoolStart] = setPointByte(35);
    m_bytes[TECcoolStop] = setPointByte(30);
    m_bytes[TECheatStart] = setPointByte(5);
    m_bytes[TECheatStop] = setPointByte(15);
    m_bytes[IntFanPulse] = 2;
    setWord(IntFanLowS, 1500);
    setWord(IntFanHighS, 3000);
    m_bytes[ExtFanPulse] = 2;
    setWord(ExtFanHighS, 3000);
    m_bytes[TempMax] = setPointByte(55);
    m_bytes[TempMin] = setPointByte(-10);
    m_bytes[TECcurrL] = tenthsByte(1.0);
    m_bytes[TECcurrH] = tenthsByte(10.0);
    // Limits of a 48 V supply in volts, offsets as the hysteresis in volts.
    m_bytes[DCVlow] = 42;
    m_bytes[DCVlowOffset] = 2;
    m_bytes[DCVhigh] = 58;
    m_bytes[DCVhighOffset] = 2;
    m_bytes[Ver] = '1';
    m_bytes[Ver + 1] = '0';
    m_bytes[Temp1Calib] = 100;
    m_bytes[Temp2Calib] = 100;
    m_bytes[DCVcalib] = 100;
    m_bytes[TECcurrCalib] = 100;
    m_bytes[CoolingOnly] = 0;
    m_bytes[H_Fan] = 30;
}

bool Parameters::write(quint8 number, QByteArrayView values) {
    if (values.isEmpty() || !insideOneBlock(number, number + int(values.size()) - 1))
        return false;
    const auto first = static_cast<quint8>(values[0]);
    if (number == parameter::BusAddress) {
        if (first == kBroadcastAddress)
            return false;
        m_busAddress = first;
        return true;
    }
    if (number == parameter::AnalogValue) {
        m_analogValue = first;
        return true;
    }
    for (qsizetype i = 0; i < values.size(); ++i)
        m_bytes[number + i] = static_cast<quint8>(values[i]);
    return true;
}

quint8 Parameters::byte(quint8 number) const {
    Q_ASSERT(number < kStoredCount);
    return m_bytes[number];
}

quint16 Parameters::word(quint8 number) const {
    Q_ASSERT(number + 1 < kStoredCount);
    return static_cast<quint16>(m_bytes[number] << 8 | m_bytes[number + 1]);
}

void Parameters::setWord(quint8 number, quint16 value) {
    m_bytes[number] = static_cast<quint8>(value >> 8);
    m_bytes[number + 1] = static_cast<quint8>(value & 0xFF);
}

SetPoints Parameters::setPoints() const {
    SetPoints setPoints;
    std::copy_n(m_bytes.begin(), kSetPointCount, setPoints.begin());
    return setPoints;
}

FactoryValues Parameters::factoryValues() const {
    FactoryValues values;
    std::copy_n(m_bytes.begin() + kSetPointCount, kFactoryValueCount, values.begin());
    return values;
}

} // namespace brisco::sim
