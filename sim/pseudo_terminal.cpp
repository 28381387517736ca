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

namespace {

constexpr int kResumeMs = 100;
constexpr int kReadChunk = 4096;

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PseudoTerminal::PseudoTerminal(QObject* parent)
    : QObject(parent)
    , m_resumeTimer(new QTimer(this)) {
    m_resumeTimer->setSingleShot(true);
    m_resumeTimer->setInterval(kResumeMs);
    connect(m_resumeTimer, &QTimer::timeout, this, [this] {
        if (m_readNotifier != nullptr)
            m_readNotifier->setEnabled(true);
    });
}

PseudoTerminal::~PseudoTerminal() {
    // The notifiers must let go of the descriptor before it is closed.
    delete m_readNotifier;
    delete m_writeNotifier;
    delete m_closeNotifier;
    if (m_closeWatch >= 0)
        ::close(m_closeWatch);
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool PseudoTerminal::open(QString* error) {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0) {
        *error = systemError("posix_openpt");
        return false;
    }
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        *error = systemError("grantpt/unlockpt");
        return false;
    }
    char name[256] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0) {
        *error = systemError("ptsname_r");
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0) {
        *error = systemError("open slave");
        return false;
    }
    termios settings{};
    if (::tcgetattr(m_slave, &settings) != 0) {
        *error = systemError("tcgetattr");
        return false;
    }
    ::cfmakeraw(&settings);
    // A pseudo-terminal has no baud rate; set for whoever looks, like a real port.
    ::cfsetispeed(&settings, B9600);
    ::cfsetospeed(&settings, B9600);
    if (::tcsetattr(m_slave, TCSANOW, &settings) != 0) {
        *error = systemError("tcsetattr");
        return false;
    }
    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0) {
        *error = systemError("fcntl");
        return false;
    }

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
    char buffer[kReadChunk];
    for (;;) {
        const ssize_t count = ::read(m_master, buffer, sizeof buffer);
        if (count > 0) {
            bytes.append(buffer, count);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        // EAGAIN: drained. EIO or end of file means no slave is open, which
        // our own slave descriptor should prevent; wait rather than spin.
        if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            pauseReading();
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
        if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            // The terminal is gone; what was meant for it is lost, as on a cut line.
            m_outgoing.clear();
        }
        break;
    }
    if (m_writeNotifier != nullptr)
        m_writeNotifier->setEnabled(!m_outgoing.isEmpty());
}

void PseudoTerminal::watchClients() {
    // Without the watch a crashed client can lock out the next one, which is
    // an inconvenience, not a reason to refuse service.
    m_closeWatch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_closeWatch < 0)
        return;
    if (::inotify_add_watch(m_closeWatch, QFile::encodeName(m_slavePath).constData(), IN_CLOSE) <
        0) {
        ::close(m_closeWatch);
        m_closeWatch = -1;
        return;
    }
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

void PseudoTerminal::pauseReading() {
    m_readNotifier->setEnabled(false);
    m_resumeTimer->start();
}

} // namespace brisco::sim
