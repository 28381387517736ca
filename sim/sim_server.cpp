#include "sim/sim_server.h"

#include "sim/pseudo_terminal.h"

#include <QFileInfo>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <utility>

namespace brisco::sim {

namespace {

void printLine(const QString& line) {
    std::fputs(qPrintable(line + QLatin1Char('\n')), stderr);
    std::fflush(stderr);
}

} // namespace

SimServer::SimServer(const SimOptions& options, quint32 seed, QObject* parent)
    : QObject(parent)
    , m_options(options)
    , m_random(seed)
    , m_controllers(lineControllers(options), seed)
    , m_faults(options.faults, m_random)
    , m_terminal(new PseudoTerminal(this))
    , m_sendTimer(new QTimer(this)) {
    m_sendTimer->setSingleShot(true);
    m_sendTimer->setTimerType(Qt::PreciseTimer);
    connect(m_sendTimer, &QTimer::timeout, this, &SimServer::sendDue);
    connect(m_terminal, &PseudoTerminal::received, this, &SimServer::onReceived);
}

SimServer::~SimServer() {
    removeLink();
}

bool SimServer::start(QString* error) {
    if (!m_options.statsPath.isEmpty()) {
        m_statsFile.setFileName(m_options.statsPath);
        if (!m_statsFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            *error = QStringLiteral("%1: %2").arg(m_options.statsPath, m_statsFile.errorString());
            return false;
        }
        writeStats(QStringLiteral("# brisco-sim stats 1"));
    }
    if (!m_terminal->open(error))
        return false;
    if (!m_options.linkPath.isEmpty() && !makeLink(error))
        return false;
    m_clock.start();
    return true;
}

QString SimServer::slavePath() const {
    return m_terminal->slavePath();
}

void SimServer::finish() {
    QList<std::pair<QString, qint64>> totals;
    for (int fate = 0; fate < 4; ++fate) {
        for (const int group : {0, 1}) {
            totals.append(
                {QStringLiteral("%1-%2").arg(group == 0 ? "status" : "other", kFateNames[fate]),
                 m_replies[group][fate]});
        }
    }
    const ControllerBus::Counters requests = m_controllers.counters();
    const LineFaults::Counters line = m_faults.counters();
    totals += {{QStringLiteral("requests-accepted"), requests.accepted},
               {QStringLiteral("requests-ignored"), requests.ignored},
               {QStringLiteral("bytes-skipped"), requests.skippedBytes},
               {QStringLiteral("bytes-echoed"), line.echoBytes},
               {QStringLiteral("bytes-noise"), line.noiseBytes},
               {QStringLiteral("collisions"), requests.collisions}};
    QStringList summary;
    for (const auto& [name, count] : std::as_const(totals)) {
        writeStats(QStringLiteral("total %1 %2").arg(name).arg(count));
        summary.append(QStringLiteral("%1 %2").arg(name).arg(count));
    }
    printLine(QStringLiteral("brisco-sim: ") + summary.join(QStringLiteral(", ")));
    removeLink();
}

double SimServer::now() const {
    return m_clock.nsecsElapsed() / 1e9;
}

void SimServer::onReceived(const QByteArray& bytes) {
    const double time = now();
    trace(QStringLiteral("rx"), bytes);
    m_faults.requestReceived(bytes, time);
    for (const Exchange& exchange : m_controllers.receive(bytes, time)) {
        trace(QStringLiteral("req"), exchange.request);
        m_faults.replyReady(exchange.reply, time, delayOf(exchange.request));
    }
    sendDue();
}

// The delay of the controller a request was sent to, when it has one of its own.
std::optional<int> SimServer::delayOf(QByteArrayView request) const {
    const auto delay = m_options.delayOf.constFind(static_cast<quint8>(request[1]));
    return delay == m_options.delayOf.cend() ? std::nullopt : std::optional(*delay);
}

void SimServer::sendDue() {
    const double time = now();
    const LineOutput output = m_faults.takeDue(time);
    if (!output.bytes.isEmpty()) {
        m_terminal->write(output.bytes);
        trace(QStringLiteral("tx"), output.bytes);
    }
    for (const SentReply& reply : output.replies) {
        ++m_replies[reply.kind == u"status" ? 0 : 1][static_cast<int>(reply.fate)];
        writeStats(reply.statsLine());
        trace(QStringLiteral("reply %1 %2").arg(reply.kind, kFateNames[int(reply.fate)]),
              reply.bytes);
    }
    if (const std::optional<double> next = m_faults.nextDueTime()) {
        // Rounded up: a timer that fires early would find nothing due.
        m_sendTimer->start(static_cast<int>(std::ceil(qMax(0.0, *next - time) * 1000.0)));
    }
}

void SimServer::trace(const QString& tag, QByteArrayView bytes) const {
    if (m_options.trace) {
        printLine(QStringLiteral("%1 %2 %3")
                      .arg(now(), 0, 'f', 3)
                      .arg(tag, QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper())));
    }
}

void SimServer::writeStats(const QString& line) {
    if (!m_statsFile.isOpen())
        return;
    m_statsFile.write(line.toUtf8() + '\n');
    // A reader polling the file while we run must see each line.
    m_statsFile.flush();
}

bool SimServer::makeLink(QString* error) {
    const QFileInfo existing(m_options.linkPath);
    // Left behind by a simulator that did not get to clean up.
    if (existing.isSymLink() && !existing.exists())
        QFile::remove(m_options.linkPath);
    if (!QFile::link(slavePath(), m_options.linkPath)) {
        *error = QStringLiteral("cannot create the link %1").arg(m_options.linkPath);
        return false;
    }
    m_linked = true;
    return true;
}

void SimServer::removeLink() {
    if (m_linked && QFileInfo(m_options.linkPath).symLinkTarget() == slavePath())
        QFile::remove(m_options.linkPath);
    m_linked = false;
}

} // namespace brisco::sim
