#include "protocol/receive_ring.h"

namespace brisco::protocol {

void ReceiveRing::append(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        m_ReceiveBuffer[static_cast<std::size_t>(m_ReceiveNo)] = byte;
        ++m_ReceiveNo;
        if (m_ReceiveNo >= kSize) {
            m_ReceiveNo -= kSize;
        }
        ++m_DataNo;
        // The byte just stored overwrote the oldest unread one: the read index
        // moves past it, so the count never claims more than the ring holds.
        if (m_DataNo > kSize) {
            m_DataNo = kSize;
            m_DataPointer = static_cast<std::int16_t>(m_ReceiveNo);
        }
    }
}

void ReceiveRing::drop(int k) {
    if (k <= 0) {
        return;
    }
    m_DataNo -= k;
    // Equal to the single subtraction of 128 for k up to 128, and stays in the
    // ring for any larger k.
    m_DataPointer = static_cast<std::int16_t>((m_DataPointer + k % kSize) % kSize);
}

std::uint8_t ReceiveRing::at(int k) const {
    // Masking first keeps any k inside the ring; for 0..127 it changes nothing.
    int index = m_DataPointer + (k & (kSize - 1));
    if (index >= kSize) {
        index -= kSize;
    }
    return m_ReceiveBuffer[static_cast<std::size_t>(index)];
}

bool ReceiveRing::checksumError(int n) const {
    // The checksum byte must lie inside the ring: a longer frame cannot be verified.
    if (n < 0 || n >= kSize) {
        return true;
    }
    unsigned sum = 0;
    for (int k = 0; k < n; ++k) {
        sum += at(k);
    }
    return (sum & 0xFFu) != at(n);
}

} // namespace brisco::protocol
