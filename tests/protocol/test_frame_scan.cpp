#include "frame_bytes.h"

#include "protocol/frame_scan.h"
#include "protocol/receive_ring.h"

#include <QTest>

using namespace brisco::protocol;
using namespace brisco::protocol::test;

namespace {

// What the caller does with a reported reply once it has decoded it.
void dropReported(ReceiveRing& ring, const ScanResult& result) {
    ring.drop(result.dropLength);
}

void compareRing(const ReceiveRing& ring, int dataPointer, int dataNo) {
    QCOMPARE(ring.dataPointer(), dataPointer);
    QCOMPARE(ring.dataNo(), dataNo);
}

} // namespace

class TestFrameScan : public QObject {
    Q_OBJECT

private slots:
    void emptyRingReportsNothing() {
        ReceiveRing ring;
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::None);
        QCOMPARE(result.dropLength, 0);
        QVERIFY(!result.echoSeen);
        QVERIFY(!result.replyIndicatesLine);
    }

    void completeStatusReplyIsReportedAndLeftInTheRing() {
        ReceiveRing ring;
        ring.append(statusReply(1));
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::Status);
        QVERIFY(result.verified);
        QCOMPARE(result.dropLength, 36);
        QVERIFY(result.replyIndicatesLine);
        QVERIFY(!result.echoSeen);
        compareRing(ring, 0, 36);
        QCOMPARE(ring.at(5), std::uint8_t{100});
        dropReported(ring, result);
        compareRing(ring, 36, 0);
    }

    void statusReplyInThreePieces() {
        const Frame reply = statusReply(1);
        ReceiveRing ring;
        ring.append(std::span(reply).subspan(0, 4));
        QCOMPARE(scanFrames(ring, 1).reply, ReplyKind::None);
        compareRing(ring, 0, 4);
        ring.append(std::span(reply).subspan(4, 20));
        QCOMPARE(scanFrames(ring, 1).reply, ReplyKind::None);
        compareRing(ring, 0, 24);
        ring.append(std::span(reply).subspan(24));
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::Status);
        QVERIFY(result.verified);
        compareRing(ring, 0, 36);
    }

    void statusReplyAcrossTheWrap() {
        ReceiveRing straight;
        straight.append(statusReply(1));
        ReceiveRing wrapped;
        moveIndicesTo(wrapped, 120);
        wrapped.append(statusReply(1));
        QCOMPARE(wrapped.receiveNo(), 28); // bytes at 120..127 and 0..27

        const ScanResult a = scanFrames(straight, 1);
        const ScanResult b = scanFrames(wrapped, 1);
        QCOMPARE(b.reply, ReplyKind::Status);
        QCOMPARE(b.reply, a.reply);
        QCOMPARE(b.verified, a.verified);
        QVERIFY(b.verified);
        QCOMPARE(b.dropLength, a.dropLength);
        for (int k = 0; k < 36; ++k) {
            QCOMPARE(wrapped.at(k), straight.at(k));
        }
        dropReported(wrapped, b);
        compareRing(wrapped, 28, 0);
    }

    void twoRepliesOnlyTheFirstPerPass() {
        ReceiveRing ring;
        ring.append(concat(statusReply(1), statusReply(1)));
        ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::Status);
        compareRing(ring, 0, 72);
        dropReported(ring, result);
        result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::Status);
        QVERIFY(result.verified);
        compareRing(ring, 36, 36);
        dropReported(ring, result);
        QCOMPARE(scanFrames(ring, 1).reply, ReplyKind::None);
        compareRing(ring, 72, 0);
    }

    void fewerThanFiveBytesAreNotExamined_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("refusal") << QByteArray::fromHex("15001500");
        QTest::newRow("noise") << QByteArray::fromHex("00FF0709");
        QTest::newRow("echo head") << QByteArray::fromHex("05010F00");
        QTest::newRow("command-45 head") << QByteArray::fromHex("06012D00");
    }

    void fewerThanFiveBytesAreNotExamined() {
        QFETCH(QByteArray, bytes);
        ReceiveRing ring;
        ring.append(toFrame(bytes));
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::None);
        QVERIFY(!result.echoSeen);
        compareRing(ring, 0, 4);
    }

    void refusalsAndNoiseAreSkipped() {
        ReceiveRing ring;
        ring.append(concat(hex("15 00 00 FF 07 15 33"), statusReply(1)));
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::Status);
        QVERIFY(result.verified);
        compareRing(ring, 7, 36);
    }

    void refusalNeedsFiveUnreadBytes() {
        ReceiveRing ring;
        ring.append(hex("15 00 15 00"));
        scanFrames(ring, 1);
        compareRing(ring, 0, 4);
        ring.append(hex("15"));
        scanFrames(ring, 1);
        // The first refusal goes; three bytes are left, too few to look at.
        compareRing(ring, 2, 3);
    }

    void echoThenReplyInOnePass() {
        ReceiveRing ring;
        ring.append(concat(hex("05 01 0F 00 15"), statusReply(1)));
        const ScanResult result = scanFrames(ring, 1);
        QVERIFY(result.echoSeen);
        QCOMPARE(result.reply, ReplyKind::Status);
        QVERIFY(result.verified);
        compareRing(ring, 5, 36);
    }

    void echoes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("dropped");
        QTest::addColumn<bool>("echoSeen");
        QTest::newRow("status poll") << QByteArray::fromHex("05010F001500") << 5 << true;
        QTest::newRow("address query") << QByteArray::fromHex("05000F011500") << 5 << true;
        QTest::newRow("command 45") << QByteArray::fromHex("05012D003300") << 5 << true;
        QTest::newRow("one-byte write") << QByteArray::fromHex("05011E0001416600") << 7 << true;
        QTest::newRow("two-byte write") << QByteArray::fromHex("05011E050203E81600") << 8 << true;
        QTest::newRow("other command") << QByteArray::fromHex("0501630000") << 3 << false;
    }

    void echoes() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, dropped);
        QFETCH(bool, echoSeen);
        ReceiveRing ring;
        ring.append(toFrame(bytes));
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.echoSeen, echoSeen);
        QCOMPARE(result.reply, ReplyKind::None);
        // Whatever is left is fewer than five bytes.
        compareRing(ring, dropped, static_cast<int>(bytes.size()) - dropped);
    }

    void echoOfAnotherAddressIsDroppedByteByByte() {
        ReceiveRing ring;
        ring.append(hex("05 07 0F 00 1B"));
        const ScanResult result = scanFrames(ring, 1);
        QVERIFY(!result.echoSeen);
        compareRing(ring, 1, 4);
    }

    void echoOfAWriteWaitsForItsRest_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("one-byte write") << QByteArray::fromHex("05011E00014166");
        QTest::newRow("two-byte write") << QByteArray::fromHex("05011E050203E816");
    }

    void echoOfAWriteWaitsForItsRest() {
        QFETCH(QByteArray, bytes);
        const Frame echo = toFrame(bytes);
        const int length = static_cast<int>(echo.size());
        ReceiveRing ring;
        ring.append(std::span(echo).first(5));
        ScanResult result = scanFrames(ring, 1);
        QVERIFY(!result.echoSeen);
        QVERIFY(result.waiting);
        compareRing(ring, 0, 5);
        ring.append(std::span(echo).subspan(5, static_cast<std::size_t>(length - 6)));
        result = scanFrames(ring, 1);
        QVERIFY(!result.echoSeen);
        compareRing(ring, 0, length - 1);
        ring.append(std::span(echo).last(1));
        result = scanFrames(ring, 1);
        QVERIFY(result.echoSeen);
        QVERIFY(!result.waiting);
        compareRing(ring, length, 0);
    }

    void replyAddressedElsewhereIsDroppedByteByByte() {
        ReceiveRing ring;
        ring.append(statusReply(7));
        ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::None);
        QVERIFY(!result.replyIndicatesLine);
        compareRing(ring, 1, 35);
        // The rest holds no start byte: it goes as noise on the next pass.
        result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::None);
        QVERIFY(ring.dataNo() < 5);
    }

    void replyAddressedToZeroIsAccepted() {
        ReceiveRing ring;
        ring.append(statusReply(0));
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::Status);
        QVERIFY(result.verified);
    }

    void addressIsTheGivenByte() {
        ReceiveRing ring;
        ring.append(statusReply(5));
        QCOMPARE(scanFrames(ring, 5).reply, ReplyKind::Status);
    }

    void corruptedStatusReplyIsReportedUnverified() {
        Frame reply = statusReply(1);
        reply[20] ^= 0x01;
        ReceiveRing ring;
        ring.append(reply);
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::Status);
        QVERIFY(!result.verified);
        QCOMPARE(result.dropLength, 36);
        QVERIFY(result.replyIndicatesLine);
        dropReported(ring, result);
        compareRing(ring, 36, 0);
    }

    void addressReply() {
        ReceiveRing ring;
        ring.append(hex("06 00 0F 01 01 05 1C"));
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::Address);
        QVERIFY(result.verified);
        QCOMPARE(result.replyAddress, std::uint8_t{5});
        QCOMPARE(result.dropLength, 7);
        QVERIFY(result.replyIndicatesLine);
        dropReported(ring, result);
        // The next reply is accepted for the new address.
        ring.append(statusReply(5));
        QCOMPARE(scanFrames(ring, result.replyAddress).reply, ReplyKind::Status);
    }

    void addressReplyWithBadChecksumCarriesNoAddress() {
        ReceiveRing ring;
        ring.append(hex("06 00 0F 01 01 05 1D"));
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::Address);
        QVERIFY(!result.verified);
        QCOMPARE(result.replyAddress, std::uint8_t{0});
        QCOMPARE(result.dropLength, 7);
        QVERIFY(result.replyIndicatesLine);
    }

    void addressReplyWaitsForSevenBytes() {
        ReceiveRing ring;
        ring.append(hex("06 00 0F 01 01 05"));
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::None);
        QVERIFY(result.waiting);
        compareRing(ring, 0, 6);
    }

    void factoryReply() {
        ReceiveRing ring;
        const Frame reply = framed(hex("06 01 0F 03 00 C8 05 F0 05 41 42 00 00 00 00 01 0A"));
        ring.append(std::span(reply).first(17));
        QCOMPARE(scanFrames(ring, 1).reply, ReplyKind::None);
        ring.append(std::span(reply).last(1));
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::Factory);
        QVERIFY(!result.waiting);
        QVERIFY(result.verified);
        QCOMPARE(result.dropLength, 18);
        QVERIFY(!result.replyIndicatesLine);
    }

    void deviceInfoReply() {
        const Frame reply = brisco::protocol::test::deviceInfoReply(1, "0123456789");
        QCOMPARE(reply.size(), 16u);
        ReceiveRing ring;
        ring.append(std::span(reply).first(15));
        QCOMPARE(scanFrames(ring, 1).reply, ReplyKind::None);
        compareRing(ring, 0, 15);
        ring.append(std::span(reply).last(1));
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::DeviceInfo);
        QVERIFY(result.verified);
        QCOMPARE(result.dropLength, 16);
        QVERIFY(result.replyIndicatesLine);
    }

    void deviceInfoReplyFillingTheRing() {
        const Frame reply = brisco::protocol::test::deviceInfoReply(1, QByteArray(122, 'x'));
        ReceiveRing ring;
        moveIndicesTo(ring, 64);
        ring.append(reply);
        QCOMPARE(ring.dataNo(), 128);
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::DeviceInfo);
        QVERIFY(result.verified);
        QCOMPARE(result.dropLength, 128);
        dropReported(ring, result);
        compareRing(ring, 64, 0);
    }

    void deviceInfoReplyLongerThanTheRingResynchronises_data() {
        QTest::addColumn<int>("length");
        QTest::newRow("123") << 123;
        QTest::newRow("255") << 255;
    }

    void deviceInfoReplyLongerThanTheRingResynchronises() {
        QFETCH(int, length);
        ReceiveRing ring;
        ring.append(concat(hex("06 01 0F 02"), Frame{static_cast<std::uint8_t>(length)}));
        ring.append(statusReply(1));
        ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::None);
        QCOMPARE(result.dropLength, 0);
        compareRing(ring, 1, 40);
        // 01 0F 02 and the length are noise; the status reply behind is found.
        result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::Status);
        QVERIFY(result.verified);
        compareRing(ring, 5, 36);
    }

    void writeAcknowledgementOfWhichFiveBytesArrived() {
        ReceiveRing ring;
        ring.append(hex("06 01 1E 00 01"));
        ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::WriteAck);
        QVERIFY(!result.verified);
        QCOMPARE(result.dropLength, 7);
        QVERIFY(result.replyIndicatesLine);
        dropReported(ring, result);
        QCOMPARE(ring.dataNo(), -2);
        QCOMPARE(scanFrames(ring, 1).reply, ReplyKind::None);
        ring.append(hex("41"));
        QCOMPARE(scanFrames(ring, 1).reply, ReplyKind::None);
        QCOMPARE(ring.dataNo(), -1);
        ring.append(hex("67"));
        QCOMPARE(scanFrames(ring, 1).reply, ReplyKind::None);
        compareRing(ring, 7, 0);
        QCOMPARE(ring.receiveNo(), 7);
        // The next reply is read from the right place.
        ring.append(statusReply(1));
        result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::Status);
        QVERIFY(result.verified);
    }

    void writeAcknowledgements_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("length");
        QTest::newRow("one value byte") << QByteArray::fromHex("06011E00014167") << 7;
        QTest::newRow("two value bytes") << QByteArray::fromHex("06011E050203E817") << 8;
        QTest::newRow("byte 4 neither 1 nor 2") << QByteArray::fromHex("06011E0000") << 8;
    }

    void writeAcknowledgements() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, length);
        ReceiveRing ring;
        ring.append(toFrame(bytes));
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::WriteAck);
        QVERIFY(!result.verified);
        QCOMPARE(result.dropLength, length);
        QVERIFY(result.replyIndicatesLine);
        compareRing(ring, 0, static_cast<int>(bytes.size()));
    }

    void command45Reply() {
        ReceiveRing ring;
        ring.append(hex("06 01 2D 00 FF"));
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::Command45);
        QVERIFY(!result.verified);
        QCOMPARE(result.dropLength, 5);
        QVERIFY(result.replyIndicatesLine);
        compareRing(ring, 0, 5);
    }

    void unusableRepliesAreDroppedHere_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("dropped");
        QTest::newRow("sub-command 9") << QByteArray::fromHex("06010F0900FFFFFFFFFF") << 3;
        QTest::newRow("command 99") << QByteArray::fromHex("0601630000FFFFFFFFFF") << 3;
        QTest::newRow("address 7") << QByteArray::fromHex("06070F0000FFFFFFFFFF") << 1;
    }

    void unusableRepliesAreDroppedHere() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, dropped);
        ReceiveRing ring;
        ring.append(toFrame(bytes));
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::None);
        QCOMPARE(result.dropLength, 0);
        QVERIFY(!result.replyIndicatesLine);
        // The pass ends there: what follows waits for the next one.
        compareRing(ring, dropped, static_cast<int>(bytes.size()) - dropped);
    }

    void incompleteReplyStopsThePassAfterTheEcho() {
        Frame bytes = concat(hex("05 01 0F 00 15"), statusReply(1));
        bytes.pop_back();
        ReceiveRing ring;
        moveIndicesTo(ring, 90);
        ring.append(bytes);
        const ScanResult result = scanFrames(ring, 1);
        QVERIFY(result.echoSeen);
        QCOMPARE(result.reply, ReplyKind::None);
        QCOMPARE(result.dropLength, 0);
        QVERIFY(!result.replyIndicatesLine);
        QVERIFY(result.waiting);
        compareRing(ring, 95, 35);
    }
};

QTEST_GUILESS_MAIN(TestFrameScan)
#include "test_frame_scan.moc"
