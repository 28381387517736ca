// The controllers behind the one pseudo-terminal, all on one pair of wires:
// each sees every request, only the one addressed answers, and replies given
// at once (a broadcast that several take, two controllers at one address)
// overlap on the line into one garbled frame whose checksum fails.
#pragma once

#include "sim/controller.h"

#include <QList>

#include <vector>

namespace brisco::sim {

struct Exchange {
    QByteArray request;
    QByteArray reply;
};

// The controller at position index of a bus: the first as a single
// controller is by default, the others with a model, versions and cooling
// temperatures of their own.
ControllerConfig busController(int index, quint8 address);

class ControllerBus {
public:
    struct Counters {
        // Complete requests with a matching checksum that some controller answered.
        qint64 accepted = 0;
        // Complete requests with a matching checksum that none was addressed by.
        qint64 ignored = 0;
        // Dropped one at a time while looking for a request: noise, unknown
        // commands and frames with a bad checksum.
        qint64 skippedBytes = 0;
        // Requests that more than one controller answered.
        qint64 collisions = 0;
    };

    // Each controller drifts with a seed of its own, derived from seed.
    ControllerBus(const QList<ControllerConfig>& configs, quint32 seed);

    // Every request that bytes complete and that someone answers, with the
    // reply as it goes onto the line. now is the simulated time in seconds.
    QList<Exchange> receive(QByteArrayView bytes, double now);

    Counters counters() const { return m_counters; }

private:
    std::vector<Controller> m_controllers;
    QByteArray m_pending;
    Counters m_counters;
};

} // namespace brisco::sim
