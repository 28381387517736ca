// Faults of the line between the controller and the master: echo, replies cut
// into pieces, noise, damaged checksums, refusals, silence and delay. Decides
// what goes out and when, for a clock that the caller passes in; no I/O.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <deque>
#include <optional>
#include <random>

namespace brisco::sim {

struct FaultConfig {
    bool echo = false;
    bool split = false;
    bool noise = false;
    int corruptPercent = 0;
    int refusePercent = 0;
    // Silent during the first s seconds of every period after start (by
    // default 2s: [0, s), [2s, 3s) ...); 0 never.
    double silenceSeconds = 0.0;
    double silencePeriod = 0.0;
    int delayMs = 0;
};

// What became of a reply: sent intact, sent with a damaged checksum, replaced
// by a refusal, or withheld.
enum class ReplyFate { Good, Corrupted, Refused, Silenced };
inline constexpr const char* kFateNames[] = {"good", "corrupt", "refused", "silenced"};

struct SentReply {
    // Kind of the reply the controller gave, also when a refusal replaced it.
    QString kind;
    ReplyFate fate = ReplyFate::Good;
    // The bytes that went onto the line, or the withheld reply when silenced.
    QByteArray bytes;
    // Seconds since start at which its last byte went out.
    double time = 0.0;

    // "<seconds> <kind> <fate> <hex bytes>", its line in the stats file.
    QString statsLine() const;
};

struct LineOutput {
    QByteArray bytes;
    // Replies whose last byte is in bytes, and those silenced meanwhile.
    QList<SentReply> replies;
};

class LineFaults {
public:
    static constexpr int kMaxPieces = 3;
    static constexpr int kMaxGapMs = 60;
    static constexpr int kMaxNoiseBytes = 3;

    struct Counters {
        qint64 echoBytes = 0;
        qint64 noiseBytes = 0;
    };

    LineFaults(const FaultConfig& config, std::mt19937& random);

    // Raw bytes from the master, echoed when the line echoes.
    void requestReceived(QByteArrayView bytes, double now);
    // delayMs: this reply's own delay, instead of the line's.
    void replyReady(const QByteArray& reply, double now, std::optional<int> delayMs = {});

    // Everything due by now, in line order.
    LineOutput takeDue(double now);
    std::optional<double> nextDueTime() const;

    Counters counters() const { return m_counters; }

private:
    struct Pending {
        double time;
        QByteArray bytes;
        std::optional<SentReply> completes;
    };

    bool silentAt(double now) const;
    bool chance(int percent);
    int uniform(int low, int high);
    // Bytes never go out earlier than anything queued before them, so frames
    // do not interleave.
    void enqueue(double time, QByteArray bytes, std::optional<SentReply> completes = {});

    FaultConfig m_config;
    std::mt19937& m_random;
    std::deque<Pending> m_queue;
    double m_lastQueued = 0.0;
    Counters m_counters;
};

} // namespace brisco::sim
