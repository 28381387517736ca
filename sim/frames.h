// Frames of the controller protocol as the controller sees them: the requests
// it receives, the replies it sends and the additive checksum that closes both.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <array>

namespace brisco::sim {

inline constexpr quint8 kRequestStart = 5;
inline constexpr quint8 kReplyStart = 6;
inline constexpr quint8 kRefusalStart = 21;

inline constexpr quint8 kCommandRead = 15;
inline constexpr quint8 kCommandWrite = 30;

inline constexpr quint8 kReadStatus = 0;
inline constexpr quint8 kReadAddress = 1;
inline constexpr quint8 kReadDeviceInfo = 2;
inline constexpr quint8 kReadFactory = 3;

// Address 0 reaches every controller on the bus; only the address query uses it.
inline constexpr quint8 kBroadcastAddress = 0;

inline constexpr int kReadRequestLength = 5;
inline constexpr int kStatusReplyLength = 36;
inline constexpr int kStatusDataLength = 30;
inline constexpr int kFactoryValueCount = 12;
inline constexpr int kMaxTextLength = 255;

using FactoryValues = std::array<quint8, kFactoryValueCount>;

// Sum of the bytes modulo 256.
quint8 checksum(QByteArrayView bytes);
// True when the last byte is the checksum of all bytes before it.
bool checksumMatches(QByteArrayView frame);

QByteArray statusPoll(quint8 address);
QByteArray addressQuery();
QByteArray deviceInfoQuery(quint8 address);
QByteArray factoryQuery(quint8 address);
QByteArray parameterWrite(quint8 address, quint8 parameter, quint8 value);
QByteArray parameterWrite16(quint8 address, quint8 parameter, quint16 value);

// data holds the 30 bytes that go to offsets 5..34.
QByteArray statusReply(quint8 address, QByteArrayView data);
QByteArray addressReply(quint8 replyAddress, quint8 busAddress);
// text is sent as it stands, terminating byte included; at most 255 bytes.
QByteArray deviceInfoReply(quint8 address, QByteArrayView text);
QByteArray factoryReply(quint8 address, const FactoryValues& values);
QByteArray writeAcknowledgement(quint8 address, quint8 parameter, QByteArrayView values);
QByteArray refusal(quint8 detail);

enum class ReplyKind { Status, Address, DeviceInfo, Factory, WriteAck, Refusal, Other };

ReplyKind replyKind(QByteArrayView frame);
QString replyKindName(ReplyKind kind);

} // namespace brisco::sim
