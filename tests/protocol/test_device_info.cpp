#include "frame_bytes.h"

#include "protocol/device_info.h"
#include "protocol/frame_scan.h"
#include "protocol/receive_ring.h"

#include <QTest>

using namespace brisco::protocol;
using namespace brisco::protocol::test;

namespace {

std::string_view viewOf(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QByteArray bytesOf(const std::string& text) {
    return {text.data(), static_cast<qsizetype>(text.size())};
}

} // namespace

class TestDeviceInfo : public QObject {
    Q_OBJECT

private slots:
    void split_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QByteArray>("softwareVersion");
        QTest::addColumn<bool>("edition");
        QTest::newRow("VA2 edition") << QByteArray("ABC/1.0/VA2.1/") << QByteArray("ABC")
                                     << QByteArray("1.0") << QByteArray("VA2.1") << true;
        QTest::newRow("other software") << QByteArray("ABC/1.0/VB3.0/") << QByteArray("ABC")
                                        << QByteArray("1.0") << QByteArray("VB3.0") << false;
        QTest::newRow("no terminator")
            << QByteArray("X/Y/Z") << QByteArray("X") << QByteArray("Y") << QByteArray("") << false;
        QTest::newRow("empty model") << QByteArray("/1.0/VA2x") << QByteArray("")
                                     << QByteArray("1.0") << QByteArray("VA2") << true;
        QTest::newRow("slash in software version")
            << QByteArray("A/B/C/D/x") << QByteArray("A") << QByteArray("B") << QByteArray("C/D/")
            << false;
        QTest::newRow("only separators and terminator")
            << QByteArray("///") << QByteArray("") << QByteArray("") << QByteArray("") << false;
        QTest::newRow("VA without 2") << QByteArray("M/V/VA!") << QByteArray("M") << QByteArray("V")
                                      << QByteArray("VA") << false;
        QTest::newRow("terminator of any value") << QByteArray("M/V/VA2\0", 8) << QByteArray("M")
                                                 << QByteArray("V") << QByteArray("VA2") << true;
        QTest::newRow("bytes above 127 stay raw")
            << QByteArray("M\xE9/1/\xFFZ!") << QByteArray("M\xE9") << QByteArray("1")
            << QByteArray("\xFFZ") << false;
    }

    void split() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, model);
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, softwareVersion);
        QFETCH(bool, edition);
        const std::optional<DeviceInfo> info = splitDeviceInfo(viewOf(text));
        QVERIFY(info);
        QCOMPARE(bytesOf(info->model), model);
        QCOMPARE(bytesOf(info->version), version);
        QCOMPARE(bytesOf(info->softwareVersion), softwareVersion);
        QCOMPARE(info->semiconductorEdition, edition);
    }

    void splitRefuses_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("no separator") << QByteArray("ABC");
        QTest::newRow("one separator") << QByteArray("ABC/1.0");
        QTest::newRow("ends after the second separator") << QByteArray("X/Y/");
        QTest::newRow("two separators only") << QByteArray("//");
    }

    void splitRefuses() {
        QFETCH(QByteArray, text);
        QVERIFY(!splitDeviceInfo(viewOf(text)));
    }

    void textOfTheReplyAtTheReadIndex() {
        ReceiveRing ring;
        moveIndicesTo(ring, 115);
        ring.append(deviceInfoReply(1, "ABC/1.0/VA2.1/"));
        QCOMPARE(bytesOf(deviceInfoText(ring)), QByteArray("ABC/1.0/VA2.1/"));
    }

    void textOfLengthZero() {
        ReceiveRing ring;
        ring.append(deviceInfoReply(1, ""));
        QVERIFY(deviceInfoText(ring).empty());
        QVERIFY(!splitDeviceInfo(deviceInfoText(ring)));
    }

    void textLongerThanTheRingIsEmpty_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("textSize");
        QTest::newRow("123 fits") << 123 << 123;
        QTest::newRow("124") << 124 << 0;
        QTest::newRow("255") << 255 << 0;
    }

    void textLongerThanTheRingIsEmpty() {
        QFETCH(int, length);
        QFETCH(int, textSize);
        ReceiveRing ring;
        ring.append(concat(hex("06 01 0F 02"), Frame{static_cast<std::uint8_t>(length)}));
        QCOMPARE(static_cast<int>(deviceInfoText(ring).size()), textSize);
    }

    void verifiedReplyThroughTheScan() {
        ReceiveRing ring;
        ring.append(concat(hex("05 01 0F 02 17"), deviceInfoReply(1, "TEC-300/2.1/VA2.07/")));
        const ScanResult result = scanFrames(ring, 1);
        QVERIFY(result.echoSeen);
        QCOMPARE(result.reply, ReplyKind::DeviceInfo);
        QVERIFY(result.verified);
        QCOMPARE(result.dropLength, 19 + 6);
        const std::optional<DeviceInfo> info = splitDeviceInfo(deviceInfoText(ring));
        QVERIFY(info);
        QCOMPARE(info->model, std::string("TEC-300"));
        QCOMPARE(info->version, std::string("2.1"));
        QCOMPARE(info->softwareVersion, std::string("VA2.07"));
        QVERIFY(info->semiconductorEdition);
    }

    void replyWithBadChecksumIsNotVerified() {
        Frame reply = deviceInfoReply(1, "ABC/1.0/VA2.1/");
        reply.back() ^= 0xFF;
        ReceiveRing ring;
        ring.append(reply);
        const ScanResult result = scanFrames(ring, 1);
        QCOMPARE(result.reply, ReplyKind::DeviceInfo);
        QVERIFY(!result.verified);
        QCOMPARE(result.dropLength, 20);
    }
};

QTEST_GUILESS_MAIN(TestDeviceInfo)
#include "test_device_info.moc"
