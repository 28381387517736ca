#include "display/status_decoder.h"

#include "display/text_forms.h"

namespace brisco::display {

namespace {

using protocol::Encoding;

struct LampBit {
    int offset;
    int bit;
    int lamp;    // 1-based StatusBox number
    int setCode; // code when the bit is set
    bool clears; // a clear bit turns the lamp white (else leaves it)
};

// In assignment order: a fan alarm lamp is lit by either alarm byte.
constexpr std::array<LampBit, 22> kLampBits{{
    {21, 0, 1, kGreen, true}, {21, 1, 2, kGreen, true}, {21, 2, 3, kGreen, true},
    {21, 3, 4, kGreen, true}, {21, 4, 5, kGreen, true}, {21, 5, 6, kYellow, true},
    {22, 0, 7, kRed, true},   {22, 1, 8, kRed, true},   {22, 4, 9, kRed, true},
    {22, 5, 10, kRed, true},  {22, 6, 11, kRed, true},  {22, 7, 12, kRed, true},
    {23, 0, 13, kRed, true},  {23, 1, 14, kRed, true},  {23, 2, 15, kRed, true},
    {23, 3, 16, kRed, true},  {23, 4, 9, kRed, false},  {23, 5, 10, kRed, false},
    {23, 6, 17, kRed, true},  {24, 0, 22, kRed, true},  {24, 1, 21, kRed, true},
    {24, 2, 20, kRed, true},
}};

QString setPointText(const settings::SetPoint& setPoint, std::span<const std::uint8_t, 36> reply,
                     const QLocale& locale) {
    const double value = setPointValue(setPoint, reply);
    if (setPoint.encoding == Encoding::Times10) {
        return decimalText(value, locale);
    }
    return integerText(static_cast<qint64>(value));
}

double halfDegrees(std::uint8_t byte) {
    return (byte - 80) / 2.0;
}

} // namespace

double setPointValue(const settings::SetPoint& setPoint, std::span<const std::uint8_t, 36> reply) {
    const auto offset = static_cast<std::size_t>(5 + setPoint.parameter);
    const int b = reply[offset];
    switch (setPoint.encoding) {
    case Encoding::Plus40:
        return b - 40;
    case Encoding::Times10:
        return b / 10.0;
    case Encoding::Word16:
        return b * 256 + reply[offset + 1];
    case Encoding::Plain:
    case Encoding::HalfDegree:
        break;
    }
    return b;
}

QString sensorText(std::uint8_t byte, const QLocale& locale) {
    if (byte == 254) {
        return QStringLiteral("Open");
    }
    if (byte == 255) {
        return QStringLiteral("Short");
    }
    return decimalText(halfDegrees(byte), locale);
}

StatusDisplay decodeStatus(std::span<const std::uint8_t, 36> reply, const QLocale& locale) {
    StatusDisplay shown;
    for (const settings::SetPoint& setPoint : settings::setPoints()) {
        shown.fields.append({setPoint.displayName, setPointText(setPoint, reply, locale)});
    }

    shown.lampCodes.fill(kLampUnchanged);
    for (const LampBit& lamp : kLampBits) {
        const bool set = (reply[static_cast<std::size_t>(lamp.offset)] >> lamp.bit) & 1;
        int& code = shown.lampCodes[static_cast<std::size_t>(lamp.lamp - 1)];
        if (set) {
            code = lamp.setCode;
        } else if (lamp.clears) {
            code = kWhite;
        }
    }

    shown.fields.append({"Temp1_Text", sensorText(reply[25], locale)});
    shown.fields.append({"Temp2_Text", sensorText(reply[26], locale)});
    shown.fields.append({"ControlTemp_Text", decimalText(halfDegrees(reply[27]), locale)});
    shown.fields.append({"TECcurrent_Text", decimalText(reply[28] / 10.0, locale)});
    shown.fields.append(
        {"DCvoltage_Text", decimalText((reply[29] * 256 + reply[30]) / 10.0, locale)});

    shown.innerFanHigh = reply[31];
    shown.innerFanLow = reply[32];
    shown.outerFanHigh = reply[33];
    shown.outerFanLow = reply[34];
    return shown;
}

} // namespace brisco::display
