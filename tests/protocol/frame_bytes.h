// Byte helpers shared by the protocol tests.
#pragma once

#include "protocol/frames.h"
#include "protocol/receive_ring.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace brisco::protocol::test {

// "05 01 0F 00 15" -> the five bytes.
inline Frame hex(const QByteArray& text) {
    const QByteArray bytes = QByteArray::fromHex(text);
    return Frame(bytes.begin(), bytes.end());
}

// The bytes as "05 01 0F 00 15", for readable comparisons.
inline QString hexOf(const Frame& frame) {
    const QByteArray bytes(reinterpret_cast<const char*>(frame.data()),
                           static_cast<qsizetype>(frame.size()));
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// The body followed by its checksum.
inline Frame framed(Frame body) {
    body.push_back(checksum(body));
    return body;
}

inline Frame concat(Frame first, const Frame& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// A 36-byte status reply whose data bytes are all different and none of them
// a start byte, so that its tail reads as noise once its head is gone.
inline Frame statusReply(std::uint8_t address) {
    Frame body{kStartReply, address, kCommandRead, kReadStatus, 0};
    for (std::uint8_t value = 0; value < 30; ++value) {
        body.push_back(static_cast<std::uint8_t>(100 + value));
    }
    return framed(body);
}

inline Frame deviceInfoReply(std::uint8_t address, const QByteArray& text) {
    Frame body{kStartReply, address, kCommandRead, kReadDeviceInfo,
               static_cast<std::uint8_t>(text.size())};
    body.insert(body.end(), text.begin(), text.end());
    return framed(body);
}

// Fills and empties the ring so that the read and write indices stand at index.
inline void moveIndicesTo(ReceiveRing& ring, int index) {
    ring.append(Frame(static_cast<std::size_t>(index), 0));
    ring.drop(index);
}

} // namespace brisco::protocol::test
