#include "display/fan_speed.h"

#include "display/text_forms.h"

namespace brisco::display {

namespace {

QString averageText(const std::array<std::uint16_t, 20>& samples, int count) {
    qint64 sum = 0;
    for (int i = 0; i < FanSpeed::kWindow; ++i) {
        sum += samples[static_cast<std::size_t>(i)];
    }
    // Unwritten slots hold 0, so during the first readings this is the mean
    // of those received; the sum is never negative, so division floors.
    return u' ' + integerText(sum / count);
}

} // namespace

FanSpeed::Shown FanSpeed::update(std::uint8_t innerHigh, std::uint8_t innerLow,
                                 std::uint8_t outerHigh, std::uint8_t outerLow) {
    const auto slot = static_cast<std::size_t>(m_FanSpeedPointer);
    m_IntFanSample[slot] = static_cast<std::uint16_t>(innerHigh * 256 + innerLow);
    m_ExtFanSample[slot] = static_cast<std::uint16_t>(outerHigh * 256 + outerLow);
    if (++m_FanSpeedPointer >= kWindow) {
        m_FanSpeedPointer = 0;
    }
    if (++m_FanSpeedNumber > kWindow) {
        m_FanSpeedNumber = kWindow;
    }
    return {averageText(m_IntFanSample, m_FanSpeedNumber),
            averageText(m_ExtFanSample, m_FanSpeedNumber)};
}

} // namespace brisco::display
