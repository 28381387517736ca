// The thirteen user set-points: one table for the layout, the decoding of the
// status reply, "Copy set", the sender and the entry checks.
#pragma once

#include "protocol/frames.h"

#include <array>

namespace brisco::settings {

// How an entry is compared with its range: as read, or rounded to a whole
// number first.
enum class RangeForm { Decimal, Whole };

// Bounds of an entry check, inclusive.
struct Range {
    double minimum;
    double maximum;
    RangeForm form;
};

struct SetPoint {
    int parameter;           // parameter number; a two-byte value also takes the next one
    const char* group;       // caption of the group frame that holds the pair
    const char* label;       // caption beside the two boxes
    const char* entryName;   // the operator's new value
    const char* displayName; // the controller's current value
    protocol::Encoding encoding;
    Range range;

    int width() const { return encoding == protocol::Encoding::Word16 ? 2 : 1; }
};

inline constexpr int kSetPointCount = 13;

// In parameter order, which is also the order of the status reply's bytes.
const std::array<SetPoint, kSetPointCount>& setPoints();

// The set-point sent under this parameter number; nullptr for the low bytes
// of the two-byte set-points (6, 8, 11) and for numbers outside 0..15.
const SetPoint* setPointAt(int parameter);

} // namespace brisco::settings
