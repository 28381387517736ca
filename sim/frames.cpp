#include "sim/frames.h"

namespace brisco::sim {

quint8 checksum(QByteArrayView bytes) {
    unsigned sum = 0;
    for (const char byte : bytes)
        sum += static_cast<quint8>(byte);
    return static_cast<quint8>(sum & 0xFF);
}

bool checksumMatches(QByteArrayView frame) {
    return frame.size() >= 2 && checksum(frame.chopped(1)) == static_cast<quint8>(frame.back());
}

QByteArray reply(quint8 address, quint8 command, quint8 selector, QByteArrayView data) {
    Q_ASSERT(data.size() <= kMaxTextLength);
    QByteArray frame;
    for (const quint8 byte : {kReplyStart, address, command, selector, quint8(data.size())})
        frame.append(static_cast<char>(byte));
    frame.append(data);
    frame.append(static_cast<char>(checksum(frame)));
    return frame;
}

QByteArray refusal(quint8 address) {
    return QByteArray(1, static_cast<char>(kRefusalStart)) + static_cast<char>(address);
}

ReplyKind replyKind(QByteArrayView frame) {
    if (frame.size() == 2 && static_cast<quint8>(frame[0]) == kRefusalStart)
        return ReplyKind::Refusal;
    if (frame.size() < 5 || static_cast<quint8>(frame[0]) != kReplyStart)
        return ReplyKind::Other;
    const auto command = static_cast<quint8>(frame[2]);
    if (command == kCommandWrite)
        return ReplyKind::WriteAck;
    constexpr ReplyKind kReads[] = {ReplyKind::Status, ReplyKind::Address, ReplyKind::DeviceInfo,
                                    ReplyKind::Factory};
    const auto subCommand = static_cast<quint8>(frame[3]);
    return command == kCommandRead && subCommand <= kReadFactory ? kReads[subCommand]
                                                                 : ReplyKind::Other;
}

QString replyKindName(ReplyKind kind) {
    static const char* const kNames[] = {"status", "address", "info", "factory",
                                         "ack",    "refusal", "other"};
    return QString::fromLatin1(kNames[static_cast<int>(kind)]);
}

} // namespace brisco::sim
