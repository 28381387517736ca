#include "record/trend_store.h"

#include <algorithm>
#include <array>

TrendStore TrendStore::unbounded() {
    TrendStore store;
    store.m_spanMs = std::numeric_limits<qint64>::max() / 2;
    store.m_capacity = std::numeric_limits<std::size_t>::max();
    return store;
}

void TrendStore::append(qint64 time, const brisco::display::StatusValues& values) {
    // Set-points 0..3 of the table: cooling start and stop, heating start and stop.
    const auto& set = values.setPoints;
    m_samples.push_back({time, values.innerTemp, values.outerTemp, values.controlTemp, set[0],
                         set[1], set[2], set[3], values.tecCurrent, values.dcVoltage,
                         values.innerFanReading, values.outerFanReading});
    while (m_samples.size() > m_capacity || m_samples.front().time < time - m_spanMs) {
        m_samples.pop_front();
    }
    // The new interval is among the neighbours of the last few.
    const std::size_t last = m_samples.size() - 1;
    for (std::size_t i = last > kGapNeighbours ? last - kGapNeighbours : 1; i <= last; ++i) {
        markGap(i);
    }
}

// Whether the interval that ends at sample index is a gap.
void TrendStore::markGap(std::size_t index) {
    const auto interval = [this](std::size_t end) {
        return m_samples[end].time - m_samples[end - 1].time;
    };
    std::array<qint64, 2 * kGapNeighbours + 1> around{};
    std::size_t count = 0;
    const std::size_t first = index > kGapNeighbours ? index - kGapNeighbours : 1;
    const std::size_t last = std::min(index + kGapNeighbours, m_samples.size() - 1);
    for (std::size_t end = first; end <= last; ++end) {
        around[count++] = interval(end);
    }
    const auto middle = around.begin() + count / 2;
    std::nth_element(around.begin(), middle, around.begin() + count);
    const qint64 gap = interval(index);
    m_samples[index].afterGap = gap > kShortestGapMs && gap > kGapFactor * double(*middle);
}
