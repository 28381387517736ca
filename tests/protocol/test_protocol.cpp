// Request frames and encodings, the receive ring, the frame scan and the
// split of the device-information text.
#include "test_bytes.h"

#include "protocol/device_info.h"
#include "protocol/frame_scan.h"
#include "protocol/frames.h"
#include "protocol/receive_ring.h"

#include <QTest>

#include <climits>
#include <limits>

using namespace brisco::protocol;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kRefused = -1;

// A ring whose read and write indices stand at index, holding bytes.
ReceiveRing ringAt(int index, const QByteArray& bytes = {}) {
    ReceiveRing ring;
    ring.append(bytesOf(QByteArray(index, '\0')));
    ring.drop(index);
    ring.append(bytesOf(bytes));
    return ring;
}

QByteArray counting(int count, int first = 0) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        bytes.append(static_cast<char>(first + i));
    }
    return bytes;
}

QByteArray describe(const std::optional<DeviceInfo>& info) {
    if (!info) {
        return "refused";
    }
    const QByteArray text =
        QByteArray::fromStdString(info->model + '|' + info->version + '|' + info->softwareVersion);
    return info->semiconductorEdition ? text + " edition" : text;
}

} // namespace

class TestProtocol : public QObject {
    Q_OBJECT

private slots:
    // Rounded half to even; a value that does not fit is refused, never cut.
    void encodeValue_data() {
        QTest::addColumn<Encoding>("encoding");
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("encoded");
        const auto row = [](const char* name, Encoding encoding, double x, int encoded) {
            QTest::newRow(name) << encoding << x << encoded;
        };
        row("plus40 -40", Encoding::Plus40, -40, 0);
        row("plus40 215", Encoding::Plus40, 215, 255);
        row("plus40 tie 26.5", Encoding::Plus40, 26.5, 66);
        row("plus40 tie 215.5", Encoding::Plus40, 215.5, kRefused);
        row("times10 25.5", Encoding::Times10, 25.5, 255);
        row("times10 25.6", Encoding::Times10, 25.6, kRefused);
        row("times10 tie 2.25", Encoding::Times10, 2.25, 22);
        row("half degree 87.5", Encoding::HalfDegree, 87.5, 255);
        row("half degree 88", Encoding::HalfDegree, 88, kRefused);
        row("half degree -40.5", Encoding::HalfDegree, -40.5, kRefused);
        row("half degree tie 25.25", Encoding::HalfDegree, 25.25, 130);
        row("word16 65535", Encoding::Word16, 65535, 65535);
        row("word16 tie 1000.5", Encoding::Word16, 1000.5, 1000);
        row("word16 tie 65535.5", Encoding::Word16, 65535.5, kRefused);
        row("plain tie 66.5", Encoding::Plain, 66.5, 66);
        row("plain tie -0.5", Encoding::Plain, -0.5, 0);
        row("plain -0.6", Encoding::Plain, -0.6, kRefused);
        row("plain just below a half", Encoding::Plain, 0.49999999999999994, 0);
        row("plain NaN", Encoding::Plain, kNaN, kRefused);
    }
    void encodeValue() {
        QFETCH(Encoding, encoding);
        QFETCH(double, x);
        QTEST(brisco::protocol::encodeValue(encoding, x).value_or(kRefused), "encoded");
    }

    void ringWrapsAt128() {
        const QByteArray reply = statusReply();
        ReceiveRing ring = ringAt(120, reply.left(10));
        ring.append(bytesOf(reply.mid(10)));
        QCOMPARE(ring.receiveNo(), 28);
        QCOMPARE(ring.dataPointer(), 120);
        QCOMPARE(ring.dataNo(), 36);
        for (int k = 0; k < 36; ++k) {
            QCOMPARE(ring.at(k), std::uint8_t(reply[k]));
        }
        QVERIFY(!ring.checksumError(35));
        QVERIFY(ring.checksumError(34));
        ring.drop(8);
        QCOMPARE(ring.dataPointer(), 0);
        ring.drop(-4);
        QCOMPARE(ring.dataPointer(), 0);
        QCOMPARE(ring.dataNo(), 28);
        // The checksum of a frame as long as the ring, and beyond it.
        QByteArray whole = framed(counting(127, 3));
        ring = ringAt(77, whole);
        QVERIFY(!ring.checksumError(127));
        QVERIFY(ring.checksumError(128));
        QVERIFY(ring.checksumError(-1));
        // No index reads outside the ring.
        QCOMPARE(ring.at(-1), ring.at(127));
        QCOMPARE(ring.at(128), ring.at(0));
        QCOMPARE(ring.at(INT_MAX), ring.at(127));
        QCOMPARE(ring.at(INT_MIN), ring.at(0));
    }

    void ringOverflowDiscardsTheOldest() {
        ReceiveRing ring = ringAt(50, counting(100));
        ring.drop(10);
        ring.append(bytesOf(counting(100, 100))); // 190 would be unread
        QCOMPARE(ring.dataNo(), 128);
        QCOMPARE(ring.receiveNo(), (50 + 200) % 128);
        QCOMPARE(ring.dataPointer(), ring.receiveNo());
        QCOMPARE(ring.at(0), std::uint8_t{72});
        QCOMPARE(ring.at(127), std::uint8_t{199});
        ring.drop(128);
        QCOMPARE(ring.dataNo(), 0);
        QCOMPARE(ring.dataPointer(), (50 + 200) % 128);
    }

    // Bytes that are not a reply: what one pass drops, and whether it saw an echo.
    void scanDrops_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("dropped");
        QTest::addColumn<bool>("echoSeen");
        QTest::addColumn<bool>("waiting");
        const auto row = [](const char* name, const QByteArray& bytes, int dropped, bool echo,
                            bool waiting = false) {
            QTest::newRow(name) << bytes << dropped << echo << waiting;
        };
        row("four bytes are not examined", hex("15 00 15 00"), 0, false);
        row("refusal then noise", hex("15 06 01 0F 00 00 FF 33"), 4, false);
        row("echo of a poll", hex("05 01 0F 00 15 00"), 5, true);
        row("echo of the address query", hex("05 00 0F 01 15 00"), 5, true);
        row("echo of command 45", hex("05 01 2D 00 33 00"), 5, true);
        row("echo of a write", hex("05 01 1E 00 01 41 66 00"), 7, true);
        row("echo of a two-byte write", hex("05 01 1E 05 02 03 E8 16 00"), 8, true);
        row("write echo, its tail missing", hex("05 01 1E 05 02 03 E8"), 0, false, true);
        row("request of another command", hex("05 01 63 00 00"), 3, false);
        row("poll of address 7", hex("05 07 0F 00 1B"), 1, false);
        row("reply, sub-command 9", hex("06 01 0F 09 00"), 3, false);
        row("reply, command 99", hex("06 01 63 00 00"), 3, false);
        row("reply to address 7", hex("06 07 0F 00 00"), 1, false);
        // Whole once it is all there and sound, so that its data are not taken for frames.
        row("sound reply from 7", hex("06 07 0F 01 01 07 25"), 7, false);
        row("damaged reply from 7", hex("06 07 0F 01 01 07 24"), 1, false);
        row("device information, L 123", hex("06 01 0F 02 7B"), 1, false);
        // 3 may still answer late: its reply is a whole frame, and the pass goes on behind it.
        const QByteArray behind = hex("15 00 05 01 0F 00 15 FF");
        row("late reply from 3, more behind", hex("06 03 0F 01 01 07 21") + behind, 14, true);
        row("damaged late reply", hex("06 03 0F 01 01 07 22") + behind, 1, false);
        row("late device information, L 123", hex("06 03 0F 02 7B"), 1, false);
    }
    void scanDrops() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, dropped);
        ReceiveRing ring = ringAt(100, bytes);
        ScanScope scope;
        scope.late.set(3);
        const ScanResult result = scanFrames(ring, scope);
        QCOMPARE(result.reply, ReplyKind::None);
        QTEST(result.echoSeen, "echoSeen");
        QTEST(result.waiting, "waiting");
        QCOMPARE(result.dropLength, 0);
        QCOMPARE(ring.dataPointer(), (100 + dropped) % 128);
        QCOMPARE(ring.dataNo(), bytes.size() - dropped);
    }

    // A reply is reported, left at the read index, only once all of it is
    // unread: in three pieces, nothing before the last.
    void repliesReported_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<ReplyKind>("kind");
        QTest::addColumn<bool>("verified");
        QTest::addColumn<int>("dropLength");
        QTest::addColumn<bool>("indicatesLine");
        QTest::addColumn<int>("replyAddress");
        QByteArray corrupted = statusReply();
        corrupted[20] = char(corrupted[20] ^ 1);
        const auto row = [](const char* name, const QByteArray& bytes, ReplyKind kind,
                            bool verified, int dropLength, bool line, int replyAddress = 0) {
            QTest::newRow(name) << bytes << kind << verified << dropLength << line << replyAddress;
        };
        using enum ReplyKind;
        row("status", statusReply(), Status, true, 36, true);
        row("status to address 0", statusReply({}, 0), Status, true, 36, true);
        row("status, a data byte corrupted", corrupted, Status, false, 36, true);
        row("address 5", hex("06 00 0F 01 01 05 1C"), Address, true, 7, true, 5);
        row("address, bad checksum", hex("06 00 0F 01 01 05 1D"), Address, false, 7, true);
        row("factory", framed(hex("06 01 0F 03 00 C8 05 F0 05 41 42 00 00 00 00 01 0A")), Factory,
            true, 18, false);
        row("device information L 10", deviceInfoReply("0123456789"), DeviceInfo, true, 16, true);
        row("device information filling the ring", deviceInfoReply(QByteArray(122, 'x')),
            DeviceInfo, true, 128, true);
    }
    void repliesReported() {
        QFETCH(QByteArray, bytes);
        ReceiveRing ring = ringAt(64, bytes.left(4));
        QCOMPARE(scanFrames(ring, 1).reply, ReplyKind::None);
        ring.append(bytesOf(bytes.mid(4, bytes.size() - 5)));
        QVERIFY(scanFrames(ring, 1).waiting);
        QCOMPARE(ring.dataNo(), bytes.size() - 1);
        ring.append(bytesOf(bytes.right(1)));
        const ScanResult result = scanFrames(ring, 1);
        QTEST(result.reply, "kind");
        QTEST(result.verified, "verified");
        QTEST(result.dropLength, "dropLength");
        QTEST(result.replyIndicatesLine, "indicatesLine");
        QTEST(int(result.replyAddress), "replyAddress");
        QCOMPARE(ring.dataPointer(), 64);
        QCOMPARE(ring.dataNo(), bytes.size());
    }

    // Acknowledgements carry no evaluated checksum and are reported at once:
    // the count goes below zero until their tail arrives.
    void acknowledgements_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<ReplyKind>("kind");
        QTest::addColumn<int>("dropLength");
        QTest::newRow("one value byte") << hex("06 01 1E 00 01") << ReplyKind::WriteAck << 7;
        QTest::newRow("two value bytes") << hex("06 01 1E 05 02") << ReplyKind::WriteAck << 8;
        QTest::newRow("byte 4 neither") << hex("06 01 1E 00 00") << ReplyKind::WriteAck << 8;
        QTest::newRow("command 45") << hex("06 01 2D 00 FF") << ReplyKind::Command45 << 5;
    }
    void acknowledgements() {
        QFETCH(QByteArray, head);
        QFETCH(int, dropLength);
        ReceiveRing ring = ringAt(0, head);
        const ScanResult result = scanFrames(ring, 1);
        QTEST(result.reply, "kind");
        QVERIFY(!result.verified);
        QVERIFY(result.replyIndicatesLine);
        QCOMPARE(result.dropLength, dropLength);
        ring.drop(result.dropLength);
        QCOMPARE(ring.dataNo(), 5 - dropLength);
        ring.append(bytesOf(QByteArray(dropLength - 5, 'x')));
        QCOMPARE(scanFrames(ring, 1).reply, ReplyKind::None);
        QCOMPARE(ring.dataNo(), 0);
        ring.append(bytesOf(statusReply()));
        QCOMPARE(scanFrames(ring, 1).reply, ReplyKind::Status);
        QCOMPARE(ring.dataPointer(), dropLength);
    }

    // "text>model|version|software", with " edition" when the statement is shown.
    void splitDeviceInfo_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("split");
        for (const char* row :
             {"ABC/1.0/VA2.1/>ABC|1.0|VA2.1 edition", "X/Y/Z>X|Y|", "A/B/C/D/x>A|B|C/D/",
              "M/V/VA!>M|V|VA", ">refused", "ABC/1.0>refused", "X/Y/>refused"}) {
            const QByteArray text(row);
            QTest::newRow(row) << text.left(text.indexOf('>')) << text.mid(text.indexOf('>') + 1);
        }
    }
    void splitDeviceInfo() {
        QFETCH(QByteArray, text);
        const std::string_view view(text.constData(), static_cast<std::size_t>(text.size()));
        QTEST(describe(brisco::protocol::splitDeviceInfo(view)), "split");
    }
};

QTEST_GUILESS_MAIN(TestProtocol)
#include "test_protocol.moc"
