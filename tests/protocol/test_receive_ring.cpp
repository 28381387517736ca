#include "frame_bytes.h"

#include "protocol/receive_ring.h"

#include <QTest>

#include <climits>

using namespace brisco::protocol;
using namespace brisco::protocol::test;

namespace {

// 0, 1, 2, ... count - 1, each modulo 256.
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
    void startsEmpty() {
        const ReceiveRing ring;
        QCOMPARE(ring.receiveNo(), 0);
        QCOMPARE(ring.dataPointer(), 0);
        QCOMPARE(ring.dataNo(), 0);
    }

    void appendStoresInArrivalOrder() {
        ReceiveRing ring;
        ring.append(hex("05 01 0F"));
        ring.append(hex("00 15"));
        QCOMPARE(ring.receiveNo(), 5);
        QCOMPARE(ring.dataNo(), 5);
        QCOMPARE(ring.dataPointer(), 0);
        for (int k = 0; k < 5; ++k) {
            QCOMPARE(ring.at(k), hex("05 01 0F 00 15")[static_cast<std::size_t>(k)]);
        }
        ring.append({});
        QCOMPARE(ring.dataNo(), 5);
    }

    void writeIndexWrapsAt128() {
        ReceiveRing ring;
        moveIndicesTo(ring, 126);
        ring.append(hex("AA BB CC"));
        QCOMPARE(ring.receiveNo(), 1);
        QCOMPARE(ring.buffer()[126], std::uint8_t{0xAA});
        QCOMPARE(ring.buffer()[127], std::uint8_t{0xBB});
        QCOMPARE(ring.buffer()[0], std::uint8_t{0xCC});
        QCOMPARE(ring.dataNo(), 3);
    }

    void dropMovesTheReadIndexWithTheSingleWrap() {
        ReceiveRing ring;
        moveIndicesTo(ring, 125);
        ring.append(counting(10));
        ring.drop(2);
        QCOMPARE(ring.dataPointer(), 127);
        QCOMPARE(ring.dataNo(), 8);
        ring.drop(1);
        QCOMPARE(ring.dataPointer(), 0);
        QCOMPARE(ring.at(0), std::uint8_t{3});
        ring.drop(0);
        ring.drop(-4);
        QCOMPARE(ring.dataPointer(), 0);
        QCOMPARE(ring.dataNo(), 7);
    }

    void dropOfAFullRing() {
        ReceiveRing ring;
        moveIndicesTo(ring, 40);
        ring.append(counting(128));
        ring.drop(128);
        QCOMPARE(ring.dataPointer(), 40);
        QCOMPARE(ring.receiveNo(), 40);
        QCOMPARE(ring.dataNo(), 0);
    }

    void atReadsAcrossTheWrap() {
        ReceiveRing ring;
        moveIndicesTo(ring, 120);
        ring.append(counting(36, 1));
        QCOMPARE(ring.receiveNo(), 28);
        for (int k = 0; k < 36; ++k) {
            QCOMPARE(ring.at(k), std::uint8_t(k + 1));
        }
        QCOMPARE(ring.at(7), ring.buffer()[127]);
        QCOMPARE(ring.at(8), ring.buffer()[0]);
    }

    void atNeverLeavesTheRing_data() {
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("sameAs");
        QTest::newRow("-1") << -1 << 127;
        QTest::newRow("128") << 128 << 0;
        QTest::newRow("255") << 255 << 127;
        QTest::newRow("1000") << 1000 << 1000 % 128;
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

    void checksumErrorComparesTheSumWithTheNextByte() {
        ReceiveRing ring;
        ring.append(hex("05 01 0F 00 15 00"));
        QVERIFY(!ring.checksumError(4));
        QVERIFY(ring.checksumError(3));
        QVERIFY(ring.checksumError(0)); // empty sum 0 against byte 05
        ring.drop(5);
        QVERIFY(!ring.checksumError(0)); // empty sum 0 against byte 00
    }

    void checksumErrorAcrossTheWrap() {
        ReceiveRing straight;
        straight.append(statusReply(1));
        ReceiveRing wrapped;
        moveIndicesTo(wrapped, 120);
        wrapped.append(statusReply(1));
        QVERIFY(!straight.checksumError(35));
        QVERIFY(!wrapped.checksumError(35));

        Frame corrupted = statusReply(1);
        corrupted[30] ^= 0x10;
        ReceiveRing bad;
        moveIndicesTo(bad, 120);
        bad.append(corrupted);
        QVERIFY(bad.checksumError(35));
    }

    void checksumErrorOverTheWholeRing() {
        Frame bytes = counting(127, 3);
        bytes.push_back(checksum(bytes));
        ReceiveRing ring;
        moveIndicesTo(ring, 77);
        ring.append(bytes);
        QVERIFY(!ring.checksumError(127));
        QVERIFY(ring.checksumError(128));
        QVERIFY(ring.checksumError(-1));
    }

    void overflowDiscardsTheOldest() {
        ReceiveRing ring;
        ring.append(counting(200));
        QCOMPARE(ring.dataNo(), 128);
        QCOMPARE(ring.receiveNo(), 200 - 128);
        QCOMPARE(ring.dataPointer(), 200 - 128);
        QCOMPARE(ring.at(0), std::uint8_t{72});
        QCOMPARE(ring.at(127), std::uint8_t{199});
    }

    void overflowInPieces() {
        ReceiveRing ring;
        moveIndicesTo(ring, 50);
        ring.append(counting(100));
        ring.drop(10);
        ring.append(counting(100, 100));
        QCOMPARE(ring.dataNo(), 128);
        QCOMPARE(ring.dataPointer(), ring.receiveNo());
        QCOMPARE(ring.at(0), std::uint8_t{200 - 128});
        QCOMPARE(ring.at(127), std::uint8_t{199});
        ring.append(hex("FF"));
        QCOMPARE(ring.dataNo(), 128);
        QCOMPARE(ring.at(0), std::uint8_t{73});
        QCOMPARE(ring.at(127), std::uint8_t{0xFF});
    }

    void negativeCountClimbsBackWithoutExamining() {
        ReceiveRing ring;
        ring.append(hex("06 01 1E 00 01"));
        ring.drop(7);
        QCOMPARE(ring.dataNo(), -2);
        QCOMPARE(ring.dataPointer(), 7);
        ring.append(hex("41"));
        QCOMPARE(ring.dataNo(), -1);
        ring.append(hex("67"));
        QCOMPARE(ring.dataNo(), 0);
        QCOMPARE(ring.receiveNo(), 7);
        QCOMPARE(ring.dataPointer(), 7);
        ring.append(hex("15 00"));
        QCOMPARE(ring.at(0), std::uint8_t{0x15});
        QCOMPARE(ring.dataNo(), 2);
    }
};

QTEST_GUILESS_MAIN(TestReceiveRing)
#include "test_receive_ring.moc"
