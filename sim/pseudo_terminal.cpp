#include "sim/pseudo_terminal.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace brisco::sim {

PseudoTerminal::PseudoTerminal(QObject* parent)
    : QObject(parent) {}

PseudoTerminal::~PseudoTerminal() {
    // The notifiers must let go of the descriptors before they are closed.
    delete m_readNotifier;
    delete m_writeNotifier;
    delete m_closeNotifier;
    for (const int fd : {m_closeWatch, m_slave, m_master}) {
        if (fd >= 0)
            ::close(fd);
    }
}

bool PseudoTerminal::open(QString* error) {
    // Each step succeeds or says which one failed and why.
    const auto check = [error](bool ok, const char* what) {
        if (!ok)
            *error =
                QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
        return ok;
    };
    char name[256] = {};
    termios settings{};
    // Non-blocking from the start: glibc hands the flags on to open.
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (!check(m_master >= 0, "posix_openpt") ||
        !check(::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0, "grantpt/unlockpt") ||
        !check(::ptsname_r(m_master, name, sizeof name) == 0, "ptsname_r"))
        return false;
    m_slavePath = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (!check(m_slave >= 0, "open slave") ||
        !check(::tcgetattr(m_slave, &settings) == 0, "tcgetattr"))
        return false;
    ::cfmakeraw(&settings);
    // A pseudo-terminal has no baud rate; set for whoever looks, like a real port.
    ::cfsetispeed(&settings, B9600);
    ::cfsetospeed(&settings, B9600);
    if (!check(::tcsetattr(m_slave, TCSANOW, &settings) == 0, "tcsetattr"))
        return false;

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PseudoTerminal::readAvailable);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PseudoTerminal::writePending);
    watchClients();
    return true;
}

void PseudoTerminal::write(const QByteArray& bytes) {
    m_outgoing.append(bytes);
    writePending();
}

void PseudoTerminal::readAvailable() {
    QByteArray bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(m_master, buffer, sizeof buffer);
        if (count > 0) {
            bytes.append(buffer, count);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        // EAGAIN: drained. EIO or end of file means no slave is open, which
        // our own slave descriptor should prevent; wait a little rather than spin.
        if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            m_readNotifier->setEnabled(false);
            QTimer::singleShot(100, m_readNotifier, [this] { m_readNotifier->setEnabled(true); });
        }
        break;
    }
    if (!bytes.isEmpty())
        emit received(bytes);
}

void PseudoTerminal::writePending() {
    while (!m_outgoing.isEmpty()) {
        const ssize_t count = ::write(m_master, m_outgoing.constData(), m_outgoing.size());
        if (count > 0) {
            m_outgoing.remove(0, count);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        // The terminal is gone; what was meant for it is lost, as on a cut line.
        if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            m_outgoing.clear();
        break;
    }
    if (m_writeNotifier != nullptr)
        m_writeNotifier->setEnabled(!m_outgoing.isEmpty());
}

void PseudoTerminal::watchClients() {
    // Without the watch a crashed client can lock out the next one, which is
    // an inconvenience, not a reason to refuse service.
    m_closeWatch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_closeWatch < 0 ||
        ::inotify_add_watch(m_closeWatch, QFile::encodeName(m_slavePath).constData(), IN_CLOSE) < 0)
        return;
    m_closeNotifier = new QSocketNotifier(m_closeWatch, QSocketNotifier::Read, this);
    connect(m_closeNotifier, &QSocketNotifier::activated, this,
            &PseudoTerminal::releaseExclusiveMode);
}

void PseudoTerminal::releaseExclusiveMode() {
    char events[4096];
    while (::read(m_closeWatch, events, sizeof events) > 0) {
    }
    // Exclusive mode (TIOCEXCL) belongs to the terminal, which lives on in
    // our own slave descriptor: a client that died without clearing it
    // would lock every later one out.
    ::ioctl(m_slave, TIOCNXCL);
}

} // namespace brisco::sim
