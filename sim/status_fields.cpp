#include "sim/status_fields.h"

namespace brisco::sim {

namespace {

void appendWord(QByteArray& bytes, quint16 value) {
    bytes.append(static_cast<char>(value >> 8));
    bytes.append(static_cast<char>(value & 0xFF));
}

quint8 byteAt(QByteArrayView bytes, int offset) {
    return static_cast<quint8>(bytes[offset]);
}

quint16 wordAt(QByteArrayView bytes, int offset) {
    return static_cast<quint16>(byteAt(bytes, offset) << 8 | byteAt(bytes, offset + 1));
}

} // namespace

QByteArray StatusFields::data() const {
    QByteArray bytes;
    bytes.reserve(kStatusDataLength);
    for (const quint8 setPoint : setPoints)
        bytes.append(static_cast<char>(setPoint));
    for (const quint8 byte :
         {WorkState, AlarmA, AlarmB, Inputs, Temp1, Temp2, ControlTemp, TECcurrent})
        bytes.append(static_cast<char>(byte));
    appendWord(bytes, DCvoltage);
    appendWord(bytes, IntFanSpeed);
    appendWord(bytes, ExtFanSpeed);
    return bytes;
}

QByteArray StatusFields::toReply(quint8 address) const {
    return statusReply(address, data());
}

std::optional<StatusFields> StatusFields::fromReply(QByteArrayView reply) {
    if (reply.size() != kStatusReplyLength || replyKind(reply) != ReplyKind::Status ||
        !checksumMatches(reply))
        return std::nullopt;
    StatusFields fields;
    for (int p = 0; p < kSetPointCount; ++p)
        fields.setPoints[p] = byteAt(reply, 5 + p);
    fields.WorkState = byteAt(reply, 21);
    fields.AlarmA = byteAt(reply, 22);
    fields.AlarmB = byteAt(reply, 23);
    fields.Inputs = byteAt(reply, 24);
    fields.Temp1 = byteAt(reply, 25);
    fields.Temp2 = byteAt(reply, 26);
    fields.ControlTemp = byteAt(reply, 27);
    fields.TECcurrent = byteAt(reply, 28);
    fields.DCvoltage = wordAt(reply, 29);
    fields.IntFanSpeed = wordAt(reply, 31);
    fields.ExtFanSpeed = wordAt(reply, 33);
    return fields;
}

} // namespace brisco::sim
