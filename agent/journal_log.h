// The agent's log: one line per event on standard error, no colour codes.
// Under systemd the line starts with its priority as <N>, which the journal
// takes for the entry's priority and removes; in a terminal it does not.
#pragma once

#include <QString>

#include <functional>

namespace brisco::agent {

enum class Priority { Error = 3, Warning = 4, Notice = 5, Info = 6 };

// The text as one line: control characters (a line break, an escape
// sequence of a controller's text) shown as "?".
QString oneLine(const QString& text);

void logLine(Priority priority, const QString& text);

// Where the lines go instead of standard error (a test's list); none for
// standard error again.
using LogHandler = std::function<void(Priority priority, const QString& text)>;
void setLogHandler(LogHandler handler);

} // namespace brisco::agent
