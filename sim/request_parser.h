// Cuts the byte stream that reaches the controller into request frames.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace brisco::sim {

class RequestParser {
public:
    // Appends bytes, which may end anywhere, and returns every request now
    // complete whose checksum matches, in arrival order, whatever its address.
    QList<QByteArray> feed(QByteArrayView bytes);

    // Bytes dropped one at a time while looking for the next request start:
    // noise, unknown commands and frames with a bad checksum.
    qint64 skippedBytes() const { return m_skippedBytes; }
    qint64 badChecksums() const { return m_badChecksums; }

private:
    // Length of the request at the front of bytes; 0 while more bytes are
    // needed to tell, -1 when no request starts there.
    static qsizetype frameLengthAt(QByteArrayView bytes);

    QByteArray m_pending;
    qint64 m_skippedBytes = 0;
    qint64 m_badChecksums = 0;
};

} // namespace brisco::sim
