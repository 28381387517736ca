// Sliding average of the last fifteen fan-speed readings of both fans.
#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace brisco::display {

class FanSpeed {
public:
    static constexpr int kWindow = 15;

    struct Shown {
        QString inner;
        QString outer;
    };

    // Stores one reading of each fan (high byte first) and returns the texts
    // of both averages: the whole number after one blank.
    Shown update(std::uint8_t innerHigh, std::uint8_t innerLow, std::uint8_t outerHigh,
                 std::uint8_t outerLow);

    // The next reading goes to slot 0 again.
    void resetPointer() { m_FanSpeedPointer = 0; }
    // No reading kept: another controller's fans are measured from now on.
    void clear() { *this = FanSpeed(); }

private:
    // Readings are unsigned 16-bit for both fans, so a fast fan never shows
    // as a negative speed.
    std::array<std::uint16_t, 20> m_IntFanSample{};
    std::array<std::uint16_t, 20> m_ExtFanSample{};
    int m_FanSpeedPointer = 0;
    int m_FanSpeedNumber = 0;
};

} // namespace brisco::display
