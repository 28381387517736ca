// The thirteen user set-points: one table for the layout, the decoding of the
// status reply, "Copy set", the sender and the entry checks.
#pragma once

#include "protocol/frames.h"

#include <array>

namespace brisco::settings {

// How an entry is compared with its range: as read, or rounded to a whole
// number first.
enum class RangeForm { Decimal, Whole };

struct SetPoint {
    int parameter;           // parameter number; a two-byte value also takes the next one
    const char* group;       // caption of the group frame that holds the pair
    const char* label;       // caption beside the two boxes
    const char* entryName;   // the operator's new value
    const char* displayName; // the controller's current value
    protocol::Encoding encoding;
    double minimum;
    double maximum;
    RangeForm form;

    int width() const { return encoding == protocol::Encoding::Word16 ? 2 : 1; }
};

inline constexpr int kSetPointCount = 13;

// In parameter order, which is also the order of the status reply's bytes.
const std::array<SetPoint, kSetPointCount>& setPoints();

// The set-point with this entry or display box name, or nullptr.
const SetPoint* findSetPoint(const char* boxName);

} // namespace brisco::settings
