#include "frame_bytes.h"

#include "protocol/frames.h"

#include <QTest>

#include <limits>

using namespace brisco::protocol;
using brisco::protocol::test::hexOf;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
// encodeValue's refusal in the data tables.
constexpr int kRefused = -1;

// A parameter write to address 1, or "refused".
QString write(std::uint8_t parameter, Encoding encoding, double x) {
    const std::optional<Frame> frame = buildParameterWrite(1, parameter, encoding, x);
    return frame ? hexOf(*frame) : QStringLiteral("refused");
}

} // namespace

class TestFrames : public QObject {
    Q_OBJECT

private slots:
    void requests_data() {
        QTest::addColumn<QString>("built");
        QTest::addColumn<QString>("expected");
        QTest::newRow("status poll, address 1") << hexOf(buildStatusPoll(1)) << "05 01 0F 00 15";
        QTest::newRow("status poll, address 3") << hexOf(buildStatusPoll(3)) << "05 03 0F 00 17";
        QTest::newRow("address query") << hexOf(buildAddressQuery()) << "05 00 0F 01 15";
        QTest::newRow("device-information query")
            << hexOf(buildDeviceInfoQuery(1)) << "05 01 0F 02 17";
        QTest::newRow("factory parameter query") << hexOf(buildFactoryQuery(1)) << "05 01 0F 03 18";
        QTest::newRow("cooling start 25")
            << write(0, Encoding::Plus40, 25) << "05 01 1E 00 01 41 66";
        QTest::newRow("inner fan low speed 1000")
            << write(5, Encoding::Word16, 1000) << "05 01 1E 05 02 03 E8 16";
        QTest::newRow("inner fan speed 255 still takes two bytes")
            << write(5, Encoding::Word16, 255) << "05 01 1E 05 02 00 FF 2A";
        QTest::newRow("bus address 2")
            << write(kParamBusAddress, Encoding::Plain, 2) << "05 01 1E 1C 01 02 43";
        QTest::newRow("analog temperature 25")
            << write(kParamAnalogTemp, Encoding::HalfDegree, 25) << "05 01 1E 32 01 82 D9";
        QTest::newRow("DC low limit 200")
            << write(16, Encoding::Plain, 200) << "05 01 1E 10 01 C8 FD";
        QTest::newRow("version character above 127")
            << hexOf(buildCharacterWrite(1, 21, '\xE9')) << "05 01 1E 15 01 E9 23";
        // A value that does not fit is refused, never sent truncated.
        QTest::newRow("cooling start 216") << write(0, Encoding::Plus40, 216) << "refused";
        QTest::newRow("inner fan speed 65536") << write(5, Encoding::Word16, 65536) << "refused";
        QTest::newRow("DC low limit NaN") << write(16, Encoding::Plain, kNaN) << "refused";
    }

    void requests() {
        QFETCH(QString, built);
        QFETCH(QString, expected);
        QCOMPARE(built, expected);
    }

    void roundHalfEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("rounded");
        QTest::newRow("2.5") << 2.5 << 2.0;
        QTest::newRow("3.5") << 3.5 << 4.0;
        QTest::newRow("-1.5") << -1.5 << -2.0;
        QTest::newRow("-2.5") << -2.5 << -2.0;
        QTest::newRow("just below a half") << 0.49999999999999994 << 0.0;
    }

    void roundHalfEven() {
        QFETCH(double, value);
        QFETCH(double, rounded);
        QCOMPARE(brisco::protocol::roundHalfEven(value), rounded);
    }

    void encodeValue_data() {
        QTest::addColumn<Encoding>("encoding");
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("encoded");
        const auto row = [](const char* name, Encoding encoding, double x, int encoded) {
            QTest::newRow(name) << encoding << x << encoded;
        };
        row("plus40 -40", Encoding::Plus40, -40, 0);
        row("plus40 215", Encoding::Plus40, 215, 255);
        row("plus40 -41", Encoding::Plus40, -41, kRefused);
        row("plus40 216", Encoding::Plus40, 216, kRefused);
        row("plus40 tie 214.5", Encoding::Plus40, 214.5, 254);
        row("plus40 tie 215.5", Encoding::Plus40, 215.5, kRefused);
        row("plus40 tie -40.5", Encoding::Plus40, -40.5, 0);
        row("times10 25.5", Encoding::Times10, 25.5, 255);
        row("times10 25.6", Encoding::Times10, 25.6, kRefused);
        row("times10 overflow to inf", Encoding::Times10, 1e308, kRefused);
        row("half degree 87.5", Encoding::HalfDegree, 87.5, 255);
        row("half degree 88", Encoding::HalfDegree, 88, kRefused);
        row("half degree -40", Encoding::HalfDegree, -40, 0);
        row("half degree -40.5", Encoding::HalfDegree, -40.5, kRefused);
        row("half degree tie 25.25", Encoding::HalfDegree, 25.25, 130);
        row("half degree tie 25.75", Encoding::HalfDegree, 25.75, 132);
        row("word16 65535", Encoding::Word16, 65535, 65535);
        row("word16 65536", Encoding::Word16, 65536, kRefused);
        row("word16 tie 1000.5", Encoding::Word16, 1000.5, 1000);
        row("word16 tie 65535.5", Encoding::Word16, 65535.5, kRefused);
        row("plain tie 65.5", Encoding::Plain, 65.5, 66);
        row("plain tie 66.5", Encoding::Plain, 66.5, 66);
        row("plain tie -0.5", Encoding::Plain, -0.5, 0);
        row("plain -0.6", Encoding::Plain, -0.6, kRefused);
        row("plain 255", Encoding::Plain, 255, 255);
        row("plain tie 255.5", Encoding::Plain, 255.5, kRefused);
        row("plain 256", Encoding::Plain, 256, kRefused);
        row("plain NaN", Encoding::Plain, kNaN, kRefused);
        row("plus40 +inf", Encoding::Plus40, kInf, kRefused);
        row("word16 -inf", Encoding::Word16, -kInf, kRefused);
    }

    void encodeValue() {
        QFETCH(Encoding, encoding);
        QFETCH(double, x);
        QFETCH(int, encoded);
        QCOMPARE(brisco::protocol::encodeValue(encoding, x).value_or(kRefused), encoded);
    }
};

QTEST_GUILESS_MAIN(TestFrames)
#include "test_frames.moc"
