// The values of one controller's status replies that the trends window
// plots: this session's last hour, or a whole replayed recording, with the
// places where its replies stopped for a while (the line draws a gap there).
#pragma once

#include "display/status_values.h"

#include <QtGlobal>

#include <deque>
#include <limits>
#include <optional>

struct TrendSample {
    qint64 time; // milliseconds since the epoch
    std::optional<double> innerTemp;
    std::optional<double> outerTemp;
    double controlTemp;
    double coolStart;
    double coolStop;
    double heatStart;
    double heatStop;
    double tecCurrent;
    double dcVoltage;
    int innerFan;
    int outerFan;
    // The controller was silent between the sample before and this one.
    bool afterGap = false;
};

class TrendStore {
public:
    static constexpr qint64 kSpanMs = 3600 * 1000;
    // One reply a second for an hour; replies never come faster than four a
    // second, so the count bounds the memory whatever the line does.
    static constexpr std::size_t kCapacity = 3600;

    // The gap rule. Replies come at the controller's own pace: once a second
    // while the main window shows it, every few seconds while the bus is
    // watched and twenty controllers take turns. Its usual interval is the
    // median of the intervals around (five before, five after and itself);
    // an interval longer than kGapFactor times that, and longer than the
    // link's stale time, is a gap. So one or two lost replies are no gap, a
    // silence is one at any pace, and a pace that changes for good is
    // followed after a few replies.
    static constexpr qint64 kShortestGapMs = 3000;
    static constexpr double kGapFactor = 2.5;
    static constexpr int kGapNeighbours = 5;

    // The session's store: the last hour, kCapacity samples at most.
    TrendStore() = default;
    // A store without bounds, for a recording that was read whole.
    static TrendStore unbounded();

    // Samples come in the order of time (a replay sorts them first).
    void append(qint64 time, const brisco::display::StatusValues& values);
    const std::deque<TrendSample>& samples() const { return m_samples; }

private:
    void markGap(std::size_t index);

    qint64 m_spanMs = kSpanMs;
    std::size_t m_capacity = kCapacity;
    std::deque<TrendSample> m_samples;
};
