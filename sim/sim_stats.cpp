#include "sim/sim_stats.h"

#include <QFileDevice>

namespace brisco::sim {

namespace {

constexpr ReplyFate kFates[] = {ReplyFate::Good, ReplyFate::Corrupted, ReplyFate::Refused,
                                ReplyFate::Silenced};

int index(ReplyFate fate) {
    return static_cast<int>(fate);
}

} // namespace

SimStats::SimStats(QIODevice* log)
    : m_log(log) {
    writeLine(QStringLiteral("# brisco-sim stats 1"));
}

void SimStats::record(const SentReply& reply) {
    auto& counts = reply.kind == ReplyKind::Status ? m_status : m_other;
    ++counts[index(reply.fate)];
    writeLine(replyLine(reply));
}

qint64 SimStats::statusCount(ReplyFate fate) const {
    return m_status[index(fate)];
}

qint64 SimStats::otherCount(ReplyFate fate) const {
    return m_other[index(fate)];
}

QString SimStats::summaryLine(const Controller::Counters& controller,
                              const LineFaults::Counters& line) const {
    const auto part = [](const std::array<qint64, kFateCount>& counts) {
        const auto count = [&counts](ReplyFate fate) {
            return counts[index(fate)];
        };
        return QStringLiteral("sent %1 (good %2, corrupted %3), refused %4, silenced %5")
            .arg(count(ReplyFate::Good) + count(ReplyFate::Corrupted))
            .arg(count(ReplyFate::Good))
            .arg(count(ReplyFate::Corrupted))
            .arg(count(ReplyFate::Refused))
            .arg(count(ReplyFate::Silenced));
    };
    return QStringLiteral("brisco-sim: status replies %1; other replies %2; requests accepted %3, "
                          "ignored %4; bytes skipped %5, echoed %6, noise %7")
        .arg(part(m_status), part(m_other))
        .arg(controller.accepted)
        .arg(controller.ignored)
        .arg(controller.skippedBytes)
        .arg(line.echoBytes)
        .arg(line.noiseBytes);
}

void SimStats::writeTotals(const Controller::Counters& controller,
                           const LineFaults::Counters& line) {
    for (const ReplyFate fate : kFates) {
        writeLine(
            QStringLiteral("total status-%1 %2").arg(replyFateName(fate)).arg(statusCount(fate)));
        writeLine(
            QStringLiteral("total other-%1 %2").arg(replyFateName(fate)).arg(otherCount(fate)));
    }
    writeLine(QStringLiteral("total requests-accepted %1").arg(controller.accepted));
    writeLine(QStringLiteral("total requests-ignored %1").arg(controller.ignored));
    writeLine(QStringLiteral("total bytes-skipped %1").arg(controller.skippedBytes));
    writeLine(QStringLiteral("total bytes-echoed %1").arg(line.echoBytes));
    writeLine(QStringLiteral("total bytes-noise %1").arg(line.noiseBytes));
}

QString SimStats::replyLine(const SentReply& reply) {
    return QStringLiteral("%1 %2 %3 %4")
        .arg(reply.time, 0, 'f', 3)
        .arg(replyKindName(reply.kind), replyFateName(reply.fate),
             QString::fromLatin1(reply.bytes.toHex(' ').toUpper()));
}

void SimStats::writeLine(const QString& line) {
    if (m_log == nullptr)
        return;
    m_log->write(line.toUtf8());
    m_log->write("\n");
    // QFile buffers; a reader polling the file while we run must see each line.
    if (auto* file = qobject_cast<QFileDevice*>(m_log))
        file->flush();
}

} // namespace brisco::sim
