#include "sim/frames.h"

namespace brisco::sim {

namespace {

QByteArray closed(QByteArray frame) {
    frame.append(static_cast<char>(checksum(frame)));
    return frame;
}

QByteArray header(quint8 start, quint8 address, quint8 command, quint8 selector) {
    QByteArray frame;
    frame.append(static_cast<char>(start));
    frame.append(static_cast<char>(address));
    frame.append(static_cast<char>(command));
    frame.append(static_cast<char>(selector));
    return frame;
}

QByteArray readRequest(quint8 address, quint8 subCommand) {
    return closed(header(kRequestStart, address, kCommandRead, subCommand));
}

QByteArray readReply(quint8 address, quint8 subCommand, quint8 lengthByte, QByteArrayView data) {
    QByteArray frame = header(kReplyStart, address, kCommandRead, subCommand);
    frame.append(static_cast<char>(lengthByte));
    frame.append(data);
    return closed(frame);
}

} // namespace

quint8 checksum(QByteArrayView bytes) {
    unsigned sum = 0;
    for (const char byte : bytes)
        sum += static_cast<quint8>(byte);
    return static_cast<quint8>(sum & 0xFF);
}

bool checksumMatches(QByteArrayView frame) {
    if (frame.size() < 2)
        return false;
    return checksum(frame.first(frame.size() - 1)) == static_cast<quint8>(frame.back());
}

QByteArray statusPoll(quint8 address) {
    return readRequest(address, kReadStatus);
}

QByteArray addressQuery() {
    return readRequest(kBroadcastAddress, kReadAddress);
}

QByteArray deviceInfoQuery(quint8 address) {
    return readRequest(address, kReadDeviceInfo);
}

QByteArray factoryQuery(quint8 address) {
    return readRequest(address, kReadFactory);
}

QByteArray parameterWrite(quint8 address, quint8 parameter, quint8 value) {
    QByteArray frame = header(kRequestStart, address, kCommandWrite, parameter);
    frame.append(char(1));
    frame.append(static_cast<char>(value));
    return closed(frame);
}

QByteArray parameterWrite16(quint8 address, quint8 parameter, quint16 value) {
    QByteArray frame = header(kRequestStart, address, kCommandWrite, parameter);
    frame.append(char(2));
    frame.append(static_cast<char>(value >> 8));
    frame.append(static_cast<char>(value & 0xFF));
    return closed(frame);
}

QByteArray statusReply(quint8 address, QByteArrayView data) {
    Q_ASSERT(data.size() == kStatusDataLength);
    return readReply(address, kReadStatus, kStatusDataLength, data);
}

QByteArray addressReply(quint8 replyAddress, quint8 busAddress) {
    const char data = static_cast<char>(busAddress);
    return readReply(replyAddress, kReadAddress, 1, QByteArrayView(&data, 1));
}

QByteArray deviceInfoReply(quint8 address, QByteArrayView text) {
    Q_ASSERT(text.size() <= kMaxTextLength);
    const QByteArrayView sent = text.first(qMin<qsizetype>(text.size(), kMaxTextLength));
    return readReply(address, kReadDeviceInfo, static_cast<quint8>(sent.size()), sent);
}

QByteArray factoryReply(quint8 address, const FactoryValues& values) {
    const QByteArrayView data(reinterpret_cast<const char*>(values.data()), kFactoryValueCount);
    return readReply(address, kReadFactory, kFactoryValueCount, data);
}

QByteArray writeAcknowledgement(quint8 address, quint8 parameter, QByteArrayView values) {
    QByteArray frame = header(kReplyStart, address, kCommandWrite, parameter);
    frame.append(static_cast<char>(values.size()));
    frame.append(values);
    return closed(frame);
}

QByteArray refusal(quint8 detail) {
    QByteArray frame;
    frame.append(static_cast<char>(kRefusalStart));
    frame.append(static_cast<char>(detail));
    return frame;
}

ReplyKind replyKind(QByteArrayView frame) {
    if (frame.size() == 2 && static_cast<quint8>(frame[0]) == kRefusalStart)
        return ReplyKind::Refusal;
    if (frame.size() < 5 || static_cast<quint8>(frame[0]) != kReplyStart)
        return ReplyKind::Other;
    const auto command = static_cast<quint8>(frame[2]);
    if (command == kCommandWrite)
        return ReplyKind::WriteAck;
    if (command != kCommandRead)
        return ReplyKind::Other;
    switch (static_cast<quint8>(frame[3])) {
    case kReadStatus:
        return ReplyKind::Status;
    case kReadAddress:
        return ReplyKind::Address;
    case kReadDeviceInfo:
        return ReplyKind::DeviceInfo;
    case kReadFactory:
        return ReplyKind::Factory;
    default:
        return ReplyKind::Other;
    }
}

QString replyKindName(ReplyKind kind) {
    switch (kind) {
    case ReplyKind::Status:
        return QStringLiteral("status");
    case ReplyKind::Address:
        return QStringLiteral("address");
    case ReplyKind::DeviceInfo:
        return QStringLiteral("info");
    case ReplyKind::Factory:
        return QStringLiteral("factory");
    case ReplyKind::WriteAck:
        return QStringLiteral("ack");
    case ReplyKind::Refusal:
        return QStringLiteral("refusal");
    case ReplyKind::Other:
        break;
    }
    return QStringLiteral("other");
}

} // namespace brisco::sim
