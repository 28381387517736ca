// The values of status replies that the trends window plots: this session's
// last hour, or a whole replayed recording.
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
};

class TrendStore {
public:
    static constexpr qint64 kSpanMs = 3600 * 1000;
    // One reply a second for an hour; replies never come faster than four a
    // second, so the count bounds the memory whatever the line does.
    static constexpr std::size_t kCapacity = 3600;

    // The session's store: the last hour, kCapacity samples at most.
    TrendStore() = default;
    // A store without bounds, for a recording that was read whole.
    static TrendStore unbounded();

    // Samples come in the order of time (a replay sorts them first).
    void append(qint64 time, const brisco::display::StatusValues& values);
    const std::deque<TrendSample>& samples() const { return m_samples; }

private:
    qint64 m_spanMs = kSpanMs;
    std::size_t m_capacity = kCapacity;
    std::deque<TrendSample> m_samples;
};
