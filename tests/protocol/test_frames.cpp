#include "frame_bytes.h"

#include "protocol/frames.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace brisco::protocol;
using brisco::protocol::test::hex;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
// encodeValue's refusal in the data tables.
constexpr int kRefused = -1;

QByteArray bytesOf(const Frame& frame) {
    return QByteArray(reinterpret_cast<const char*>(frame.data()),
                      static_cast<qsizetype>(frame.size()));
}

} // namespace

class TestFrames : public QObject {
    Q_OBJECT

private slots:
    void checksumIsTheSumModulo256() {
        QCOMPARE(checksum({}), std::uint8_t{0});
        QCOMPARE(checksum(hex("05 01 0F 00")), std::uint8_t{0x15});
        QCOMPARE(checksum(hex("05 01 1E 05 02 03 E8")), std::uint8_t{0x16});
        QCOMPARE(checksum(hex("FF FF FF")), std::uint8_t{0xFD});
    }

    void requests_data() {
        QTest::addColumn<QByteArray>("built");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("status poll, address 1")
            << bytesOf(buildStatusPoll(1)) << QByteArray::fromHex("05010F0015");
        QTest::newRow("status poll, address 3")
            << bytesOf(buildStatusPoll(3)) << QByteArray::fromHex("05030F0017");
        QTest::newRow("address query")
            << bytesOf(buildAddressQuery()) << QByteArray::fromHex("05000F0115");
        QTest::newRow("device-information query, address 1")
            << bytesOf(buildDeviceInfoQuery(1)) << QByteArray::fromHex("05010F0217");
        QTest::newRow("factory parameter query, address 1")
            << bytesOf(buildFactoryQuery(1)) << QByteArray::fromHex("05010F0318");
        QTest::newRow("one-byte write")
            << bytesOf(buildWrite1(1, 0, 0x41)) << QByteArray::fromHex("05011E00014166");
        QTest::newRow("two-byte write")
            << bytesOf(buildWrite2(1, 5, 1000)) << QByteArray::fromHex("05011E050203E816");
        QTest::newRow("cooling start 25")
            << bytesOf(buildParameterWrite(1, 0, Encoding::Plus40, 25).value())
            << QByteArray::fromHex("05011E00014166");
        QTest::newRow("inner fan low speed 1000")
            << bytesOf(buildParameterWrite(1, 5, Encoding::Word16, 1000).value())
            << QByteArray::fromHex("05011E050203E816");
        QTest::newRow("bus address 2 to address 1")
            << bytesOf(buildParameterWrite(1, kParamBusAddress, Encoding::Plain, 2).value())
            << QByteArray::fromHex("05011E1C010243");
        QTest::newRow("analog temperature 25")
            << bytesOf(buildParameterWrite(1, kParamAnalogTemp, Encoding::HalfDegree, 25).value())
            << QByteArray::fromHex("05011E320182D9");
        QTest::newRow("DC low limit 200")
            << bytesOf(buildParameterWrite(1, 16, Encoding::Plain, 200).value())
            << QByteArray::fromHex("05011E1001C8FD");
        QTest::newRow("TEC low current 2.5 A")
            << bytesOf(buildParameterWrite(1, 14, Encoding::Times10, 2.5).value())
            << QByteArray::fromHex("05011E0E01194C");
        QTest::newRow("inner fan high speed 65535")
            << bytesOf(buildParameterWrite(1, 7, Encoding::Word16, 65535).value())
            << QByteArray::fromHex("05011E0702FFFF2B");
        QTest::newRow("version character A")
            << bytesOf(buildCharacterWrite(1, 20, 'A')) << QByteArray::fromHex("05011E1401417A");
        QTest::newRow("version character above 127")
            << bytesOf(buildCharacterWrite(1, 21, '\xE9')) << QByteArray::fromHex("05011E1501E923");
    }

    void requests() {
        QFETCH(QByteArray, built);
        QFETCH(QByteArray, expected);
        QCOMPARE(built.toHex(' '), expected.toHex(' '));
    }

    void everyRequestHasItsLengthAndChecksum() {
        for (int a = 0; a <= 255; ++a) {
            const auto address = static_cast<std::uint8_t>(a);
            const Frame frames[] = {
                buildStatusPoll(address),
                buildAddressQuery(),
                buildDeviceInfoQuery(address),
                buildFactoryQuery(address),
                buildWrite1(address, 27, 255),
                buildWrite2(address, 10, 0xABCD),
                buildCharacterWrite(address, 20, '\xFF'),
            };
            const std::size_t lengths[] = {5, 5, 5, 5, 7, 8, 7};
            for (std::size_t i = 0; i < std::size(frames); ++i) {
                const Frame& frame = frames[i];
                QCOMPARE(frame.size(), lengths[i]);
                QCOMPARE(frame.back(), checksum(std::span(frame.data(), frame.size() - 1)));
            }
            QCOMPARE(buildStatusPoll(address)[1], address);
            QCOMPARE(buildAddressQuery()[1], std::uint8_t{0});
        }
    }

    void roundHalfEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("rounded");
        QTest::newRow("2.5") << 2.5 << 2.0;
        QTest::newRow("3.5") << 3.5 << 4.0;
        QTest::newRow("65.5") << 65.5 << 66.0;
        QTest::newRow("66.5") << 66.5 << 66.0;
        QTest::newRow("-0.5") << -0.5 << 0.0;
        QTest::newRow("-1.5") << -1.5 << -2.0;
        QTest::newRow("-2.5") << -2.5 << -2.0;
        QTest::newRow("2.4") << 2.4 << 2.0;
        QTest::newRow("2.6") << 2.6 << 3.0;
        QTest::newRow("-2.6") << -2.6 << -3.0;
        QTest::newRow("just below a half") << 0.49999999999999994 << 0.0;
        QTest::newRow("whole") << 7.0 << 7.0;
        QTest::newRow("huge") << 1e300 << 1e300;
    }

    void roundHalfEven() {
        QFETCH(double, value);
        QFETCH(double, rounded);
        QCOMPARE(brisco::protocol::roundHalfEven(value), rounded);
    }

    void roundHalfEvenKeepsNonFinite() {
        QVERIFY(std::isnan(brisco::protocol::roundHalfEven(kNaN)));
        QCOMPARE(brisco::protocol::roundHalfEven(kInf), kInf);
        QCOMPARE(brisco::protocol::roundHalfEven(-kInf), -kInf);
    }

    void encodeValue_data() {
        QTest::addColumn<int>("encoding");
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("encoded");
        const auto row = [](const char* name, Encoding encoding, double x, int encoded) {
            QTest::newRow(name) << static_cast<int>(encoding) << x << encoded;
        };
        row("plus40 -40", Encoding::Plus40, -40, 0);
        row("plus40 215", Encoding::Plus40, 215, 255);
        row("plus40 -41", Encoding::Plus40, -41, kRefused);
        row("plus40 216", Encoding::Plus40, 216, kRefused);
        row("plus40 tie 214.5", Encoding::Plus40, 214.5, 254);
        row("plus40 tie 215.5", Encoding::Plus40, 215.5, kRefused);
        row("plus40 -40.5 to 0", Encoding::Plus40, -40.5, 0);
        row("times10 25.5", Encoding::Times10, 25.5, 255);
        row("times10 25.6", Encoding::Times10, 25.6, kRefused);
        row("times10 0", Encoding::Times10, 0, 0);
        row("times10 -0.1", Encoding::Times10, -0.1, kRefused);
        row("times10 overflow", Encoding::Times10, 1e308, kRefused);
        row("half degree 87.5", Encoding::HalfDegree, 87.5, 255);
        row("half degree 88", Encoding::HalfDegree, 88, kRefused);
        row("half degree -40", Encoding::HalfDegree, -40, 0);
        row("half degree -40.5", Encoding::HalfDegree, -40.5, kRefused);
        row("half degree 25", Encoding::HalfDegree, 25, 130);
        row("half degree 25.25", Encoding::HalfDegree, 25.25, 130);
        row("half degree 25.75", Encoding::HalfDegree, 25.75, 132);
        row("word16 0", Encoding::Word16, 0, 0);
        row("word16 65535", Encoding::Word16, 65535, 65535);
        row("word16 65536", Encoding::Word16, 65536, kRefused);
        row("word16 -1", Encoding::Word16, -1, kRefused);
        row("word16 tie 1000.5", Encoding::Word16, 1000.5, 1000);
        row("word16 tie 65535.5", Encoding::Word16, 65535.5, kRefused);
        row("plain 65.5", Encoding::Plain, 65.5, 66);
        row("plain 66.5", Encoding::Plain, 66.5, 66);
        row("plain 2.5", Encoding::Plain, 2.5, 2);
        row("plain -0.5", Encoding::Plain, -0.5, 0);
        row("plain -0.6", Encoding::Plain, -0.6, kRefused);
        row("plain 255", Encoding::Plain, 255, 255);
        row("plain 255.5", Encoding::Plain, 255.5, kRefused);
        row("plain 256", Encoding::Plain, 256, kRefused);
        for (const Encoding encoding : {Encoding::Plain, Encoding::Plus40, Encoding::Times10,
                                        Encoding::HalfDegree, Encoding::Word16}) {
            const QByteArray kind = QByteArray::number(static_cast<int>(encoding));
            row(("NaN, encoding " + kind).constData(), encoding, kNaN, kRefused);
            row(("+inf, encoding " + kind).constData(), encoding, kInf, kRefused);
            row(("-inf, encoding " + kind).constData(), encoding, -kInf, kRefused);
        }
    }

    void encodeValue() {
        QFETCH(int, encoding);
        QFETCH(double, x);
        QFETCH(int, encoded);
        const std::optional<int> value =
            brisco::protocol::encodeValue(static_cast<Encoding>(encoding), x);
        QCOMPARE(value.value_or(kRefused), encoded);
    }

    void parameterWriteRefusesInsteadOfTruncating() {
        QVERIFY(!buildParameterWrite(1, 0, Encoding::Plus40, 216));
        QVERIFY(!buildParameterWrite(1, 0, Encoding::Plus40, -41));
        QVERIFY(!buildParameterWrite(1, 14, Encoding::Times10, 25.6));
        QVERIFY(!buildParameterWrite(1, kParamAnalogTemp, Encoding::HalfDegree, 88));
        QVERIFY(!buildParameterWrite(1, 5, Encoding::Word16, 65536));
        QVERIFY(!buildParameterWrite(1, 16, Encoding::Plain, 256));
        QVERIFY(!buildParameterWrite(1, 16, Encoding::Plain, kNaN));
        QVERIFY(!buildParameterWrite(1, 5, Encoding::Word16, -kInf));
    }

    void parameterWriteLengthFollowsTheEncoding() {
        QCOMPARE(buildParameterWrite(1, 4, Encoding::Plain, 255).value().size(), 7u);
        QCOMPARE(buildParameterWrite(1, 5, Encoding::Word16, 255).value(),
                 hex("05 01 1E 05 02 00 FF 2A"));
        QCOMPARE(buildParameterWrite(1, 10, Encoding::Word16, 256).value(),
                 hex("05 01 1E 0A 02 01 00 31"));
    }
};

QTEST_GUILESS_MAIN(TestFrames)
#include "test_frames.moc"
