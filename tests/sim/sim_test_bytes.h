// Byte helpers shared by the simulator's tests: frames are written out in
// hexadecimal, and checksums are summed here independently of the simulator.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Compares two byte strings and shows them in spaced hexadecimal when they differ.
#define COMPARE_BYTES(actual, expected) QCOMPARE((actual).toHex(' '), (expected).toHex(' '))

inline QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

inline quint8 sumOf(QByteArrayView bytes) {
    int sum = 0;
    for (const char byte : bytes)
        sum += static_cast<quint8>(byte);
    return static_cast<quint8>(sum % 256);
}
