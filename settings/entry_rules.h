// What an entry box's text means for the checks and the writes: range
// checks, the new bus address, and the parameter write of a set-point.
#pragma once

#include "protocol/frames.h"
#include "settings/setpoint_table.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace brisco::settings {

// What the operator is told of an entry; each ends in a full-width "！".
inline const QString kDataError = QStringLiteral("Data error！");
inline const QString kNoData = QStringLiteral("No data！");
inline const QString kFactoryDataError = QStringLiteral("数据错误！");

inline constexpr Range kAnalogTempRange{-40, 80, RangeForm::Decimal};
inline constexpr Range kHydrogenPeriodRange{0, 100, RangeForm::Decimal};

// The number read from text lies within the bounds; in the whole form it is
// rounded half to even first. (A number too large for a 16-bit integer lies
// outside every whole range.)
bool withinRange(const Range& range, const QString& text);
bool withinRange(const Range& range, double value);

// The rule of the address entry as it is typed: 0, no number, or above 20 is
// refused (a negative number passes here and is refused when sent).
bool addressEntryAccepted(const QString& text);

// The bus address to write: the number rounded half to even, when it lies in
// 1..20. Nothing else is ever written, least of all 0, the broadcast address.
std::optional<std::uint8_t> newBusAddress(const QString& text);

// The parameter write of a set-point's entry text, or nothing when its value
// does not fit the bytes of the set-point.
std::optional<protocol::Frame> setPointWrite(const SetPoint& setPoint, const QString& entry,
                                             std::uint8_t address);

} // namespace brisco::settings
