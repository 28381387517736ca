#include "sim/request_parser.h"

#include "sim/frames.h"

namespace brisco::sim {

QList<QByteArray> RequestParser::feed(QByteArrayView bytes) {
    m_pending.append(bytes);
    QList<QByteArray> requests;
    qsizetype start = 0;
    while (start < m_pending.size()) {
        const QByteArrayView rest = QByteArrayView(m_pending).sliced(start);
        const qsizetype length = frameLengthAt(rest);
        if (length == 0)
            break;
        if (length > 0 && checksumMatches(rest.first(length))) {
            requests.append(rest.first(length).toByteArray());
            start += length;
            continue;
        }
        if (length > 0)
            ++m_badChecksums;
        // A request may begin right behind the first byte of a bad one.
        ++m_skippedBytes;
        ++start;
    }
    m_pending.remove(0, start);
    return requests;
}

qsizetype RequestParser::frameLengthAt(QByteArrayView bytes) {
    if (static_cast<quint8>(bytes[0]) != kRequestStart)
        return -1;
    if (bytes.size() < 3)
        return 0;
    const auto command = static_cast<quint8>(bytes[2]);
    if (command == kCommandRead)
        return bytes.size() < kReadRequestLength ? 0 : kReadRequestLength;
    if (command != kCommandWrite)
        return -1;
    if (bytes.size() < 5)
        return 0;
    const auto valueCount = static_cast<quint8>(bytes[4]);
    if (valueCount != 1 && valueCount != 2)
        return -1;
    const qsizetype length = 6 + valueCount;
    return bytes.size() < length ? 0 : length;
}

} // namespace brisco::sim
