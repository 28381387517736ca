// The virtual controller's frames, checksums, status reply layout and value
// encodings against bytes written out by hand, and its request parser fed in
// pieces, with noise, bad checksums and frames for other addresses.
#include "sim/encoding.h"
#include "sim/frames.h"
#include "sim/request_parser.h"
#include "sim/status_fields.h"
#include "sim_test_bytes.h"

#include <QTest>

using namespace brisco::sim;

namespace {

// Every field a different value, so that a field sent at the wrong offset shows.
const StatusFields kDistinct{.setPoints = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18,
                                           0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F},
                             .WorkState = 0xA1,
                             .AlarmA = 0xA2,
                             .AlarmB = 0xA3,
                             .Inputs = 0xA4,
                             .Temp1 = 0xA5,
                             .Temp2 = 0xA6,
                             .ControlTemp = 0xA7,
                             .TECcurrent = 0xA8,
                             .DCvoltage = 0xB1B2,
                             .IntFanSpeed = 0xC1C2,
                             .ExtFanSpeed = 0xD1D2};

// A cooling cabinet at 35 degrees with the factory set-points.
const QByteArray kCoolingReply = hex("06010F001E4B462D370205DC0BB8020BB85F1E0A64"
                                     "07000000968A963C01E00BB80BAED5");

} // namespace

class TestSimFrames : public QObject {
    Q_OBJECT

private slots:
    void built_data();
    void built();
    void checksum_data();
    void checksum();
    void statusReplyDecodes();
    void encodings_data();
    void encodings();
    void parser_data();
    void parser();
};

void TestSimFrames::built_data() {
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");
    const auto row = [](const char* name, const QByteArray& built, const QByteArray& expected) {
        QTest::newRow(name) << built << expected;
    };
    using encoding::setPointByte;

    row("status poll, address 1", statusPoll(1), hex("05010F0015"));
    row("address query", addressQuery(), hex("05000F0115"));
    row("device-information query", deviceInfoQuery(1), hex("05010F0217"));
    row("factory query", factoryQuery(1), hex("05010F0318"));
    row("cooling start 25", parameterWrite(1, 0, setPointByte(25)), hex("05011E00014166"));
    row("inner fan low 1000, sum wraps", parameterWrite16(1, 5, 1000), hex("05011E050203E816"));
    row("high temperature warning 55", parameterWrite(1, 12, setPointByte(55)),
        hex("05011E0C015F90"));
    row("bus address 2", parameterWrite(1, 28, 2), hex("05011E1C010243"));
    row("analog 25", parameterWrite(1, 50, encoding::measuredByte(25)), hex("05011E320182D9"));
    row("DC low 200", parameterWrite(1, 16, 200), hex("05011E1001C8FD"));
    row("version B", parameterWrite(1, 20, 'B'), hex("05011E1401427B"));
    row("cooling only", parameterWrite(1, 26, 1), hex("05011E1A010140"));
    row("hydrogen period 30", parameterWrite(1, 27, 30), hex("05011E1B011E5E"));

    row("address reply 5", addressReply(0, 5), hex("06000F0101051C"));
    row("address reply from 2", addressReply(2, 2), hex("06020F0101021B"));
    row("write ack, one byte", writeAcknowledgement(1, 0, hex("41")), hex("06011E00014167"));
    row("write ack, two bytes", writeAcknowledgement(1, 5, hex("03E8")), hex("06011E050203E817"));
    row("refusal", refusal(1), hex("1501"));
    row("factory reply", factoryReply(1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}),
        hex("06010F030C0102030405060708090A0B0C73"));
    row("device information ABC/1.0/VA2.1/", deviceInfoReply(1, "ABC/1.0/VA2.1/"),
        hex("06010F020E") + "ABC/1.0/VA2.1/" + hex("30"));
    row("device information of 1 byte", deviceInfoReply(1, "/"), hex("06010F02012F48"));
    row("device information of 255 bytes", deviceInfoReply(1, QByteArray(255, 'x')),
        hex("06010F02FF") + QByteArray(255, 'x') + hex("9F"));
    row("status reply, every field distinct", kDistinct.toReply(7),
        hex("06070F001E101112131415161718191A1B1C1D1E1FA1A2A3A4A5A6A7A8B1B2C1C2D1D25F"));
    row("status reply, cooling, read back",
        StatusFields::fromReply(kCoolingReply).value_or(StatusFields{}).toReply(1), kCoolingReply);
}

void TestSimFrames::built() {
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    COMPARE_BYTES(built, expected);
}

void TestSimFrames::checksum_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<bool>("matches");

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

void TestSimFrames::statusReplyDecodes() {
    QVERIFY(StatusFields::fromReply(kDistinct.toReply(7)) == kDistinct);
    for (const QByteArray& rejected :
         {kCoolingReply.first(35) + hex("D6"), kCoolingReply.first(35), kCoolingReply + hex("00")})
        QVERIFY2(!StatusFields::fromReply(rejected), rejected.toHex(' ').constData());
}

void TestSimFrames::encodings_data() {
    QTest::addColumn<double>("converted");
    QTest::addColumn<double>("expected");
    const auto row = [](const char* name, double converted, double expected) {
        QTest::newRow(name) << converted << expected;
    };
    using namespace encoding;

    // Ties go to the even neighbour; every encoder clamps instead of wrapping.
    row("set-point below range", setPointByte(-41), 0);
    row("set-point above range", setPointByte(300), 255);
    row("set-point tie down", setPointByte(2.5), 42);
    row("set-point tie up", setPointByte(3.5), 44);
    row("measured -0.5", measuredByte(-0.5), 79);
    row("measured far below", measuredByte(-60), 0);
    // 254 and 255 are the codes of an open and a shorted sensor.
    row("measured 86.5 is the top", measuredByte(86.5), 253);
    row("measured 87 is not open", measuredByte(87), 253);
    row("measured 87.5 is not short", measuredByte(87.5), 253);
    row("tenths byte 48 clamps", tenthsByte(48), 255);
    row("tenths word 48", tenthsWord(48), 480);
    row("tenths word beyond a word", tenthsWord(7000), 65535);
    row("set-point of byte 81", setPointCelsius(81), 41);
    row("measured of byte 79", measuredCelsius(79), -0.5);
}

void TestSimFrames::encodings() {
    QFETCH(double, converted);
    QFETCH(double, expected);
    QCOMPARE(converted, expected);
}

void TestSimFrames::parser_data() {
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<QList<QByteArray>>("requests");
    QTest::addColumn<int>("skipped");
    QTest::addColumn<int>("badChecksums");

    const QByteArray poll = hex("05010F0015");
    const QByteArray write7 = hex("05011E00014166");
    const QByteArray write8 = hex("05011E050203E816");

    QTest::newRow("request cut across pieces")
        << QList{poll + write8.first(3), write8.sliced(3) + write7} << QList{poll, write8, write7}
        << 0 << 0;
    QTest::newRow("noise, a reply among it")
        << QList{hex("00FF06150F1E") + poll + hex("AA55"), hex("06010F0016") + write7}
        << QList{poll, write7} << 13 << 0;
    QTest::newRow("bad checksum on a read")
        << QList{hex("05010F0016") + poll} << QList{poll} << 5 << 1;
    QTest::newRow("bad checksum on a write")
        << QList{hex("05011E00014167"), poll} << QList{poll} << 7 << 1;
    QTest::newRow("stray write header swallows the start of a request")
        << QList{hex("05011E") + poll} << QList{poll} << 3 << 1;
    QTest::newRow("value counts 0 and 3 are no request")
        << QList{hex("05011E000024"), hex("05011E00034166"), poll} << QList{poll} << 13 << 0;
    QTest::newRow("unknown command, then a poll for address 7")
        << QList{hex("05012D0033"), hex("05070F001B")} << QList{hex("05070F001B")} << 5 << 0;
}

void TestSimFrames::parser() {
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QList<QByteArray>, requests);
    QFETCH(int, skipped);
    QFETCH(int, badChecksums);

    RequestParser parser;
    QList<QByteArray> found;
    for (const QByteArray& piece : pieces)
        found += parser.feed(piece);
    QCOMPARE(found, requests);
    QCOMPARE(parser.skippedBytes(), skipped);
    QCOMPARE(parser.badChecksums(), badChecksums);

    // Fed one byte at a time, the same bytes give the same requests.
    RequestParser bytewise;
    found.clear();
    for (const char byte : pieces.join())
        found += bytewise.feed(QByteArrayView(&byte, 1));
    QCOMPARE(found, requests);
}

QTEST_GUILESS_MAIN(TestSimFrames)
#include "tst_sim_frames.moc"
