// The 22 indicator lamps by group, with the caption beside each: one table
// for the main window's layout, the recording's lamp columns and the event log.
#pragma once

#include <QString>

#include <span>

namespace brisco::display {

struct LampRow {
    int number; // StatusBoxN
    const char* caption;
};

// Top to bottom within their groups.
std::span<const LampRow> workingStateLamps();
std::span<const LampRow> alertLamps();

inline constexpr const char* kWorkingStateGroup = "Working state";
inline constexpr const char* kAlertsGroup = "Alerts";

// What an operator calls lamp StatusBoxN: its caption, and its group as well
// where the caption stands in both groups ("Inner fan (Alerts)").
QString lampTitle(int number);

// A lamp colour code as a word: "off", "green", "red", "yellow".
QString lampColourWord(int code);

} // namespace brisco::display
