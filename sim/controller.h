// The virtual controller: takes the request bytes that reach it, answers the
// requests addressed to it and keeps its cabinet running. It does no I/O.
#pragma once

#include "sim/cabinet.h"
#include "sim/parameters.h"
#include "sim/request_parser.h"

#include <QByteArray>
#include <QList>

#include <random>

namespace brisco::sim {

inline constexpr char kDefaultDeviceInfo[] = "TEC-48/1.0/VA2.1/";

struct ControllerConfig {
    quint8 address = 1;
    // Sent as it stands; its last byte is the terminator that the reader strips.
    QByteArray deviceInfo = kDefaultDeviceInfo;
    double innerCelsius = Cabinet::kDefaultInnerCelsius;
};

struct Exchange {
    QByteArray request;
    QByteArray reply;
};

class Controller {
public:
    // Older entries of the reply log are dropped beyond this many, so that a
    // simulator left running for weeks does not grow without end.
    static constexpr qsizetype kReplyLogLimit = 100000;

    struct Counters {
        qint64 accepted = 0;
        // Complete requests with a matching checksum for another address.
        qint64 ignored = 0;
        qint64 skippedBytes = 0;
    };

    Controller(const ControllerConfig& config, std::mt19937& random);

    // Every request completed by bytes and addressed to this controller, each
    // with the reply it gets (a refusal for a request it cannot carry out).
    QList<Exchange> receive(QByteArrayView bytes);

    void step(double seconds);

    quint8 address() const { return m_parameters.busAddress(); }
    const Parameters& parameters() const { return m_parameters; }
    const Cabinet& cabinet() const { return m_cabinet; }
    Counters counters() const;

    QByteArray lastStatusReply() const { return m_lastStatusReply; }
    const QList<QByteArray>& replyLog() const { return m_replyLog; }

private:
    bool addressedToMe(QByteArrayView request) const;
    QByteArray answer(QByteArrayView request);
    QByteArray answerRead(quint8 subCommand);
    QByteArray answerWrite(QByteArrayView request);
    void log(const QByteArray& reply);

    std::mt19937& m_random;
    QByteArray m_deviceInfo;
    Parameters m_parameters;
    Cabinet m_cabinet;
    RequestParser m_parser;
    qint64 m_accepted = 0;
    qint64 m_ignored = 0;
    QByteArray m_lastStatusReply;
    QList<QByteArray> m_replyLog;
};

} // namespace brisco::sim
