// The frame scan over the receive ring, and the device-information text.
#include "frame_bytes.h"

#include "protocol/device_info.h"
#include "protocol/frame_scan.h"
#include "protocol/receive_ring.h"

#include <QTest>

using namespace brisco::protocol;
using namespace brisco::protocol::test;

namespace {

void compareRing(const ReceiveRing& ring, int dataPointer, int dataNo) {
    QCOMPARE(ring.dataPointer(), dataPointer);
    QCOMPARE(ring.dataNo(), dataNo);
}

int sizeOf(const Frame& frame) {
    return static_cast<int>(frame.size());
}

// "model|version|software", " edition" appended when the edition statement is shown.
QByteArray describe(const std::optional<DeviceInfo>& info) {
    if (!info) {
        return "refused";
    }
    const QByteArray text =
        QByteArray::fromStdString(info->model + '|' + info->version + '|' + info->softwareVersion);
    return info->semiconductorEdition ? text + " edition" : text;
}

} // namespace

class TestReplies : public QObject {
    Q_OBJECT

private slots:
    void fewerThanFiveBytesAreNotExamined_data() {
        QTest::addColumn<Frame>("bytes");
        QTest::newRow("empty") << Frame{};
        QTest::newRow("refusals") << hex("15 00 15 00");
        QTest::newRow("echo head") << hex("05 01 0F 00");
        QTest::newRow("command-45 reply head") << hex("06 01 2D 00");
    }

    void fewerThanFiveBytesAreNotExamined() {
        QFETCH(Frame, bytes);
        ReceiveRing ring;
        ring.append(bytes);
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::None);
        QVERIFY(!result.echoSeen);
        QVERIFY(!result.waiting);
        compareRing(ring, 0, sizeOf(bytes));
    }

    void refusalsAndNoiseBeforeAReply() {
        // 15 06 is one refusal: were its 06 read as a start, 06 01 0F 00 would
        // begin a status reply.
        ReceiveRing ring;
        ring.append(concat(hex("15 06 01 0F 00 00 FF 15 33"), statusReply(1)));
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::Status);
        QVERIFY(result.verified);
        QVERIFY(!result.echoSeen);
        compareRing(ring, 9, 36);
    }

    void echoes_data() {
        QTest::addColumn<Frame>("bytes");
        QTest::addColumn<int>("dropped");
        QTest::addColumn<bool>("echoSeen");
        QTest::newRow("status poll") << hex("05 01 0F 00 15 00") << 5 << true;
        QTest::newRow("address query") << hex("05 00 0F 01 15 00") << 5 << true;
        QTest::newRow("command 45") << hex("05 01 2D 00 33 00") << 5 << true;
        QTest::newRow("one-byte write") << hex("05 01 1E 00 01 41 66 00") << 7 << true;
        QTest::newRow("two-byte write") << hex("05 01 1E 05 02 03 E8 16 00") << 8 << true;
        QTest::newRow("other command") << hex("05 01 63 00 00") << 3 << false;
        QTest::newRow("poll of address 7") << hex("05 07 0F 00 1B") << 1 << false;
    }

    void echoes() {
        QFETCH(Frame, bytes);
        QFETCH(int, dropped);
        QFETCH(bool, echoSeen);
        ReceiveRing ring;
        ring.append(bytes);
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.echoSeen, echoSeen);
        QCOMPARE(result.reply, ReplyKind::None);
        // Whatever is left is fewer than five bytes.
        compareRing(ring, dropped, sizeOf(bytes) - dropped);
    }

    void echoOfAWriteWaitsForItsRest_data() {
        QTest::addColumn<Frame>("echo");
        QTest::newRow("one-byte write") << hex("05 01 1E 00 01 41 66");
        QTest::newRow("two-byte write") << hex("05 01 1E 05 02 03 E8 16");
    }

    void echoOfAWriteWaitsForItsRest() {
        QFETCH(Frame, echo);
        ReceiveRing ring;
        ring.append(std::span(echo).first(5));
        ScanResult result = scanFrames(ring, 1);
        QVERIFY(!result.echoSeen);
        QVERIFY(result.waiting);
        compareRing(ring, 0, 5);
        ring.append(std::span(echo).subspan(5, echo.size() - 6));
        result = scanFrames(ring, 1);
        QVERIFY(result.waiting);
        compareRing(ring, 0, sizeOf(echo) - 1);
        ring.append(std::span(echo).last(1));
        result = scanFrames(ring, 1);
        QVERIFY(result.echoSeen);
        QVERIFY(!result.waiting);
        compareRing(ring, sizeOf(echo), 0);
    }

    void echoThenReplyInOnePass() {
        ReceiveRing ring;
        moveIndicesTo(ring, 90);
        ring.append(concat(hex("05 01 0F 00 15"), statusReply(1)));
        const ScanResult result = scanFrames(ring, 1);
        QVERIFY(result.echoSeen);
        QCOMPARE(result.reply, ReplyKind::Status);
        QVERIFY(result.verified);
        QVERIFY(result.replyIndicatesLine);
        compareRing(ring, 95, 36);
    }

    void repliesReported_data() {
        QTest::addColumn<Frame>("bytes");
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("waitsForAll");
        QTest::addColumn<ReplyKind>("kind");
        QTest::addColumn<bool>("verified");
        QTest::addColumn<int>("dropLength");
        QTest::addColumn<bool>("indicatesLine");
        QTest::addColumn<int>("replyAddress");
        Frame corrupted = statusReply(1);
        corrupted[20] ^= 0x01;
        const Frame factory = framed(hex("06 01 0F 03 00 C8 05 F0 05 41 42 00 00 00 00 01 0A"));
        const auto row = [](const char* name, const Frame& bytes, int address, int start,
                            bool waitsForAll, ReplyKind kind, bool verified, int dropLength,
                            bool indicatesLine, int replyAddress = 0) {
            QTest::newRow(name) << bytes << address << start << waitsForAll << kind << verified
                                << dropLength << indicatesLine << replyAddress;
        };
        using enum ReplyKind;
        row("status from index 120", statusReply(1), 1, 120, true, Status, true, 36, true);
        row("status to address 0", statusReply(0), 1, 0, true, Status, true, 36, true);
        row("status to address 5, ours", statusReply(5), 5, 0, true, Status, true, 36, true);
        row("corrupted status byte", corrupted, 1, 0, true, Status, false, 36, true);
        row("address 5", hex("06 00 0F 01 01 05 1C"), 1, 0, true, Address, true, 7, true, 5);
        row("address, bad checksum", hex("06 00 0F 01 01 05 1D"), 1, 0, true, Address, false, 7,
            true);
        row("factory", factory, 1, 0, true, Factory, true, 18, false);
        row("device information", deviceInfoReply(1, "0123456789"), 1, 0, true, DeviceInfo, true,
            16, true);
        row("device information filling the ring", deviceInfoReply(1, QByteArray(122, 'x')), 1, 64,
            true, DeviceInfo, true, 128, true);
        // Write acknowledgements and command-45 replies carry no evaluated checksum.
        row("write ack, one value byte", hex("06 01 1E 00 01 41 67"), 1, 0, false, WriteAck, false,
            7, true);
        row("write ack, two value bytes", hex("06 01 1E 05 02 03 E8 17"), 1, 0, false, WriteAck,
            false, 8, true);
        row("write ack, byte 4 neither 1 nor 2", hex("06 01 1E 00 00"), 1, 0, false, WriteAck,
            false, 8, true);
        row("command 45", hex("06 01 2D 00 FF"), 1, 0, false, Command45, false, 5, true);
    }

    void repliesReported() {
        QFETCH(Frame, bytes);
        QFETCH(int, address);
        QFETCH(int, start);
        QFETCH(bool, waitsForAll);
        QFETCH(ReplyKind, kind);
        QFETCH(bool, verified);
        QFETCH(int, dropLength);
        QFETCH(bool, indicatesLine);
        QFETCH(int, replyAddress);
        ReceiveRing ring;
        moveIndicesTo(ring, start);
        const auto scanAddress = static_cast<std::uint8_t>(address);
        if (waitsForAll) {
            // In three pieces: too few bytes to examine, all but the last, the last.
            ring.append(std::span(bytes).first(4));
            QCOMPARE(scanFrames(ring, scanAddress).reply, ReplyKind::None);
            ring.append(std::span(bytes).subspan(4, bytes.size() - 5));
            const ScanResult early = scanFrames(ring, scanAddress);
            QCOMPARE(early.reply, ReplyKind::None);
            QVERIFY(early.waiting);
            compareRing(ring, start, sizeOf(bytes) - 1);
            ring.append(std::span(bytes).last(1));
        } else {
            ring.append(bytes);
        }
        const ScanResult result = scanFrames(ring, scanAddress);
        QCOMPARE(result.reply, kind);
        QCOMPARE(result.verified, verified);
        QCOMPARE(result.dropLength, dropLength);
        QCOMPARE(result.replyIndicatesLine, indicatesLine);
        QCOMPARE(result.replyAddress, std::uint8_t(replyAddress));
        QVERIFY(!result.echoSeen);
        QVERIFY(!result.waiting);
        // Left at the read index for the caller to decode and drop.
        compareRing(ring, start, sizeOf(bytes));
    }

    void twoRepliesOnlyTheFirstPerPass() {
        ReceiveRing ring;
        ring.append(concat(statusReply(1), statusReply(1)));
        for (const int dataPointer : {0, 36}) {
            const ScanResult result = scanFrames(ring, 1);
            QCOMPARE(result.reply, ReplyKind::Status);
            QVERIFY(result.verified);
            compareRing(ring, dataPointer, 72 - dataPointer);
            ring.drop(result.dropLength);
        }
        QCOMPARE(scanFrames(ring, 1).reply, ReplyKind::None);
        compareRing(ring, 72, 0);
    }

    void writeAcknowledgementOfWhichFiveBytesArrived() {
        ReceiveRing ring;
        ring.append(hex("06 01 1E 00 01"));
        ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::WriteAck);
        QCOMPARE(result.dropLength, 7);
        ring.drop(result.dropLength);
        QCOMPARE(ring.dataNo(), -2);
        QCOMPARE(scanFrames(ring, 1).reply, ReplyKind::None);
        ring.append(hex("41"));
        QCOMPARE(scanFrames(ring, 1).reply, ReplyKind::None);
        QCOMPARE(ring.dataNo(), -1);
        ring.append(hex("67"));
        QCOMPARE(scanFrames(ring, 1).reply, ReplyKind::None);
        compareRing(ring, 7, 0);
        // The next reply is read from the right place.
        ring.append(statusReply(1));
        result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::Status);
        QVERIFY(result.verified);
    }

    void unusableRepliesAreDroppedHere_data() {
        QTest::addColumn<Frame>("head");
        QTest::addColumn<int>("dropped");
        QTest::newRow("sub-command 9") << hex("06 01 0F 09 00") << 3;
        QTest::newRow("command 99") << hex("06 01 63 00 00") << 3;
        QTest::newRow("address 7") << hex("06 07 0F 00 00") << 1;
        // Longer than the ring: resynchronise on the next byte.
        QTest::newRow("device information, L 123") << hex("06 01 0F 02 7B") << 1;
        QTest::newRow("device information, L 255") << hex("06 01 0F 02 FF") << 1;
    }

    void unusableRepliesAreDroppedHere() {
        QFETCH(Frame, head);
        QFETCH(int, dropped);
        ReceiveRing ring;
        ring.append(concat(head, statusReply(1)));
        ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::None);
        QCOMPARE(result.dropLength, 0);
        QVERIFY(!result.replyIndicatesLine);
        // The pass ends there; the rest of the head is noise to the next one.
        compareRing(ring, dropped, 41 - dropped);
        result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::Status);
        QVERIFY(result.verified);
        compareRing(ring, 5, 36);
    }

    void splitDeviceInfo_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("split");
        const auto row = [](const char* name, const QByteArray& text, const char* split) {
            QTest::newRow(name) << text << QByteArray(split);
        };
        row("VA2 edition", "ABC/1.0/VA2.1/", "ABC|1.0|VA2.1 edition");
        row("other software", "ABC/1.0/VB3.0/", "ABC|1.0|VB3.0");
        row("no terminator", "X/Y/Z", "X|Y|");
        row("empty model", "/1.0/VA2x", "|1.0|VA2 edition");
        row("slash in software version", "A/B/C/D/x", "A|B|C/D/");
        row("VA without 2", "M/V/VA!", "M|V|VA");
        row("terminator of any value", QByteArray("M/V/VA2\0", 8), "M|V|VA2 edition");
        row("empty", "", "refused");
        row("no separator", "ABC", "refused");
        row("one separator", "ABC/1.0", "refused");
        row("ends after the second separator", "X/Y/", "refused");
    }

    void splitDeviceInfo() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, split);
        const std::string_view view(text.constData(), static_cast<std::size_t>(text.size()));
        QCOMPARE(describe(brisco::protocol::splitDeviceInfo(view)), split);
    }

    void deviceInfoTextAcrossTheWrap() {
        ReceiveRing ring;
        moveIndicesTo(ring, 115);
        ring.append(concat(hex("05 01 0F 02 17"), deviceInfoReply(1, "TEC-300/2.1/VA2.07/")));
        const ScanResult result = scanFrames(ring, 1);
        QVERIFY(result.echoSeen);
        QCOMPARE(result.reply, ReplyKind::DeviceInfo);
        QVERIFY(result.verified);
        QCOMPARE(ring.dataPointer(), 120);
        QCOMPARE(QByteArray::fromStdString(deviceInfoText(ring)),
                 QByteArray("TEC-300/2.1/VA2.07/"));
        QCOMPARE(describe(brisco::protocol::splitDeviceInfo(deviceInfoText(ring))),
                 QByteArray("TEC-300|2.1|VA2.07 edition"));
    }

    void deviceInfoTextLength_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("textSize");
        QTest::newRow("123 fits") << 123 << 123;
        QTest::newRow("124 would leave the ring") << 124 << 0;
        QTest::newRow("255") << 255 << 0;
    }

    void deviceInfoTextLength() {
        QFETCH(int, length);
        QFETCH(int, textSize);
        ReceiveRing ring;
        ring.append(concat(hex("06 01 0F 02"), Frame{static_cast<std::uint8_t>(length)}));
        QCOMPARE(static_cast<int>(deviceInfoText(ring).size()), textSize);
    }
};

QTEST_GUILESS_MAIN(TestReplies)
#include "test_replies.moc"
