#include "sim/controller_bus.h"

#include "sim/frames.h"

namespace brisco::sim {

namespace {

// Length of the request at the front of bytes; 0 while more bytes are needed
// to tell, -1 when no request starts there.
qsizetype requestLength(QByteArrayView bytes) {
    const auto at = [bytes](int offset) {
        return static_cast<quint8>(bytes[offset]);
    };
    if (at(0) != kRequestStart)
        return -1;
    if (bytes.size() < 3 || (at(2) == kCommandWrite && bytes.size() < 5))
        return 0;
    qsizetype length = -1;
    if (at(2) == kCommandRead)
        length = 5;
    else if (at(2) == kCommandWrite && (at(4) == 1 || at(4) == 2))
        length = 6 + at(4);
    return length < 0 || bytes.size() >= length ? length : 0;
}

// Drivers that talk at once: a bit is high on the line where any sends it
// high, and the frame breaks off in a checksum that never matches.
QByteArray collide(const QList<QByteArray>& replies) {
    QByteArray line;
    for (const QByteArray& reply : replies) {
        line.resize(qMax(line.size(), reply.size()), '\0');
        for (qsizetype i = 0; i < reply.size(); ++i)
            line[i] = static_cast<char>(line[i] | reply[i]);
    }
    line.back() = static_cast<char>(checksum(line.chopped(1)) ^ 0xFF);
    return line;
}

} // namespace

ControllerConfig busController(int index, quint8 address) {
    static const char* const kModels[] = {"TEC-48", "TEC-24", "TEC-60", "TEC-36"};
    ControllerConfig config;
    config.address = address;
    config.deviceInfo = QStringLiteral("%1/1.%2/VA2.%3/")
                            .arg(QLatin1String(kModels[index % 4]))
                            .arg(index % 10)
                            .arg(1 + index % 9)
                            .toLatin1();
    config.coolingShift = index % 8;
    return config;
}

ControllerBus::ControllerBus(const QList<ControllerConfig>& configs, quint32 seed) {
    for (qsizetype i = 0; i < configs.size(); ++i)
        m_controllers.emplace_back(configs[i], seed + 97 * static_cast<quint32>(i));
}

QList<Exchange> ControllerBus::receive(QByteArrayView bytes, double now) {
    m_pending.append(bytes);
    QList<Exchange> exchanges;
    qsizetype start = 0;
    while (start < m_pending.size()) {
        const QByteArrayView rest = QByteArrayView(m_pending).sliced(start);
        const qsizetype length = requestLength(rest);
        if (length == 0)
            break;
        if (length < 0 || !checksumMatches(rest.first(length))) {
            // A request may begin right behind the first byte of a bad one.
            ++m_counters.skippedBytes;
            ++start;
            continue;
        }
        const QByteArray request = rest.first(length).toByteArray();
        start += length;
        QList<QByteArray> replies;
        for (Controller& controller : m_controllers) {
            if (controller.addressedToMe(request))
                replies.append(controller.answer(request, now));
        }
        if (replies.isEmpty()) {
            ++m_counters.ignored;
            continue;
        }
        ++m_counters.accepted;
        m_counters.collisions += replies.size() > 1 ? 1 : 0;
        exchanges.append({request, replies.size() > 1 ? collide(replies) : replies.first()});
    }
    m_pending.remove(0, start);
    return exchanges;
}

} // namespace brisco::sim
