// The virtual controller: cuts the bytes that reach it into requests, answers
// those addressed to it and keeps its parameters. Instead of a cabinet behind
// it, its readings drift slowly with the simulated time. It does no I/O.
#pragma once

#include "sim/status_fields.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <array>

namespace brisco::sim {

inline constexpr char kDefaultDeviceInfo[] = "TEC-48/1.0/VA2.1/";

struct ControllerConfig {
    quint8 address = 1;
    // Sent as it stands; its last byte is the terminator that the master strips.
    QByteArray deviceInfo = kDefaultDeviceInfo;
};

struct Exchange {
    QByteArray request;
    QByteArray reply;
};

class Controller {
public:
    struct Counters {
        qint64 accepted = 0;
        // Complete requests with a matching checksum for another address.
        qint64 ignored = 0;
        // Dropped one at a time while looking for a request: noise, unknown
        // commands and frames with a bad checksum.
        qint64 skippedBytes = 0;
    };

    // The seed shifts the drift, so that runs with different seeds differ.
    Controller(const ControllerConfig& config, quint32 seed);

    // Every request that bytes complete and that is addressed to this
    // controller, each with its reply (a refusal for a request it cannot carry
    // out). now is the simulated time in seconds.
    QList<Exchange> receive(QByteArrayView bytes, double now);

    Counters counters() const { return m_counters; }

private:
    bool addressedToMe(QByteArrayView request) const;
    QByteArray answer(QByteArrayView request, double now);
    QByteArray write(QByteArrayView request);
    StatusFields status(double now) const;
    quint16 word(int parameter) const;

    QByteArray m_deviceInfo;
    quint8 m_address;
    double m_phase;
    // Parameters 0..27: the set-points, then the factory values.
    std::array<quint8, 28> m_parameters;
    QByteArray m_pending;
    Counters m_counters;
};

} // namespace brisco::sim
