#include "sim/controller.h"

#include "sim/frames.h"

namespace brisco::sim {

Controller::Controller(const ControllerConfig& config, std::mt19937& random)
    : m_random(random)
    , m_deviceInfo(
          config.deviceInfo.first(qMin<qsizetype>(config.deviceInfo.size(), kMaxTextLength)))
    , m_parameters(config.address)
    , m_cabinet(config.innerCelsius) {}

QList<Exchange> Controller::receive(QByteArrayView bytes) {
    QList<Exchange> exchanges;
    for (const QByteArray& request : m_parser.feed(bytes)) {
        if (!addressedToMe(request)) {
            ++m_ignored;
            continue;
        }
        ++m_accepted;
        const QByteArray reply = answer(request);
        log(reply);
        exchanges.append({request, reply});
    }
    return exchanges;
}

void Controller::step(double seconds) {
    m_cabinet.step(seconds, m_parameters);
}

Controller::Counters Controller::counters() const {
    return {m_accepted, m_ignored, m_parser.skippedBytes()};
}

bool Controller::addressedToMe(QByteArrayView request) const {
    const auto address = static_cast<quint8>(request[1]);
    if (address == this->address())
        return true;
    // Every controller on a bus would answer a broadcast at once; only the
    // address query, meant for a single controller on the line, is answered.
    return address == kBroadcastAddress && static_cast<quint8>(request[2]) == kCommandRead &&
           static_cast<quint8>(request[3]) == kReadAddress;
}

QByteArray Controller::answer(QByteArrayView request) {
    if (static_cast<quint8>(request[2]) == kCommandWrite)
        return answerWrite(request);
    return answerRead(static_cast<quint8>(request[3]));
}

QByteArray Controller::answerRead(quint8 subCommand) {
    switch (subCommand) {
    case kReadStatus:
        m_lastStatusReply = m_cabinet.measure(m_parameters, m_random).toReply(address());
        return m_lastStatusReply;
    case kReadAddress:
        // Sent from address 0: a master that asks does not know the address,
        // and takes replies only from its own idea of it or from 0.
        return addressReply(kBroadcastAddress, address());
    case kReadDeviceInfo:
        return deviceInfoReply(address(), m_deviceInfo);
    case kReadFactory:
        return factoryReply(address(), m_parameters.factoryValues());
    default:
        return refusal(address());
    }
}

QByteArray Controller::answerWrite(QByteArrayView request) {
    // The acknowledgement leaves from the address the request was sent to,
    // even when the write moves the controller to another one.
    const quint8 oldAddress = address();
    const auto number = static_cast<quint8>(request[3]);
    const QByteArrayView values = request.sliced(5, request.size() - 6);
    if (!m_parameters.write(number, values))
        return refusal(oldAddress);
    return writeAcknowledgement(oldAddress, number, values);
}

void Controller::log(const QByteArray& reply) {
    if (m_replyLog.size() >= kReplyLogLimit)
        m_replyLog.removeFirst();
    m_replyLog.append(reply);
}

} // namespace brisco::sim
