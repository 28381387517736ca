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

} // namespace brisco::sim
