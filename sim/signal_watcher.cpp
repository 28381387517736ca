#include "sim/signal_watcher.h"

#include <QSocketNotifier>
#include <QString>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace brisco::sim {

namespace {

// A signal handler can reach no object; it writes the signal number into this
// socket pair, whose other end the event loop watches.
std::array<int, 2> g_signalSockets = {-1, -1};

constexpr int kSignals[] = {SIGINT, SIGTERM};

void onSignal(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_signalSockets[0], &byte, 1);
    errno = savedErrno;
}

} // namespace

SignalWatcher::SignalWatcher(QObject* parent)
    : QObject(parent) {}

SignalWatcher::~SignalWatcher() {
    if (m_notifier == nullptr)
        return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (const int signalNumber : kSignals)
        ::sigaction(signalNumber, &action, nullptr);
    delete m_notifier;
    for (int& socket : g_signalSockets) {
        ::close(socket);
        socket = -1;
    }
}

bool SignalWatcher::install(QString* error) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalSockets.data()) != 0) {
        *error = QStringLiteral("socketpair: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_notifier = new QSocketNotifier(g_signalSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::readSignal);

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kSignals) {
        if (::sigaction(signalNumber, &action, nullptr) != 0) {
            *error =
                QStringLiteral("sigaction: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
    }
    return true;
}

void SignalWatcher::readSignal() {
    unsigned char byte = 0;
    if (::read(g_signalSockets[1], &byte, 1) == 1)
        emit terminationRequested(byte);
}

} // namespace brisco::sim
