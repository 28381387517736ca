// The latest snapshot, handed from the agent's thread to the listener's. The
// lock is held only to swap or copy a pointer, so a scrape never holds up a
// poll tick.
#pragma once

#include "metrics/metrics_snapshot.h"

#include <memory>
#include <mutex>

namespace brisco::metrics {

class SnapshotStore {
public:
    void publish(Snapshot snapshot) {
        auto latest = std::make_shared<const Snapshot>(std::move(snapshot));
        const std::lock_guard lock(m_mutex);
        // The previous one is freed after the lock, by latest.
        m_latest.swap(latest);
    }
    std::shared_ptr<const Snapshot> latest() const {
        const std::lock_guard lock(m_mutex);
        return m_latest;
    }

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<const Snapshot> m_latest = std::make_shared<const Snapshot>();
};

} // namespace brisco::metrics
