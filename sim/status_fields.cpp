#include "sim/status_fields.h"

#include "sim/frames.h"

namespace brisco::sim {

QByteArray StatusFields::toReply(quint8 address) const {
    QByteArray data(reinterpret_cast<const char*>(setPoints.data()), kSetPointCount);
    for (const quint8 byte :
         {WorkState, AlarmA, AlarmB, Inputs, Temp1, Temp2, ControlTemp, TECcurrent})
        data.append(static_cast<char>(byte));
    for (const quint16 word : {DCvoltage, IntFanSpeed, ExtFanSpeed}) {
        data.append(static_cast<char>(word >> 8));
        data.append(static_cast<char>(word & 0xFF));
    }
    return reply(address, kCommandRead, kReadStatus, data);
}

std::optional<StatusFields> StatusFields::fromReply(QByteArrayView reply) {
    if (reply.size() != kStatusReplyLength || replyKind(reply) != u"status" ||
        !checksumMatches(reply))
        return std::nullopt;
    const auto byte = [reply](int offset) {
        return static_cast<quint8>(reply[offset]);
    };
    const auto word = [&byte](int offset) {
        return static_cast<quint16>(byte(offset) << 8 | byte(offset + 1));
    };
    StatusFields fields;
    for (int p = 0; p < kSetPointCount; ++p)
        fields.setPoints[p] = byte(5 + p);
    fields.WorkState = byte(21);
    fields.AlarmA = byte(22);
    fields.AlarmB = byte(23);
    fields.Inputs = byte(24);
    fields.Temp1 = byte(25);
    fields.Temp2 = byte(26);
    fields.ControlTemp = byte(27);
    fields.TECcurrent = byte(28);
    fields.DCvoltage = word(29);
    fields.IntFanSpeed = word(31);
    fields.ExtFanSpeed = word(33);
    return fields;
}

} // namespace brisco::sim
