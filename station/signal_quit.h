// SIGINT and SIGTERM end the program through its normal way out: the window's
// close, the agent's orderly stop.
#pragma once

#include <functional>

class QObject;

// Calls quit in context's thread when either signal arrives (safe from the
// handler: it only writes a byte to a pipe that the event loop watches).
void onTerminationSignals(QObject* context, std::function<void()> quit);
