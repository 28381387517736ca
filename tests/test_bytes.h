// Byte helpers shared by the test programs. Frames are written out in
// hexadecimal and their checksums summed here, independently of the code
// under test, so that a mistake made on both sides cannot hide.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <initializer_list>
#include <span>
#include <utility>

// "05 01 0F 00 15" -> the five bytes.
inline QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

// The bytes as "05 01 0F 00 15", for readable comparisons.
inline QString hexOf(QByteArrayView bytes) {
    return QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
}

inline std::span<const std::uint8_t> bytesOf(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

// The body followed by the sum of its bytes modulo 256.
inline QByteArray framed(QByteArray body) {
    unsigned sum = 0;
    for (const char byte : body) {
        sum += static_cast<unsigned char>(byte);
    }
    body.append(static_cast<char>(sum & 0xFFu));
    return body;
}

// A 36-byte status reply whose data byte at offset k is 0x30 + k unless given
// as {offset, value}: no two alike, so a byte read from the wrong offset or a
// two-byte value read in the wrong order shows, and none is a start byte.
inline QByteArray statusReply(std::initializer_list<std::pair<int, int>> data = {},
                              int address = 1) {
    QByteArray body = hex("06 00 0F 00 1E");
    body[1] = static_cast<char>(address);
    for (int offset = 5; offset < 35; ++offset) {
        body.append(static_cast<char>(0x30 + offset));
    }
    for (const auto& [offset, value] : data) {
        body[offset] = static_cast<char>(value);
    }
    return framed(body);
}

// A device-information reply carrying text.
inline QByteArray deviceInfoReply(const QByteArray& text, int address = 1) {
    QByteArray body = hex("06 00 0F 02 00");
    body[1] = static_cast<char>(address);
    body[4] = static_cast<char>(text.size());
    return framed(body + text);
}
