// SIGINT and SIGTERM end the program through the window's normal close.
#pragma once

class QWidget;

// Closes the window when either signal arrives (safe from the handler: it
// only writes a byte to a pipe that the event loop watches).
void closeOnTerminationSignals(QWidget* window);
