// Sanitized test programs look for leaks as soon as main has returned, before
// the static objects of the libraries are destroyed. Qt's D-Bus connection
// thread is stopped by one of those and may still be finishing when the usual
// check at the very end runs; its thread data, then held only by that
// thread's own storage, would be reported as leaked now and then.
#include <QCoreApplication>

#include <cstdlib>

#include <sanitizer/lsan_interface.h>

namespace {

void checkForLeaks() {
    // Ends the process on a leak, and replaces the check at the very end.
    __lsan_do_leak_check();
}

// Exit handlers run in the reverse order of their registration: registered
// while the application object ends, after the D-Bus thread was started,
// the check runs before that thread is stopped.
void registerCheck() {
    std::atexit(checkForLeaks);
}

const bool registered = (qAddPostRoutine(registerCheck), true);

} // namespace
