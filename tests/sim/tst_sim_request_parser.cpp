// The controller's request parser fed in pieces, with noise, bad checksums and
// frames for other addresses.
#include "sim/frames.h"
#include "sim/request_parser.h"
#include "sim_test_bytes.h"

#include <QTest>

#include <random>

using namespace brisco::sim;

namespace {

QList<QByteArray> bytewise(const QByteArray& bytes) {
    QList<QByteArray> pieces;
    for (const char byte : bytes)
        pieces.append(QByteArray(1, byte));
    return pieces;
}

} // namespace

class TestSimRequestParser : public QObject {
    Q_OBJECT

private slots:
    void feed_data();
    void feed();
    void incompleteRequestWaits();
    void randomPieces();
};

void TestSimRequestParser::feed_data() {
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<QList<QByteArray>>("requests");
    QTest::addColumn<int>("skipped");
    QTest::addColumn<int>("badChecksums");

    const QByteArray poll = hex("05010F0015");
    const QByteArray write7 = hex("05011E00014166");
    const QByteArray write8 = hex("05011E050203E816");

    QTest::newRow("status poll whole") << QList{poll} << QList{poll} << 0 << 0;
    QTest::newRow("status poll byte by byte") << bytewise(poll) << QList{poll} << 0 << 0;
    QTest::newRow("seven-byte write in pieces")
        << QList{hex("05011E"), hex("0001"), hex("4166")} << QList{write7} << 0 << 0;
    QTest::newRow("eight-byte write in pieces")
        << QList{hex("0501"), hex("1E050203"), hex("E8"), hex("16")} << QList{write8} << 0 << 0;
    QTest::newRow("eight-byte write byte by byte") << bytewise(write8) << QList{write8} << 0 << 0;
    QTest::newRow("three requests in one piece")
        << QList{poll + write8 + write7} << QList{poll, write8, write7} << 0 << 0;
    QTest::newRow("request cut across pieces")
        << QList{poll + write8.first(3), write8.sliced(3) + write7} << QList{poll, write8, write7}
        << 0 << 0;
    QTest::newRow("noise before") << QList{hex("00FF06150F1E") + poll} << QList{poll} << 6 << 0;
    QTest::newRow("noise between")
        << QList{poll + hex("AA55"), hex("06") + write7} << QList{poll, write7} << 3 << 0;
    QTest::newRow("bad checksum, then a good request")
        << QList{hex("05010F0016") + poll} << QList{poll} << 5 << 1;
    QTest::newRow("bad checksum on a write")
        << QList{hex("05011E00014167"), poll} << QList{poll} << 7 << 1;
    QTest::newRow("stray start byte") << QList{hex("05") + poll} << QList{poll} << 1 << 0;
    QTest::newRow("stray write header swallows the start of a request")
        << QList{hex("05011E") + poll} << QList{poll} << 3 << 1;
    QTest::newRow("value count 3 is no request")
        << QList{hex("05011E00034166")} << QList<QByteArray>{} << 7 << 0;
    QTest::newRow("value count 0 is no request")
        << QList{hex("05011E000024"), poll} << QList{poll} << 6 << 0;
    QTest::newRow("unknown command") << QList{hex("05012D0033"), poll} << QList{poll} << 5 << 0;
    QTest::newRow("a reply on the line is noise")
        << QList{hex("06010F0016"), poll} << QList{poll} << 5 << 0;
    QTest::newRow("other address is still a request")
        << QList{hex("05070F001B")} << QList{hex("05070F001B")} << 0 << 0;
    QTest::newRow("address query")
        << QList{hex("05000F0115")} << QList{hex("05000F0115")} << 0 << 0;
}

void TestSimRequestParser::feed() {
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
}

void TestSimRequestParser::incompleteRequestWaits() {
    RequestParser parser;
    QVERIFY(parser.feed(hex("05010F00")).isEmpty());
    QCOMPARE(parser.feed(hex("15")), QList{hex("05010F0015")});
    QVERIFY(parser.feed(hex("05")).isEmpty());
    QVERIFY(parser.feed(hex("011E0502")).isEmpty());
    QVERIFY(parser.feed(hex("03E8")).isEmpty());
    QCOMPARE(parser.feed(hex("16")), QList{hex("05011E050203E816")});
    QCOMPARE(parser.skippedBytes(), 0);
}

void TestSimRequestParser::randomPieces() {
    std::mt19937 random(20240);
    const auto draw = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };

    QList<QByteArray> sent;
    QByteArray stream;
    for (int i = 0; i < 500; ++i) {
        const auto address = static_cast<quint8>(draw(0, 255));
        const auto parameter = static_cast<quint8>(draw(0, 60));
        QByteArray request;
        switch (draw(0, 2)) {
        case 0:
            request = statusPoll(address);
            break;
        case 1:
            request = parameterWrite(address, parameter, static_cast<quint8>(draw(0, 255)));
            break;
        default:
            request = parameterWrite16(address, parameter, static_cast<quint16>(draw(0, 65535)));
            break;
        }
        sent.append(request);
        stream += request;
        // Noise without the start byte cannot hide a request behind a false one.
        for (int n = draw(0, 3); n > 0; --n) {
            int byte = draw(0, 254);
            stream.append(static_cast<char>(byte >= kRequestStart ? byte + 1 : byte));
        }
    }

    RequestParser parser;
    QList<QByteArray> found;
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype length = qMin<qsizetype>(draw(1, 12), stream.size() - at);
        found += parser.feed(QByteArrayView(stream).sliced(at, length));
        at += length;
    }
    QCOMPARE(found, sent);
    QCOMPARE(parser.badChecksums(), 0);
}

QTEST_GUILESS_MAIN(TestSimRequestParser)
#include "tst_sim_request_parser.moc"
