// The virtual controller against bytes written out by hand: the requests it
// takes (whole, byte by byte, among noise and bad checksums), its replies, the
// writes it applies or refuses, and the drift of its readings.
#include "sim/controller.h"
#include "sim/encoding.h"
#include "test_bytes.h"

#include <QSet>
#include <QTest>

using namespace brisco::sim;

class TestSimController : public QObject {
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void measuredByte_data();
    void measuredByte();
    void drift();
};

void TestSimController::answers_data() {
    QTest::addColumn<QByteArray>("requests");
    // The replies in order, as far as they are fixed, and their length in all.
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("length");
    const auto row = [](const char* name, const char* requests, const QByteArray& head,
                        int length = -1) {
        QTest::newRow(name) << hex(requests) << head << (length < 0 ? int(head.size()) : length);
    };
    const QByteArray info = "TEC-48/1.0/VA2.1/";

    row("status poll", "05010F0015", hex("06010F001E"), 36);
    row("address query from 0", "05000F0115", hex("06000F01010118"));
    row("device information, terminator included", "05010F0217", hex("06010F0211") + info, 23);
    row("factory values", "05010F0318", hex("06010F030C"), 18);
    row("cooling start 25 in the status", "05011E00014166 05010F0015",
        hex("06011E00014167 06010F001E41"), 7 + 36);
    row("inner fan low 1000 in the status", "05011E050203E816 05010F0015",
        hex("06011E050203E817 06010F001E4B462D370203E8"), 8 + 36);
    row("high current limit 12.5 in the status", "05011E0F017DB1 05010F0015",
        hex("06011E0F017DB2 06010F001E4B462D370205DC0BB8020BB85F1E0A7D"), 7 + 36);
    row("DC low limit 200 in the factory values", "05011E1001C8FD 05010F0318",
        hex("06011E1001C8FE 06010F030CC8"), 7 + 18);
    row("hydrogen period 45 in the factory values", "05011E1B012D6D 05010F0318",
        hex("06011E1B012D6E 06010F030C2A023A02313064646464002D"), 7 + 18);
    row("analog value 25", "05011E320182D9", hex("06011E320182DA"));
    row("bus address 2, then answered there", "05011E1C010243 05020F0016",
        hex("06011E1C010244 06020F001E"), 7 + 36);
    row("bus address 2, the old one ignored", "05011E1C010243 05010F0015", hex("06011E1C010244"));
    row("bus address 3, then a poll to 3", "05011E1C010344 05030F0017",
        hex("06011E1C010345 06030F001E"), 7 + 36);
    row("bus address 5, then the address query", "05011E1C010546 05000F0115",
        hex("06011E1C010547 06000F0101051C"));
    row("unknown sub-command refused", "05010F091E", hex("1501"));
    row("unknown parameter refused", "05011E2801004D", hex("1501"));
    row("bus address 0 refused, still at 1", "05011E1C010041 05010F0015", hex("1501 06010F001E"),
        2 + 36);
    row("two values across blocks refused, none kept", "05011E0F02000035 05010F0015",
        hex("1501 06010F001E4B462D370205DC0BB8020BB85F1E0A64"), 2 + 36);
    row("refused from address 3", "05011E1C010344 05030F0920", hex("06011E1C010345 1503"));
    row("status poll to another address ignored", "05070F001B", {});
    row("broadcast status poll ignored", "05000F0014", {});
    row("broadcast write ignored", "05001E00014165", {});
    row("noise and a reply around a poll", "00FF06150F1E 05010F0015 AA55", hex("06010F001E"), 36);
    row("bad checksum, then a poll", "05010F0016 05010F0015", hex("06010F001E"), 36);
    row("write header cut off by a poll", "05011E 05010F0015", hex("06010F001E"), 36);
    row("value counts 0 and 3, then a poll", "05011E000024 05011E00034166 05010F0015",
        hex("06010F001E"), 36);
    row("unknown command, then a poll", "05012D0033 05010F0015", hex("06010F001E"), 36);
}

void TestSimController::answers() {
    QFETCH(QByteArray, requests);
    QFETCH(QByteArray, head);
    QFETCH(int, length);
    // Fed at once and one byte at a time, the same bytes get the same replies.
    for (const qsizetype piece : {requests.size(), qsizetype(1)}) {
        Controller controller({}, 0);
        QByteArray replies;
        for (qsizetype at = 0; at < requests.size(); at += piece) {
            for (const Exchange& exchange : controller.receive(requests.mid(at, piece), 10.0)) {
                const QByteArray& reply = exchange.reply;
                QVERIFY2(reply.size() == 2 || framed(reply.chopped(1)) == reply,
                         qPrintable(hexOf(reply)));
                replies += reply;
            }
        }
        QCOMPARE(hexOf(replies.first(qMin(head.size(), replies.size()))), hexOf(head));
        QCOMPARE(replies.size(), length);
    }
}

void TestSimController::measuredByte_data() {
    QTest::addColumn<double>("celsius");
    QTest::addColumn<int>("byte");
    QTest::newRow("analog 25") << 25.0 << 0x82;
    QTest::newRow("-0.5") << -0.5 << 79;
    QTest::newRow("-40, the bottom") << -40.0 << 0;
    QTest::newRow("-60 clamps") << -60.0 << 0;
    QTest::newRow("86.5, the top") << 86.5 << 253;
    QTest::newRow("87 is no open sensor") << 87.0 << 253;
    QTest::newRow("87.5 is no shorted sensor") << 87.5 << 253;
}

void TestSimController::measuredByte() {
    QFETCH(double, celsius);
    QFETCH(int, byte);
    QCOMPARE(encoding::measuredByte(celsius), byte);
    QCOMPARE(encoding::measuredCelsius(byte), qBound(-40.0, celsius, 86.5));
}

void TestSimController::drift() {
    const QByteArray poll = hex("05010F0015");
    Controller controller({}, 7);
    QSet<int> temperatures;
    QSet<int> speeds;
    int lit = 0;
    int always = 0xFFFF;
    for (int second = 0; second < 600; ++second) {
        const QList<Exchange> exchanges = controller.receive(poll, second);
        QCOMPARE(exchanges.size(), 1);
        const std::optional<StatusFields> fields = StatusFields::fromReply(exchanges[0].reply);
        QVERIFY(fields);
        // Cooling runs while the inner temperature is above the cooling start, 35 °C.
        const bool cooling = fields->WorkState & work_state::Cooling;
        QCOMPARE(cooling, encoding::measuredCelsius(fields->Temp1) > 35.0);
        QCOMPARE(bool(fields->WorkState & work_state::OuterFan), cooling);
        QCOMPARE(fields->TECcurrent > 0, cooling);
        QVERIFY(qAbs(fields->IntFanSpeed - (cooling ? 3000 : 1500)) <= 60);
        QVERIFY(qAbs(fields->ExtFanSpeed - (cooling ? 3000 : 0)) <= 60);
        QCOMPARE(bool(fields->AlarmA & alarm_a::General), fields->AlarmB != 0);
        temperatures.insert(fields->Temp1);
        speeds.insert(fields->IntFanSpeed);
        lit |= fields->WorkState | fields->AlarmB << 8;
        always &= fields->WorkState | fields->AlarmB << 8;
    }
    QVERIFY(temperatures.size() >= 10 && speeds.size() >= 10);
    // Everything but the inner fan comes and goes.
    using namespace work_state;
    QCOMPARE(lit, InnerFan | OuterFan | Cooling | Hydrogen | SelfTest | alarm_b::HighTemp << 8);
    QCOMPARE(always, int(InnerFan));
    // Another seed, another point of the drift.
    QVERIFY(Controller({}, 8).receive(poll, 100)[0].reply !=
            controller.receive(poll, 100)[0].reply);
}

QTEST_GUILESS_MAIN(TestSimController)
#include "tst_sim_controller.moc"
