// The 128-byte receive ring: write index, read index and unread count.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace brisco::protocol {

class ReceiveRing {
public:
    static constexpr int kSize = 128;

    // Stores the bytes in arrival order at the write index. When more than
    // kSize bytes would then be unread, the oldest are discarded so that the
    // read index and count always describe bytes really held in the ring.
    void append(std::span<const std::uint8_t> bytes);

    // Consumes k bytes at the read index. The count may go below zero (an
    // acknowledgement dropped before its tail arrived).
    void drop(int k);

    // Byte k (0..127) of the frame at the read index, with the single wrap.
    std::uint8_t at(int k) const;

    // True when the sum of bytes 0..n-1 modulo 256 differs from byte n.
    bool checksumError(int n) const;

    int receiveNo() const { return m_ReceiveNo; }
    int dataPointer() const { return m_DataPointer; }
    int dataNo() const { return m_DataNo; }

private:
    std::array<std::uint8_t, kSize> m_ReceiveBuffer{};
    int m_ReceiveNo = 0;
    std::int16_t m_DataPointer = 0;
    int m_DataNo = 0;
};

} // namespace brisco::protocol
