#include "frame_bytes.h"

#include "protocol/receive_ring.h"

#include <QTest>

#include <climits>

using namespace brisco::protocol;
using namespace brisco::protocol::test;

namespace {

// first, first + 1, ... count bytes, each modulo 256.
Frame counting(int count, int first = 0) {
    Frame bytes;
    for (int i = 0; i < count; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(first + i));
    }
    return bytes;
}

} // namespace

class TestReceiveRing : public QObject {
    Q_OBJECT

private slots:
    void indicesWrapAt128() {
        const Frame reply = statusReply(1);
        ReceiveRing ring;
        moveIndicesTo(ring, 120);
        ring.append(std::span(reply).first(10));
        ring.append(std::span(reply).subspan(10));
        QCOMPARE(ring.receiveNo(), 28); // 120..127, then 0..27
        QCOMPARE(ring.dataPointer(), 120);
        QCOMPARE(ring.dataNo(), 36);
        for (int k = 0; k < 36; ++k) {
            QCOMPARE(ring.at(k), reply[static_cast<std::size_t>(k)]);
        }
        QVERIFY(!ring.checksumError(35));

        ring.drop(8);
        QCOMPARE(ring.dataPointer(), 0);
        QCOMPARE(ring.at(0), reply[8]);
        ring.drop(0);
        ring.drop(-4);
        QCOMPARE(ring.dataPointer(), 0);
        QCOMPARE(ring.dataNo(), 28);
    }

    void checksumErrorOverTheWholeRing() {
        Frame bytes = counting(127, 3);
        bytes.push_back(checksum(bytes));
        ReceiveRing ring;
        moveIndicesTo(ring, 77);
        ring.append(bytes);
        QVERIFY(!ring.checksumError(127));
        QVERIFY(ring.checksumError(126));
        // A checksum byte outside the ring cannot match.
        QVERIFY(ring.checksumError(128));
        QVERIFY(ring.checksumError(-1));
    }

    void atNeverLeavesTheRing_data() {
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("sameAs");
        QTest::newRow("-1") << -1 << 127;
        QTest::newRow("128") << 128 << 0;
        QTest::newRow("INT_MAX") << INT_MAX << 127;
        QTest::newRow("INT_MIN") << INT_MIN << 0;
    }

    void atNeverLeavesTheRing() {
        QFETCH(int, k);
        QFETCH(int, sameAs);
        ReceiveRing ring;
        moveIndicesTo(ring, 100);
        ring.append(counting(128));
        QCOMPARE(ring.at(k), ring.at(sameAs));
    }

    void overflowDiscardsTheOldest() {
        ReceiveRing ring;
        moveIndicesTo(ring, 50);
        ring.append(counting(100));
        ring.drop(10);
        ring.append(counting(100, 100)); // 190 would be unread
        QCOMPARE(ring.dataNo(), 128);
        QCOMPARE(ring.receiveNo(), (50 + 200) % 128);
        QCOMPARE(ring.dataPointer(), ring.receiveNo());
        QCOMPARE(ring.at(0), std::uint8_t{200 - 128});
        QCOMPARE(ring.at(127), std::uint8_t{199});

        ring.append(hex("FF"));
        QCOMPARE(ring.dataNo(), 128);
        QCOMPARE(ring.at(0), std::uint8_t{73});
        QCOMPARE(ring.at(127), std::uint8_t{0xFF});

        const int full = ring.dataPointer();
        ring.drop(128);
        QCOMPARE(ring.dataNo(), 0);
        QCOMPARE(ring.dataPointer(), full);
    }
};

QTEST_GUILESS_MAIN(TestReceiveRing)
#include "test_receive_ring.moc"
