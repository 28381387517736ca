#include "record/trend_store.h"

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
}
