#include "sim/line_faults.h"

#include "sim/frames.h"

#include <algorithm>
#include <cmath>

namespace brisco::sim {

QString SentReply::statsLine() const {
    return QStringLiteral("%1 %2 %3 %4")
        .arg(time, 0, 'f', 3)
        .arg(kind, QString::fromLatin1(kFateNames[static_cast<int>(fate)]),
             QString::fromLatin1(bytes.toHex(' ').toUpper()));
}

LineFaults::LineFaults(const FaultConfig& config, std::mt19937& random)
    : m_config(config)
    , m_random(random) {}

void LineFaults::requestReceived(QByteArrayView bytes, double now) {
    if (!m_config.echo)
        return;
    m_counters.echoBytes += bytes.size();
    enqueue(now, bytes.toByteArray());
}

void LineFaults::replyReady(const QByteArray& reply, double now, std::optional<int> delayMs) {
    SentReply sent{replyKind(reply), ReplyFate::Good, reply, 0.0};
    if (silentAt(now)) {
        sent.fate = ReplyFate::Silenced;
        enqueue(now, {}, sent);
        return;
    }
    if (chance(m_config.refusePercent)) {
        sent.fate = ReplyFate::Refused;
        sent.bytes = refusal(static_cast<quint8>(reply[1]));
    } else if (sent.kind != u"refusal" && chance(m_config.corruptPercent)) {
        sent.fate = ReplyFate::Corrupted;
        sent.bytes.back() = static_cast<char>(sent.bytes.back() ^ uniform(1, 255));
    }

    double time = now + delayMs.value_or(m_config.delayMs) / 1000.0;
    if (m_config.noise) {
        QByteArray noise;
        for (const int count = uniform(0, kMaxNoiseBytes); noise.size() < count;) {
            // A start byte in the noise could fake a frame.
            const int byte = uniform(0, 255);
            if (byte != kRequestStart && byte != kReplyStart && byte != kRefusalStart)
                noise.append(static_cast<char>(byte));
        }
        m_counters.noiseBytes += noise.size();
        enqueue(time, noise);
    }
    // Where each piece ends, in order: one piece unless the line splits replies.
    QList<qsizetype> ends;
    const qsizetype size = sent.bytes.size();
    for (const int pieces = m_config.split ? uniform(1, kMaxPieces) : 1;
         ends.size() < qMin<qsizetype>(pieces - 1, size - 1);) {
        const qsizetype cut = uniform(1, int(size) - 1);
        if (!ends.contains(cut))
            ends.append(cut);
    }
    std::sort(ends.begin(), ends.end());
    ends.append(size);
    qsizetype from = 0;
    for (const qsizetype end : ends) {
        if (from > 0)
            time += uniform(0, kMaxGapMs) / 1000.0;
        enqueue(time, sent.bytes.sliced(from, end - from),
                end == size ? std::optional(sent) : std::nullopt);
        from = end;
    }
}

LineOutput LineFaults::takeDue(double now) {
    LineOutput output;
    while (!m_queue.empty() && m_queue.front().time <= now) {
        Pending& front = m_queue.front();
        output.bytes.append(front.bytes);
        if (front.completes) {
            front.completes->time = now;
            output.replies.append(*front.completes);
        }
        m_queue.pop_front();
    }
    return output;
}

std::optional<double> LineFaults::nextDueTime() const {
    if (m_queue.empty())
        return std::nullopt;
    return m_queue.front().time;
}

bool LineFaults::silentAt(double now) const {
    const double period =
        m_config.silencePeriod > 0.0 ? m_config.silencePeriod : 2.0 * m_config.silenceSeconds;
    return m_config.silenceSeconds > 0.0 && std::fmod(now, period) < m_config.silenceSeconds;
}

bool LineFaults::chance(int percent) {
    // A fault that is off draws nothing, so it leaves the others' draws alone.
    return percent > 0 && uniform(0, 99) < percent;
}

int LineFaults::uniform(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(m_random);
}

void LineFaults::enqueue(double time, QByteArray bytes, std::optional<SentReply> completes) {
    m_lastQueued = std::max(m_lastQueued, time);
    m_queue.push_back({m_lastQueued, std::move(bytes), std::move(completes)});
}

} // namespace brisco::sim
