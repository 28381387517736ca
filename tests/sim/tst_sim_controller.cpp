// The virtual controller: what it answers or ignores, how writes land, and the
// cabinet behind it in simulated time: thermostat, fans, alarms, working-state
// bits, and every field inside its encoding whatever is written.
#include "sim/controller.h"
#include "sim/encoding.h"
#include "sim/frames.h"
#include "sim/parameters.h"
#include "sim/status_fields.h"
#include "sim_test_bytes.h"

#include <QTest>

#include <algorithm>
#include <random>

using namespace brisco::sim;

namespace {

// The set-points as delivered: cooling 35 / 30, heating 5 / 15, pulses 2, inner fan
// 1500 / 3000, outer fan 2 / 3000, warnings 55 / -10, current limits 1.0 / 10.0.
const QByteArray kDefaultSetPoints = hex("4B462D370205DC0BB8020BB85F1E0A64");
const QByteArray kDefaultFactoryReply = hex("06010F030C2A023A02313064646464001E9C");

struct Write {
    quint8 parameter;
    quint8 value;
};

// The reply to bytes when there is exactly one, otherwise nothing.
QByteArray askOne(Controller& controller, const QByteArray& bytes) {
    const QList<Exchange> exchanges = controller.receive(bytes);
    return exchanges.size() == 1 ? exchanges.first().reply : QByteArray();
}

// False unless the controller sent one well-formed status reply from its address.
bool poll(Controller& controller, StatusFields* fields) {
    const QByteArray reply = askOne(controller, statusPoll(controller.address()));
    const std::optional<StatusFields> decoded = StatusFields::fromReply(reply);
    if (!decoded || static_cast<quint8>(reply[1]) != controller.address())
        return false;
    *fields = *decoded;
    return true;
}

bool write(Controller& controller, const Write& write) {
    const QByteArray request = parameterWrite(controller.address(), write.parameter, write.value);
    return replyKind(askOne(controller, request)) == ReplyKind::WriteAck;
}

} // namespace

Q_DECLARE_METATYPE(QList<Write>)
Q_DECLARE_METATYPE(brisco::sim::ControllerConfig)

class TestSimController : public QObject {
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void writes_data();
    void writes();
    void addressChange();
    void thermostat_data();
    void thermostat();
    void status_data();
    void status();
    void sameSeedSameRepliesWhateverTheSteps();
    void fieldsStayInsideTheirEncodings();
};

void TestSimController::answers_data() {
    QTest::addColumn<ControllerConfig>("config");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    const auto row = [](const char* name, const ControllerConfig& config, const char* request,
                        const QByteArray& reply) {
        QTest::newRow(name) << config << hex(request) << reply;
    };

    row("address query", {}, "05000F0115", hex("06000F01010118"));
    row("address query, controller at 5", {.address = 5}, "05000F0115", hex("06000F0101051C"));
    row("address query to its own address", {.address = 5}, "05050F011A", hex("06000F0101051C"));
    row("device information", {}, "05010F0217",
        hex("06010F0211") + "TEC-48/1.0/VA2.1/" + hex("E2"));
    row("own device information", {.deviceInfo = "ABC/1.0/V/"}, "05010F0217",
        hex("06010F020A4142432F312E302F562F5A"));
    row("factory values", {}, "05010F0318", kDefaultFactoryReply);
    row("factory values at 2", {.address = 2}, "05020F0319",
        hex("06020F030C2A023A02313064646464001E9D"));
    row("analog value", {}, "05011E32015BB2", hex("06011E32015BB3"));
    row("unknown sub-command is refused", {}, "05010F091E", hex("1501"));
    row("unknown parameter is refused", {}, "05011E2801004D", hex("1501"));
    row("address 0 is refused", {}, "05011E1C010041", hex("1501"));
    row("two bytes across blocks are refused", {}, "05011E0F02000035", hex("1501"));
    row("refusal from address 3", {.address = 3}, "05031E2801004F", hex("1503"));
    row("status poll to another address is ignored", {}, "05070F001B", {});
    row("broadcast status poll is ignored", {}, "05000F0014", {});
    row("broadcast write is ignored", {}, "05001E00014165", {});
}

void TestSimController::answers() {
    QFETCH(ControllerConfig, config);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);

    std::mt19937 random(1);
    Controller controller(config, random);
    COMPARE_BYTES(askOne(controller, request), reply);
    // No refused or ignored write landed, and the controller still answers.
    COMPARE_BYTES(askOne(controller, statusPoll(config.address)).mid(5, 16), kDefaultSetPoints);
}

void TestSimController::writes_data() {
    // Parameters 0..15 show in the status reply, 16..27 in the factory reply, both from offset 5.
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("acknowledgement");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("value");
    const auto row = [](const char* name, const char* request, const char* ack, int offset,
                        const char* value) {
        QTest::newRow(name) << hex(request) << hex(ack) << offset << hex(value);
    };

    row("cooling start 25", "05011E00014166", "06011E00014167", 5, "41");
    row("cooling stop 20", "05011E01013C62", "06011E01013C63", 6, "3C");
    row("heating start -40", "05011E02010027", "06011E02010028", 7, "00");
    row("inner fan low 1000", "05011E050203E816", "06011E050203E817", 10, "03E8");
    row("inner fan high 4000", "05011E07020FA0DC", "06011E07020FA0DD", 12, "0FA0");
    row("outer fan high 2500", "05011E0A0209C4FD", "06011E0A0209C4FE", 15, "09C4");
    row("high temperature warning 60", "05011E0C016495", "06011E0C016496", 17, "64");
    row("low temperature warning -20", "05011E0D011446", "06011E0D011447", 18, "14");
    row("high current limit 12.5", "05011E0F017DB1", "06011E0F017DB2", 20, "7D");
    row("DC low limit 200", "05011E1001C8FD", "06011E1001C8FE", 5, "C8");
    row("DC low offset 0", "05011E11010036", "06011E11010037", 6, "00");
    row("DC high limit 45", "05011E12012D64", "06011E12012D65", 7, "2D");
    row("DC high offset 0", "05011E13010038", "06011E13010039", 8, "00");
    row("version, first character B", "05011E1401427B", "06011E1401427C", 9, "42");
    row("DC voltage calibration 110", "05011E18016EAB", "06011E18016EAC", 13, "6E");
    row("cooling only", "05011E1A010140", "06011E1A010141", 15, "01");
    row("hydrogen period 45", "05011E1B012D6D", "06011E1B012D6E", 16, "2D");
}

void TestSimController::writes() {
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, acknowledgement);
    QFETCH(int, offset);
    QFETCH(QByteArray, value);

    std::mt19937 random(1);
    Controller controller({}, random);
    const QByteArray query = request[3] < 16 ? statusPoll(1) : factoryQuery(1);
    QVERIFY(askOne(controller, query).mid(offset, value.size()) != value);
    COMPARE_BYTES(askOne(controller, request), acknowledgement);
    COMPARE_BYTES(askOne(controller, query).mid(offset, value.size()), value);
}

void TestSimController::addressChange() {
    std::mt19937 random(1);
    Controller controller({}, random);

    // The acknowledgement still leaves from the old address.
    COMPARE_BYTES(askOne(controller, hex("05011E1C010243")), hex("06011E1C010244"));

    // A poll, a factory query and a write, all to the old address.
    QVERIFY(controller.receive(hex("05010F001505010F031805011E00014166")).isEmpty());
    QCOMPARE(controller.counters().ignored, 3);

    // Answered from the new address, and the write to the old one did not land.
    const QByteArray status = askOne(controller, hex("05020F0016"));
    COMPARE_BYTES(status.left(21), hex("06020F001E") + kDefaultSetPoints);
    QCOMPARE(status.size(), 36);
    COMPARE_BYTES(askOne(controller, hex("05000F0115")), hex("06000F01010219"));
    COMPARE_BYTES(askOne(controller, hex("05021E00014167")), hex("06021E00014168"));
}

void TestSimController::thermostat_data() {
    QTest::addColumn<double>("inner");
    QTest::addColumn<QList<Write>>("writes");
    QTest::addColumn<int>("bit");
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("stop");
    const auto row = [](const char* name, double inner, const QList<Write>& writes, int bit,
                        double start, double stop) {
        QTest::newRow(name) << inner << writes << bit << start << stop;
    };

    using namespace parameter;
    using encoding::setPointByte;
    row("cooling from 40, 35 / 30", 40, {}, work_state::Cooling, 35, 30);
    row("cooling once written 25 / 20", 32,
        {{TECcoolStart, setPointByte(25)}, {TECcoolStop, setPointByte(20)}}, work_state::Cooling,
        25, 20);
    row("heating from 0, 5 / 15", 0, {}, work_state::Heating, 5, 15);
}

void TestSimController::thermostat() {
    QFETCH(double, inner);
    QFETCH(QList<Write>, writes);
    QFETCH(int, bit);
    QFETCH(double, start);
    QFETCH(double, stop);

    std::mt19937 random(3);
    Controller controller(ControllerConfig{.innerCelsius = inner}, random);
    for (const Write& each : writes)
        QVERIFY(write(controller, each));
    // Heating works upwards; negated readings let one set of checks serve both.
    const int sign = bit == work_state::Cooling ? 1 : -1;
    const int startByte = sign * encoding::measuredByte(start);
    const int stopByte = sign * encoding::measuredByte(stop);
    StatusFields fields;
    const auto next = [&controller, &fields] {
        controller.step(1.0);
        return poll(controller, &fields);
    };

    QVERIFY(next());
    QVERIFY(fields.WorkState & bit);
    const int first = fields.Temp1;
    // Running, it never passes stop, and switches off once there.
    for (int second = 0; fields.WorkState & bit; ++second) {
        QVERIFY2(second < 4 * 3600 && sign * fields.Temp1 >= stopByte,
                 qPrintable(QString::number(second)));
        QVERIFY(next());
    }
    QVERIFY(sign * fields.Temp1 <= stopByte);
    QVERIFY(std::abs(fields.Temp1 - first) >= 8);
    if (bit != work_state::Cooling)
        return;

    // Left alone the cabinet warms again; cooling comes back on only above start.
    for (int second = 0; !(fields.WorkState & bit); ++second) {
        QVERIFY2(second < 4 * 3600 && fields.Temp1 <= startByte,
                 qPrintable(QString::number(second)));
        QVERIFY(next());
    }
    QVERIFY(fields.Temp1 >= startByte);
}

void TestSimController::status_data() {
    QTest::addColumn<double>("inner");
    QTest::addColumn<QList<Write>>("writes");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("workState");
    QTest::addColumn<int>("innerFan");
    QTest::addColumn<int>("outerFan");
    QTest::addColumn<int>("alarmA");
    QTest::addColumn<int>("alarmB");
    const auto row = [](const char* name, double inner, const QList<Write>& writes, double seconds,
                        int workState, int innerFan, int outerFan, int alarmA = 0, int alarmB = 0) {
        QTest::newRow(name) << inner << writes << seconds << workState << innerFan << outerFan
                            << alarmA << alarmB;
    };
    using namespace parameter;
    using namespace work_state;
    using encoding::setPointByte;
    using encoding::tenthsByte;
    const int general = alarm_a::General;
    const int idle = InnerFan | Hydrogen;
    const int cooling = InnerFan | OuterFan | Cooling | Hydrogen;
    const int heating = InnerFan | Heating | Hydrogen;

    // Every run starts with a self test and a minute of venting; fans need seconds to spin up.
    row("self test at start", 20, {}, 1, idle | SelfTest, -1, -1);
    row("first venting over", 20, {}, 61, InnerFan, 1500, 0);
    row("venting again after 30 minutes", 20, {{TECcoolStart, setPointByte(45)}}, 1810, idle, 1500,
        0);
    row("no venting with period 0", 20, {{H_Fan, 0}}, 30, InnerFan, 1500, 0);
    row("cooling only never heats", 0, {{CoolingOnly, 1}}, 60, InnerFan, 1500, 0);
    row("high temperature", 60, {}, 10, cooling, 3000, 3000, general, alarm_b::HighTemp);
    row("high temperature, warning lowered", 32, {{TempMax, setPointByte(30)}}, 10, idle, 1500, 0,
        general, alarm_b::HighTemp);
    row("low temperature", -15, {}, 10, heating, 3000, 0, general, alarm_b::LowTemp);
    row("DC low", 32, {{DCVlow, 50}}, 10, idle, 1500, 0, general, alarm_b::DcLow);
    row("DC high", 32, {{DCVhigh, 45}}, 10, idle, 1500, 0, general, alarm_b::DcHigh);
    row("low current while cooling", 40, {{TECcurrL, tenthsByte(8.0)}}, 10, cooling, 3000, 3000,
        general | alarm_a::LowCurrent);
    row("high current while cooling", 40, {{TECcurrH, tenthsByte(2.0)}}, 10, cooling, 3000, 3000,
        general | alarm_a::HighCurrent);
    row("no current alarm while idle", 20, {{TECcurrL, tenthsByte(8.0)}}, 10, idle, 1500, 0);
}

void TestSimController::status() {
    QFETCH(double, inner);
    QFETCH(QList<Write>, writes);
    QFETCH(double, seconds);
    QFETCH(int, workState);
    QFETCH(int, innerFan);
    QFETCH(int, outerFan);
    QFETCH(int, alarmA);
    QFETCH(int, alarmB);

    std::mt19937 random(4);
    Controller controller(ControllerConfig{.innerCelsius = inner}, random);
    for (const Write& each : writes)
        QVERIFY(write(controller, each));
    controller.step(seconds);
    StatusFields fields;
    QVERIFY(poll(controller, &fields));
    QCOMPARE(fields.WorkState, workState);
    QCOMPARE(fields.AlarmA, alarmA);
    QCOMPARE(fields.AlarmB, alarmB);
    // Within 3 % of the set speeds, once they have spun up.
    for (const auto& [speed, set] : {std::pair<int, int>{fields.IntFanSpeed, innerFan},
                                     std::pair<int, int>{fields.ExtFanSpeed, outerFan}})
        QVERIFY2(set < 0 || std::abs(speed - set) * 100 <= set * 3,
                 qPrintable(QString::number(speed)));
}

void TestSimController::sameSeedSameRepliesWhateverTheSteps() {
    // Only the replies draw on the random generator, and long steps are cut into short ones.
    std::mt19937 random[] = {std::mt19937(10), std::mt19937(10), std::mt19937(11)};
    const ControllerConfig config{.innerCelsius = 40.0};
    Controller once(config, random[0]);
    Controller often(config, random[1]);
    Controller otherSeed(config, random[2]);
    once.step(200.0);
    otherSeed.step(200.0);
    for (int i = 0; i < 200; ++i)
        often.step(1.0);
    // Cooling went down to 30 and started again; uncut, the step would overshoot.
    QVERIFY(once.cabinet().cooling());
    QVERIFY(once.cabinet().innerCelsius() > 30.0 && once.cabinet().innerCelsius() < 33.0);
    const QByteArray reply = askOne(once, statusPoll(1));
    COMPARE_BYTES(askOne(often, statusPoll(1)), reply);
    QVERIFY(askOne(otherSeed, statusPoll(1)) != reply);
}

void TestSimController::fieldsStayInsideTheirEncodings() {
    std::mt19937 random(12);
    std::mt19937 writes(13);
    const auto draw = [&writes](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(writes);
    };
    Controller controller({}, random);
    // Parameters 0..27 as written: the set-points, then the factory values.
    QByteArray stored = kDefaultSetPoints + kDefaultFactoryReply.sliced(5, 12);

    for (int second = 0; second < 6 * 3600; ++second) {
        controller.step(1.0);
        StatusFields fields;
        QVERIFY2(poll(controller, &fields), qPrintable(QStringLiteral("at %1 s").arg(second)));
        const bool cooling = fields.WorkState & work_state::Cooling;
        const bool heating = fields.WorkState & work_state::Heating;

        COMPARE_BYTES(fields.data().first(16), stored.first(16));
        // 254 and 255 would read as an open or a shorted sensor.
        for (const int temperature : {fields.Temp1, fields.Temp2, fields.ControlTemp})
            QVERIFY2(temperature < 254, qPrintable(QStringLiteral("at %1 s").arg(second)));
        QCOMPARE(fields.WorkState & 0xC0, 0);
        QCOMPARE(fields.AlarmA & 0x3E, 0);
        QCOMPARE(fields.AlarmB & 0xF0, 0);
        QCOMPARE(fields.Inputs, 0);
        QVERIFY(!(cooling && heating));
        QVERIFY(!(heating && stored[parameter::CoolingOnly] == 1));
        QCOMPARE(fields.TECcurrent > 0, cooling || heating);
        QVERIFY(fields.DCvoltage >= 440 && fields.DCvoltage <= 520);
        QCOMPARE(bool(fields.AlarmA & alarm_a::General),
                 (fields.AlarmA & ~alarm_a::General) != 0 || fields.AlarmB != 0);
        if (second % 10 != 0)
            continue;

        // Every ten seconds one or two random bytes from a random parameter on, inside its
        // block, or a new bus address (28); the acknowledgement leaves from the old one.
        const quint8 address = controller.address();
        const int p = draw(0, 28);
        const bool word = p != 15 && p < 27 && draw(0, 1) == 1;
        const auto high = static_cast<quint8>(draw(p == 28 ? 1 : 0, 255));
        const auto low = static_cast<quint8>(draw(0, 255));
        const QByteArray ack =
            askOne(controller, word ? parameterWrite16(address, p, high << 8 | low)
                                    : parameterWrite(address, p, high));
        QCOMPARE(replyKind(ack), ReplyKind::WriteAck);
        QCOMPARE(static_cast<quint8>(ack[1]), address);
        if (p < 28)
            stored.replace(p, word ? 2 : 1,
                           QByteArray(1, char(high)) + QByteArray(word, char(low)));

        const QByteArray factory = askOne(controller, factoryQuery(controller.address()));
        COMPARE_BYTES(factory.mid(5, 12), stored.sliced(16));
        QCOMPARE(static_cast<quint8>(factory.back()), sumOf(factory.chopped(1)));
    }
}

QTEST_GUILESS_MAIN(TestSimController)
#include "tst_sim_controller.moc"
