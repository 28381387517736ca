// Frames as the controller sees them: start and command bytes, the additive
// checksum that closes every frame, and the replies it sends.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

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

inline constexpr int kMaxTextLength = 255;

// Sum of the bytes modulo 256.
quint8 checksum(QByteArrayView bytes);
// True when the last byte is the checksum of all bytes before it.
bool checksumMatches(QByteArrayView frame);

// 06 address command selector n, the n data bytes (at most 255), checksum: the
// shape of every reply but the refusal. n is sent also where the master does
// not read it.
QByteArray reply(quint8 address, quint8 command, quint8 selector, QByteArrayView data);
QByteArray refusal(quint8 address);

// status, address, info, factory, ack, refusal or other.
QString replyKind(QByteArrayView frame);

} // namespace brisco::sim
