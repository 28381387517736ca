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

QString replyKind(QByteArrayView frame) {
    const auto at = [frame](int offset) {
        return static_cast<quint8>(frame[offset]);
    };
    if (frame.size() == 2 && at(0) == kRefusalStart)
        return QStringLiteral("refusal");
    if (frame.size() < 5 || at(0) != kReplyStart)
        return QStringLiteral("other");
    if (at(2) == kCommandWrite)
        return QStringLiteral("ack");
    static const char* const kReads[] = {"status", "address", "info", "factory"};
    return QString::fromLatin1(at(2) == kCommandRead && at(3) <= kReadFactory ? kReads[at(3)]
                                                                              : "other");
}

} // namespace brisco::sim
