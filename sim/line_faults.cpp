#include "sim/line_faults.h"

#include <algorithm>
#include <cmath>

namespace brisco::sim {

namespace {

int uniform(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

// Bytes that could start a frame would let the noise fake one.
bool canStartFrame(int byte) {
    return byte == kRequestStart || byte == kReplyStart || byte == kRefusalStart;
}

} // namespace

LineFaults::LineFaults(const FaultConfig& config, std::mt19937& random)
    : m_config(config)
    , m_random(random) {}

void LineFaults::requestReceived(QByteArrayView bytes, double now) {
    if (!m_config.echo || bytes.isEmpty())
        return;
    m_counters.echoBytes += bytes.size();
    enqueue(now, bytes.toByteArray());
}

void LineFaults::replyReady(const QByteArray& reply, double now) {
    SentReply sent{replyKind(reply), ReplyFate::Good, reply, 0.0};
    if (silentAt(now)) {
        sent.fate = ReplyFate::Silenced;
        enqueue(now, {}, sent);
        return;
    }
    if (chance(m_config.refusePercent)) {
        sent.fate = ReplyFate::Refused;
        sent.bytes = refusal(reply.size() > 1 ? static_cast<quint8>(reply[1]) : 0);
    } else if (sent.kind != ReplyKind::Refusal && chance(m_config.corruptPercent)) {
        sent.fate = ReplyFate::Corrupted;
        const auto damage = static_cast<quint8>(uniform(m_random, 1, 255));
        sent.bytes.back() = static_cast<char>(static_cast<quint8>(sent.bytes.back()) ^ damage);
    }

    double time = now + m_config.delayMs / 1000.0;
    if (m_config.noise) {
        const QByteArray noise = noiseBurst();
        m_counters.noiseBytes += noise.size();
        if (!noise.isEmpty())
            enqueue(time, noise);
    }
    const QList<qsizetype> ends = pieceEnds(sent.bytes.size());
    qsizetype from = 0;
    for (const qsizetype end : ends) {
        if (from > 0)
            time += uniform(m_random, 0, kMaxGapMs) / 1000.0;
        const bool last = end == sent.bytes.size();
        enqueue(time, sent.bytes.sliced(from, end - from),
                last ? std::optional<SentReply>(sent) : std::nullopt);
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
    if (m_config.silenceSeconds <= 0.0)
        return false;
    return std::fmod(std::floor(now / m_config.silenceSeconds), 2.0) == 0.0;
}

bool LineFaults::chance(int percent) {
    return percent > 0 && uniform(m_random, 0, 99) < percent;
}

QList<qsizetype> LineFaults::pieceEnds(qsizetype size) {
    QList<qsizetype> ends;
    if (m_config.split && size > 1) {
        const int pieces = uniform(m_random, 1, kMaxPieces);
        while (ends.size() < pieces - 1 && ends.size() < size - 1) {
            const qsizetype cut = uniform(m_random, 1, int(size) - 1);
            if (!ends.contains(cut))
                ends.append(cut);
        }
        std::sort(ends.begin(), ends.end());
    }
    ends.append(size);
    return ends;
}

QByteArray LineFaults::noiseBurst() {
    QByteArray noise;
    const int count = uniform(m_random, 0, kMaxNoiseBytes);
    while (noise.size() < count) {
        const int byte = uniform(m_random, 0, 255);
        if (!canStartFrame(byte))
            noise.append(static_cast<char>(byte));
    }
    return noise;
}

void LineFaults::enqueue(double time, QByteArray bytes, std::optional<SentReply> completes) {
    m_lastQueued = std::max(m_lastQueued, time);
    m_queue.push_back({m_lastQueued, std::move(bytes), std::move(completes)});
}

} // namespace brisco::sim
