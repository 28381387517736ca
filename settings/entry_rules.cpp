#include "settings/entry_rules.h"

#include "settings/number_reading.h"

namespace brisco::settings {

namespace {

constexpr int kHighestAddress = 20;

} // namespace

bool withinRange(const Range& range, const QString& text) {
    return withinRange(range, readNumber(text));
}

bool withinRange(const Range& range, double value) {
    if (range.form == RangeForm::Whole) {
        value = protocol::roundHalfEven(value);
    }
    return value >= range.minimum && value <= range.maximum;
}

bool addressEntryAccepted(const QString& text) {
    const double value = readNumber(text);
    return value != 0 && value <= kHighestAddress;
}

std::optional<std::uint8_t> newBusAddress(const QString& text) {
    const double value = protocol::roundHalfEven(readNumber(text));
    if (!(value >= 1 && value <= kHighestAddress)) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

std::optional<protocol::Frame> setPointWrite(const SetPoint& setPoint, const QString& entry,
                                             std::uint8_t address) {
    return protocol::buildParameterWrite(address, static_cast<std::uint8_t>(setPoint.parameter),
                                         setPoint.encoding, readNumber(entry));
}

} // namespace brisco::settings
