// What the virtual controller answers, which requests it ignores, and how
// writes change what it reports afterwards.
#include "sim/controller.h"
#include "sim/frames.h"
#include "sim/status_fields.h"
#include "sim_test_bytes.h"

#include <QTest>

#include <random>

using namespace brisco::sim;

namespace {

// The replies to bytes, in order.
QList<QByteArray> ask(Controller& controller, const QByteArray& bytes) {
    QList<QByteArray> replies;
    for (const Exchange& exchange : controller.receive(bytes))
        replies.append(exchange.reply);
    return replies;
}

QByteArray askOne(Controller& controller, const QByteArray& bytes) {
    const QList<QByteArray> replies = ask(controller, bytes);
    return replies.size() == 1 ? replies.first() : QByteArray();
}

} // namespace

class TestSimController : public QObject {
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void statusReply();
    void ignored_data();
    void ignored();
    void setPointWrites_data();
    void setPointWrites();
    void factoryWrites_data();
    void factoryWrites();
    void analogValueWrite();
    void addressChange();
    void addressQueryFromAnyAddress();
    void ownDeviceInformation();
    void replyLog();
    void replyLogKeepsTheNewest();
    void requestsInOnePiece();
};

void TestSimController::answers_data() {
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("address query") << 1 << hex("05000F0115") << hex("06000F01010118");
    QTest::newRow("address query, controller at 5")
        << 5 << hex("05000F0115") << hex("06000F0101051C");
    QTest::newRow("address query to its own address")
        << 5 << hex("05050F011A") << hex("06000F0101051C");
    QTest::newRow("device information")
        << 1 << hex("05010F0217") << hex("06010F0211") + "TEC-48/1.0/VA2.1/" + hex("E2");
    QTest::newRow("factory values") << 1 << hex("05010F0318")
                                    << hex("06010F030C2A023A0231306464646400"
                                           "1E9C");
    QTest::newRow("factory values at address 2") << 2 << hex("05020F0319")
                                                 << hex("06020F030C2A023A0231306464646400"
                                                        "1E9D");
    QTest::newRow("unknown sub-command is refused") << 1 << hex("05010F091E") << hex("1501");
    QTest::newRow("unknown parameter is refused") << 1 << hex("05011E2801004D") << hex("1501");
    QTest::newRow("address 0 is refused") << 1 << hex("05011E1C010041") << hex("1501");
    QTest::newRow("two bytes across blocks are refused")
        << 1 << hex("05011E0F02000035") << hex("1501");
    QTest::newRow("refusal from address 3") << 3 << hex("05031E2801004F") << hex("1503");
}

void TestSimController::answers() {
    QFETCH(int, address);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);

    std::mt19937 random(1);
    ControllerConfig config;
    config.address = static_cast<quint8>(address);
    Controller controller(config, random);
    QCOMPARE(askOne(controller, request).toHex(' '), reply.toHex(' '));
}

void TestSimController::statusReply() {
    std::mt19937 random(1);
    Controller controller({}, random);
    controller.step(10.0);
    const QByteArray reply = askOne(controller, hex("05010F0015"));

    QCOMPARE(reply.size(), 36);
    QCOMPARE(reply.first(5).toHex(' '), hex("06010F001E").toHex(' '));
    QCOMPARE(static_cast<quint8>(reply[35]), sumOf(reply.first(35)));
    // Cooling 35 / 30, heating 5 / 15, pulses 2, inner 1500 / 3000, outer 2 / 3000,
    // warnings 55 / -10, current limits 1.0 / 10.0.
    QCOMPARE(reply.sliced(5, 16).toHex(' '), hex("4B462D370205DC0BB8020BB85F1E0A64").toHex(' '));
    QCOMPARE(controller.lastStatusReply(), reply);
}

void TestSimController::ignored_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("ignored");
    QTest::addColumn<int>("skipped");

    QTest::newRow("status poll to another address") << hex("05070F001B") << 1 << 0;
    QTest::newRow("write to another address") << hex("05021E00014167") << 1 << 0;
    QTest::newRow("status poll with bad checksum") << hex("05010F0016") << 0 << 5;
    QTest::newRow("write with bad checksum") << hex("05011E00014167") << 0 << 7;
    QTest::newRow("broadcast status poll") << hex("05000F0014") << 1 << 0;
    QTest::newRow("broadcast write") << hex("05001E00014165") << 1 << 0;
}

void TestSimController::ignored() {
    QFETCH(QByteArray, request);
    QFETCH(int, ignored);
    QFETCH(int, skipped);

    std::mt19937 random(1);
    Controller controller({}, random);
    QVERIFY(controller.receive(request).isEmpty());
    QCOMPARE(controller.counters().ignored, ignored);
    QCOMPARE(controller.counters().skippedBytes, skipped);
    QCOMPARE(controller.counters().accepted, 0);
    QVERIFY(controller.replyLog().isEmpty());
    QCOMPARE(askOne(controller, hex("05010F0318")).size(), 18);
}

void TestSimController::setPointWrites_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("acknowledgement");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("cooling start 25")
        << hex("05011E00014166") << hex("06011E00014167") << 5 << hex("41");
    QTest::newRow("cooling stop 20")
        << hex("05011E01013C62") << hex("06011E01013C63") << 6 << hex("3C");
    QTest::newRow("heating start -40")
        << hex("05011E02010027") << hex("06011E02010028") << 7 << hex("00");
    QTest::newRow("inner fan low 1000")
        << hex("05011E050203E816") << hex("06011E050203E817") << 10 << hex("03E8");
    QTest::newRow("inner fan high 4000")
        << hex("05011E07020FA0DC") << hex("06011E07020FA0DD") << 12 << hex("0FA0");
    QTest::newRow("outer fan high 2500")
        << hex("05011E0A0209C4FD") << hex("06011E0A0209C4FE") << 15 << hex("09C4");
    QTest::newRow("high temperature warning 60")
        << hex("05011E0C016495") << hex("06011E0C016496") << 17 << hex("64");
    QTest::newRow("low temperature warning -20")
        << hex("05011E0D011446") << hex("06011E0D011447") << 18 << hex("14");
    QTest::newRow("high current limit 12.5")
        << hex("05011E0F017DB1") << hex("06011E0F017DB2") << 20 << hex("7D");
}

void TestSimController::setPointWrites() {
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, acknowledgement);
    QFETCH(int, offset);
    QFETCH(QByteArray, value);

    std::mt19937 random(1);
    Controller controller({}, random);
    const QByteArray before = askOne(controller, hex("05010F0015"));
    QVERIFY(before.sliced(offset, value.size()) != value);

    QCOMPARE(askOne(controller, request).toHex(' '), acknowledgement.toHex(' '));
    const QByteArray after = askOne(controller, hex("05010F0015"));
    QCOMPARE(after.sliced(offset, value.size()).toHex(' '), value.toHex(' '));
    // Nothing else among the set-points moved.
    QByteArray expected = before.sliced(5, 16);
    expected.replace(offset - 5, value.size(), value);
    QCOMPARE(after.sliced(5, 16).toHex(' '), expected.toHex(' '));
}

void TestSimController::factoryWrites_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("value");

    QTest::newRow("DC low limit 200") << hex("05011E1001C8FD") << 5 << 200;
    QTest::newRow("DC low offset 0") << hex("05011E11010036") << 6 << 0;
    QTest::newRow("DC high limit 45") << hex("05011E12012D64") << 7 << 45;
    QTest::newRow("DC high offset 0") << hex("05011E13010038") << 8 << 0;
    QTest::newRow("version, first character B") << hex("05011E1401427B") << 9 << int('B');
    QTest::newRow("DC voltage calibration 110") << hex("05011E18016EAB") << 13 << 110;
    QTest::newRow("cooling only") << hex("05011E1A010140") << 15 << 1;
    QTest::newRow("hydrogen period 45") << hex("05011E1B012D6D") << 16 << 45;
}

void TestSimController::factoryWrites() {
    QFETCH(QByteArray, request);
    QFETCH(int, offset);
    QFETCH(int, value);

    std::mt19937 random(1);
    Controller controller({}, random);
    const QByteArray before = askOne(controller, hex("05010F0318"));
    QVERIFY(static_cast<quint8>(before[offset]) != value);

    QByteArray acknowledgement = request;
    acknowledgement[0] = 6;
    acknowledgement.back() = static_cast<char>(request.back() + 1);
    QCOMPARE(askOne(controller, request).toHex(' '), acknowledgement.toHex(' '));

    const QByteArray after = askOne(controller, hex("05010F0318"));
    QCOMPARE(after.size(), 18);
    QCOMPARE(static_cast<quint8>(after[offset]), value);
    QCOMPARE(static_cast<quint8>(after[17]), sumOf(after.first(17)));
    QByteArray expected = before;
    expected[offset] = static_cast<char>(value);
    QCOMPARE(after.first(17).toHex(' '), expected.first(17).toHex(' '));
}

void TestSimController::analogValueWrite() {
    std::mt19937 random(1);
    Controller controller({}, random);
    QCOMPARE(askOne(controller, hex("05011E320182D9")).toHex(' '),
             hex("06011E320182DA").toHex(' '));
    QCOMPARE(controller.parameters().analogValue(), 0x82);
    QCOMPARE(askOne(controller, hex("05011E32015BB2")).toHex(' '),
             hex("06011E32015BB3").toHex(' '));
    QCOMPARE(controller.parameters().analogValue(), 0x5B);
}

void TestSimController::addressChange() {
    std::mt19937 random(1);
    Controller controller({}, random);

    // The acknowledgement still leaves from the old address.
    QCOMPARE(askOne(controller, hex("05011E1C010243")).toHex(' '),
             hex("06011E1C010244").toHex(' '));
    QCOMPARE(controller.address(), 2);

    QVERIFY(controller.receive(hex("05010F0015")).isEmpty());
    QVERIFY(controller.receive(hex("05010F0318")).isEmpty());
    QVERIFY(controller.receive(hex("05011E00014166")).isEmpty());
    QCOMPARE(controller.counters().ignored, 3);

    const QByteArray status = askOne(controller, hex("05020F0016"));
    QCOMPARE(status.size(), 36);
    QCOMPARE(status.first(4).toHex(' '), hex("06020F00").toHex(' '));
    QCOMPARE(static_cast<quint8>(status[35]), sumOf(status.first(35)));
    QCOMPARE(askOne(controller, hex("05020F0319")).first(4).toHex(' '), hex("06020F03").toHex(' '));
    QCOMPARE(askOne(controller, hex("05000F0115")).toHex(' '), hex("06000F01010219").toHex(' '));
    QCOMPARE(askOne(controller, hex("05021E00014167")).toHex(' '),
             hex("06021E00014168").toHex(' '));
}

void TestSimController::addressQueryFromAnyAddress() {
    std::mt19937 random(1);
    ControllerConfig config;
    config.address = 9;
    Controller controller(config, random);
    // A master that still polls address 1 learns the address from a reply it accepts.
    QVERIFY(controller.receive(hex("05010F0015")).isEmpty());
    QCOMPARE(askOne(controller, hex("05000F0115")).toHex(' '), hex("06000F01010920").toHex(' '));
}

void TestSimController::ownDeviceInformation() {
    std::mt19937 random(1);
    ControllerConfig config;
    config.deviceInfo = "ABC/1.0/V/";
    Controller controller(config, random);
    const QByteArray reply = askOne(controller, hex("05010F0217"));
    QCOMPARE(reply.size(), 16);
    QCOMPARE(static_cast<quint8>(reply[4]), 10);
    QCOMPARE(reply.sliced(5, 10), QByteArray("ABC/1.0/V/"));
    QCOMPARE(static_cast<quint8>(reply[15]), sumOf(reply.first(15)));
}

void TestSimController::replyLog() {
    std::mt19937 random(1);
    Controller controller({}, random);
    const QList<QByteArray> requests = {hex("05010F0015"), hex("05000F0115"),
                                        hex("05070F001B"), hex("05011E00014166"),
                                        hex("05010F0015"), hex("05010F0217")};
    QList<QByteArray> answered;
    for (const QByteArray& request : requests) {
        controller.step(1.0);
        answered += ask(controller, request);
    }
    QCOMPARE(answered.size(), 5);
    QCOMPARE(controller.replyLog(), answered);
    QCOMPARE(controller.lastStatusReply(), answered[3]);
    QVERIFY(answered[0] != answered[3]);
    QCOMPARE(controller.counters().accepted, 5);
    QCOMPARE(controller.counters().ignored, 1);
}

void TestSimController::replyLogKeepsTheNewest() {
    std::mt19937 random(1);
    Controller controller({}, random);
    const qsizetype total = Controller::kReplyLogLimit + 3;
    for (qsizetype i = 0; i < total; ++i)
        controller.receive(parameterWrite(1, 50, static_cast<quint8>(i % 256)));
    QCOMPARE(controller.replyLog().size(), Controller::kReplyLogLimit);
    QCOMPARE(controller.replyLog().first(), writeAcknowledgement(1, 50, hex("03")));
    QCOMPARE(controller.replyLog().last(),
             writeAcknowledgement(1, 50, QByteArray(1, static_cast<char>((total - 1) % 256))));
    QCOMPARE(controller.counters().accepted, total);
}

void TestSimController::requestsInOnePiece() {
    std::mt19937 random(1);
    Controller controller({}, random);
    const QList<Exchange> exchanges = controller.receive(hex("05010F0015"
                                                             "AA"
                                                             "05011E00014166"
                                                             "05010F0318"));
    QCOMPARE(exchanges.size(), 3);
    QCOMPARE(exchanges[0].request, hex("05010F0015"));
    QCOMPARE(exchanges[0].reply.size(), 36);
    QCOMPARE(exchanges[1].request, hex("05011E00014166"));
    QCOMPARE(exchanges[1].reply, hex("06011E00014167"));
    QCOMPARE(exchanges[2].reply.size(), 18);
    QCOMPARE(controller.counters().skippedBytes, 1);
}

QTEST_GUILESS_MAIN(TestSimController)
#include "tst_sim_controller.moc"
