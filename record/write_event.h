// What a parameter write frame sends, told as an event: which value, what
// the window showed of it before, and the value sent, read back from the
// frame's own bytes.
#pragma once

#include "record/session_event.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

// The text of a display box, and the state of a check box, by objectName.
using ShownText = std::function<QString(const char* name)>;
using ShownChecked = std::function<bool(const char* name)>;

// Nothing for a frame that is no parameter write. The event's time is left
// for the caller. The bus address and the analog value have no display box
// of their own: their "from" stays empty.
std::optional<SessionEvent> describeWrite(std::span<const std::uint8_t> frame,
                                          const ShownText& shownText,
                                          const ShownChecked& shownChecked);
