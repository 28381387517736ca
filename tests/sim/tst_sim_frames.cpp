// Frame builders, the status reply layout and the value encodings of the
// virtual controller, against byte vectors written out by hand.
#include "sim/encoding.h"
#include "sim/frames.h"
#include "sim/status_fields.h"
#include "sim_test_bytes.h"

#include <QTest>

using namespace brisco::sim;

namespace {

StatusFields distinctFields() {
    StatusFields fields;
    for (int p = 0; p < kSetPointCount; ++p)
        fields.setPoints[p] = static_cast<quint8>(0x10 + p);
    fields.WorkState = 0xA1;
    fields.AlarmA = 0xA2;
    fields.AlarmB = 0xA3;
    fields.Inputs = 0xA4;
    fields.Temp1 = 0xA5;
    fields.Temp2 = 0xA6;
    fields.ControlTemp = 0xA7;
    fields.TECcurrent = 0xA8;
    fields.DCvoltage = 0xB1B2;
    fields.IntFanSpeed = 0xC1C2;
    fields.ExtFanSpeed = 0xD1D2;
    return fields;
}

} // namespace

class TestSimFrames : public QObject {
    Q_OBJECT

private slots:
    void requests_data();
    void requests();
    void replies_data();
    void replies();
    void checksum_data();
    void checksum();
    void statusReplyLayout_data();
    void statusReplyLayout();
    void statusReplyWhole();
    void statusReplyDecodes();
    void statusReplyRejected_data();
    void statusReplyRejected();
    void deviceInfoLength_data();
    void deviceInfoLength();
    void kinds_data();
    void kinds();
    void setPointByte_data();
    void setPointByte();
    void measuredByte_data();
    void measuredByte();
    void tenths_data();
    void tenths();
    void decodings_data();
    void decodings();
};

void TestSimFrames::requests_data() {
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("status poll, address 1") << statusPoll(1) << hex("05010F0015");
    QTest::newRow("status poll, address 3") << statusPoll(3) << hex("05030F0017");
    QTest::newRow("address query") << addressQuery() << hex("05000F0115");
    QTest::newRow("device-information query") << deviceInfoQuery(1) << hex("05010F0217");
    QTest::newRow("factory query") << factoryQuery(1) << hex("05010F0318");
    QTest::newRow("cooling start 25")
        << parameterWrite(1, 0, encoding::setPointByte(25)) << hex("05011E00014166");
    QTest::newRow("inner fan low 1000, sum wraps")
        << parameterWrite16(1, 5, 1000) << hex("05011E050203E816");
    QTest::newRow("inner fan low 1500") << parameterWrite16(1, 5, 1500) << hex("05011E050205DC0C");
    QTest::newRow("high temperature warning 55")
        << parameterWrite(1, 12, encoding::setPointByte(55)) << hex("05011E0C015F90");
    QTest::newRow("bus address 2") << parameterWrite(1, 28, 2) << hex("05011E1C010243");
    QTest::newRow("bus address 3") << parameterWrite(1, 28, 3) << hex("05011E1C010344");
    QTest::newRow("analog 25") << parameterWrite(1, 50, encoding::measuredByte(25))
                               << hex("05011E320182D9");
    QTest::newRow("DC low 200") << parameterWrite(1, 16, 200) << hex("05011E1001C8FD");
    QTest::newRow("DC low 210") << parameterWrite(1, 16, 210) << hex("05011E1001D207");
    QTest::newRow("version B") << parameterWrite(1, 20, 'B') << hex("05011E1401427B");
    QTest::newRow("cooling only") << parameterWrite(1, 26, 1) << hex("05011E1A010140");
    QTest::newRow("hydrogen period 30") << parameterWrite(1, 27, 30) << hex("05011E1B011E5E");
}

void TestSimFrames::requests() {
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built.toHex(' '), expected.toHex(' '));
}

void TestSimFrames::replies_data() {
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("address reply 5") << addressReply(0, 5) << hex("06000F0101051C");
    QTest::newRow("address reply 3") << addressReply(0, 3) << hex("06000F0101031A");
    QTest::newRow("address reply from 2") << addressReply(2, 2) << hex("06020F0101021B");
    QTest::newRow("write ack, one byte")
        << writeAcknowledgement(1, 0, hex("41")) << hex("06011E00014167");
    QTest::newRow("write ack, two bytes")
        << writeAcknowledgement(1, 5, hex("03E8")) << hex("06011E050203E817");
    QTest::newRow("refusal") << refusal(1) << hex("1501");
    QTest::newRow("factory reply") << factoryReply(1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})
                                   << hex("06010F030C0102030405060708090A0B0C73");
    QTest::newRow("device information ABC/1.0/VA2.1/")
        << deviceInfoReply(1, "ABC/1.0/VA2.1/") << hex("06010F020E") + "ABC/1.0/VA2.1/" + hex("30");
    QTest::newRow("device information, default text")
        << deviceInfoReply(1, "TEC-48/1.0/VA2.1/")
        << hex("06010F0211") + "TEC-48/1.0/VA2.1/" + hex("E2");
}

void TestSimFrames::replies() {
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built.toHex(' '), expected.toHex(' '));
}

void TestSimFrames::checksum_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<bool>("matches");

    QTest::newRow("status poll") << hex("05010F0015") << true;
    QTest::newRow("sum wraps past 255") << hex("05011E050203E816") << true;
    QTest::newRow("last byte one off") << hex("05010F0016") << false;
    QTest::newRow("data byte changed") << hex("05011E050203E916") << false;
    QTest::newRow("complemented sum is not accepted") << hex("05010FEB") << false;
    QTest::newRow("single byte") << hex("00") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestSimFrames::checksum() {
    QFETCH(QByteArray, frame);
    QFETCH(bool, matches);
    QCOMPARE(checksumMatches(frame), matches);
}

void TestSimFrames::statusReplyLayout_data() {
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("expected");

    const int header[] = {0x06, 0x07, 0x0F, 0x00, 30};
    for (int offset = 0; offset < 5; ++offset)
        QTest::addRow("header %d", offset) << offset << header[offset];
    for (int p = 0; p < kSetPointCount; ++p)
        QTest::addRow("parameter %d", p) << 5 + p << 0x10 + p;
    QTest::newRow("WorkState") << 21 << 0xA1;
    QTest::newRow("AlarmA") << 22 << 0xA2;
    QTest::newRow("AlarmB") << 23 << 0xA3;
    QTest::newRow("Inputs") << 24 << 0xA4;
    QTest::newRow("Temp1") << 25 << 0xA5;
    QTest::newRow("Temp2") << 26 << 0xA6;
    QTest::newRow("ControlTemp") << 27 << 0xA7;
    QTest::newRow("TECcurrent") << 28 << 0xA8;
    QTest::newRow("DCvoltage high") << 29 << 0xB1;
    QTest::newRow("DCvoltage low") << 30 << 0xB2;
    QTest::newRow("IntFanSpeed high") << 31 << 0xC1;
    QTest::newRow("IntFanSpeed low") << 32 << 0xC2;
    QTest::newRow("ExtFanSpeed high") << 33 << 0xD1;
    QTest::newRow("ExtFanSpeed low") << 34 << 0xD2;
}

void TestSimFrames::statusReplyLayout() {
    QFETCH(int, offset);
    QFETCH(int, expected);
    const QByteArray reply = distinctFields().toReply(7);
    QCOMPARE(reply.size(), 36);
    QCOMPARE(static_cast<quint8>(reply[offset]), expected);
    QCOMPARE(static_cast<quint8>(reply[35]), sumOf(reply.first(35)));
}

void TestSimFrames::statusReplyWhole() {
    StatusFields fields;
    fields.setPoints = {75, 70, 45, 55, 2, 0x05, 0xDC, 0x0B, 0xB8, 2, 0x0B, 0xB8, 95, 30, 10, 100};
    fields.WorkState = 0x07;
    fields.Temp1 = 150;
    fields.Temp2 = 138;
    fields.ControlTemp = 150;
    fields.TECcurrent = 60;
    fields.DCvoltage = 480;
    fields.IntFanSpeed = 3000;
    fields.ExtFanSpeed = 2990;
    QCOMPARE(fields.toReply(1).toHex(' '), hex("06010F001E4B462D3702"
                                               "05DC0BB8020BB85F1E0A64"
                                               "07000000968A963C"
                                               "01E0"
                                               "0BB80BAE"
                                               "D5")
                                               .toHex(' '));
}

void TestSimFrames::statusReplyDecodes() {
    const StatusFields fields = distinctFields();
    const std::optional<StatusFields> decoded = StatusFields::fromReply(fields.toReply(7));
    QVERIFY(decoded.has_value());
    QVERIFY(*decoded == fields);
}

void TestSimFrames::statusReplyRejected_data() {
    QTest::addColumn<QByteArray>("reply");

    const QByteArray good = distinctFields().toReply(1);
    QByteArray badChecksum = good;
    badChecksum[35] = static_cast<char>(badChecksum[35] ^ 0x01);
    QByteArray factoryKind = good;
    factoryKind[3] = 3;
    factoryKind[35] = static_cast<char>(sumOf(factoryKind.first(35)));

    QTest::newRow("bad checksum") << badChecksum;
    QTest::newRow("one byte short") << good.first(35);
    QTest::newRow("one byte long") << good + hex("00");
    QTest::newRow("other sub-command") << factoryKind;
}

void TestSimFrames::statusReplyRejected() {
    QFETCH(QByteArray, reply);
    QVERIFY(!StatusFields::fromReply(reply).has_value());
}

void TestSimFrames::deviceInfoLength_data() {
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("L = 1") << QByteArray("/");
    QTest::newRow("L = 10") << QByteArray("ABC/1.0/V/");
    QTest::newRow("L = 17") << QByteArray("TEC-48/1.0/VA2.1/");
    QTest::newRow("L = 255") << QByteArray(255, 'x');
}

void TestSimFrames::deviceInfoLength() {
    QFETCH(QByteArray, text);
    const QByteArray reply = deviceInfoReply(1, text);
    const int length = int(text.size());
    QCOMPARE(reply.size(), length + 6);
    QCOMPARE(static_cast<quint8>(reply[4]), length);
    QCOMPARE(reply.sliced(5, length), text);
    QCOMPARE(static_cast<quint8>(reply[length + 5]), sumOf(reply.first(length + 5)));
}

void TestSimFrames::kinds_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("kind");

    QTest::newRow("status") << distinctFields().toReply(1) << "status";
    QTest::newRow("address") << hex("06000F0101051C") << "address";
    QTest::newRow("info") << deviceInfoReply(1, "A/B/C/") << "info";
    QTest::newRow("factory") << hex("06010F030C0102030405060708090A0B0C73") << "factory";
    QTest::newRow("ack") << hex("06011E00014167") << "ack";
    QTest::newRow("refusal") << hex("1501") << "refusal";
    QTest::newRow("unknown sub-command") << hex("06010F0900") << "other";
    QTest::newRow("request") << hex("05010F0015") << "other";
}

void TestSimFrames::kinds() {
    QFETCH(QByteArray, frame);
    QFETCH(QString, kind);
    QCOMPARE(replyKindName(replyKind(frame)), kind);
}

void TestSimFrames::setPointByte_data() {
    QTest::addColumn<double>("celsius");
    QTest::addColumn<int>("byte");

    QTest::newRow("-40 is 0") << -40.0 << 0;
    QTest::newRow("0") << 0.0 << 40;
    QTest::newRow("25") << 25.0 << 65;
    QTest::newRow("55") << 55.0 << 95;
    QTest::newRow("215 is 255") << 215.0 << 255;
    QTest::newRow("below range clamps") << -41.0 << 0;
    QTest::newRow("above range clamps") << 300.0 << 255;
    QTest::newRow("half to even, down") << 2.5 << 42;
    QTest::newRow("half to even, up") << 3.5 << 44;
}

void TestSimFrames::setPointByte() {
    QFETCH(double, celsius);
    QFETCH(int, byte);
    QCOMPARE(int(encoding::setPointByte(celsius)), byte);
}

void TestSimFrames::measuredByte_data() {
    QTest::addColumn<double>("celsius");
    QTest::addColumn<int>("byte");

    QTest::newRow("0") << 0.0 << 80;
    QTest::newRow("0.5") << 0.5 << 81;
    QTest::newRow("-0.5") << -0.5 << 79;
    QTest::newRow("-40") << -40.0 << 0;
    QTest::newRow("86.5 is the top") << 86.5 << 253;
    QTest::newRow("87 would read open") << 87.0 << 253;
    QTest::newRow("87.5 would read short") << 87.5 << 253;
    QTest::newRow("far below") << -60.0 << 0;
    QTest::newRow("quarter rounds to even") << 0.25 << 80;
    QTest::newRow("three quarters rounds to even") << 0.75 << 82;
}

void TestSimFrames::measuredByte() {
    QFETCH(double, celsius);
    QFETCH(int, byte);
    QCOMPARE(int(encoding::measuredByte(celsius)), byte);
}

void TestSimFrames::tenths_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("word");

    QTest::newRow("0") << 0.0 << 0 << 0;
    QTest::newRow("2.5") << 2.5 << 25 << 25;
    QTest::newRow("25.5") << 25.5 << 255 << 255;
    QTest::newRow("48") << 48.0 << 255 << 480;
    QTest::newRow("6553.5") << 6553.5 << 255 << 65535;
    QTest::newRow("beyond a word") << 7000.0 << 255 << 65535;
    QTest::newRow("negative") << -1.0 << 0 << 0;
}

void TestSimFrames::tenths() {
    QFETCH(double, value);
    QFETCH(int, byte);
    QFETCH(int, word);
    QCOMPARE(int(encoding::tenthsByte(value)), byte);
    QCOMPARE(int(encoding::tenthsWord(value)), word);
}

void TestSimFrames::decodings_data() {
    QTest::addColumn<int>("byte");
    QTest::addColumn<double>("setPoint");
    QTest::addColumn<double>("measured");

    QTest::newRow("0") << 0 << -40.0 << -40.0;
    QTest::newRow("79") << 79 << 39.0 << -0.5;
    QTest::newRow("80") << 80 << 40.0 << 0.0;
    QTest::newRow("81") << 81 << 41.0 << 0.5;
    QTest::newRow("253") << 253 << 213.0 << 86.5;
}

void TestSimFrames::decodings() {
    QFETCH(int, byte);
    QFETCH(double, setPoint);
    QFETCH(double, measured);
    QCOMPARE(encoding::setPointCelsius(static_cast<quint8>(byte)), setPoint);
    QCOMPARE(encoding::measuredCelsius(static_cast<quint8>(byte)), measured);
    QCOMPARE(int(encoding::wordValue(byte)), byte);
}

QTEST_GUILESS_MAIN(TestSimFrames)
#include "tst_sim_frames.moc"
