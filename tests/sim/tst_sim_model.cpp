// The cabinet behind the virtual controller, driven by simulated time: the
// thermostat, fans, supply, alarms and the working-state bits, and that every
// field stays inside its encoding whatever is written.
#include "sim/controller.h"
#include "sim/encoding.h"
#include "sim/frames.h"
#include "sim/parameters.h"
#include "sim/status_fields.h"

#include <QTest>

#include <algorithm>
#include <random>

using namespace brisco::sim;

namespace {

struct Write {
    quint8 parameter;
    quint8 value;
};

ControllerConfig cabinetAt(double innerCelsius) {
    ControllerConfig config;
    config.innerCelsius = innerCelsius;
    return config;
}

bool poll(Controller& controller, StatusFields* fields) {
    const QList<Exchange> exchanges = controller.receive(statusPoll(controller.address()));
    if (exchanges.size() != 1)
        return false;
    const std::optional<StatusFields> decoded = StatusFields::fromReply(exchanges.first().reply);
    if (!decoded || static_cast<quint8>(exchanges.first().reply[1]) != controller.address())
        return false;
    *fields = *decoded;
    return true;
}

bool write(Controller& controller, const Write& write) {
    const QByteArray request = parameterWrite(controller.address(), write.parameter, write.value);
    const QList<Exchange> exchanges = controller.receive(request);
    return exchanges.size() == 1 && replyKind(exchanges.first().reply) == ReplyKind::WriteAck;
}

bool near(int value, int target, double share) {
    return std::abs(value - target) <= target * share;
}

} // namespace

Q_DECLARE_METATYPE(QList<Write>)

class TestSimModel : public QObject {
    Q_OBJECT

private slots:
    void thermostat_data();
    void thermostat();
    void runningState_data();
    void runningState();
    void alarms_data();
    void alarms();
    void supplyAlarmHysteresis();
    void workStateBits_data();
    void workStateBits();
    void coolingOnly();
    void outerDayCycle();
    void longStepsMatchShortOnes();
    void sameSeedSameReplies();
    void fieldsStayInsideTheirEncodings();
};

void TestSimModel::thermostat_data() {
    QTest::addColumn<double>("inner");
    QTest::addColumn<QList<Write>>("writes");
    QTest::addColumn<int>("bit");
    QTest::addColumn<double>("stop");
    QTest::addColumn<double>("restart");

    using namespace parameter;
    const auto setPoint = encoding::setPointByte;
    QTest::newRow("cooling from 40")
        << 40.0 << QList<Write>{} << int(work_state::Cooling) << 30.0 << 35.0;
    QTest::newRow("cooling once the start is lowered to 25")
        << 32.0 << QList<Write>{{TECcoolStart, setPoint(25)}, {TECcoolStop, setPoint(20)}}
        << int(work_state::Cooling) << 20.0 << 25.0;
    QTest::newRow("cooling down to 22") << 40.0 << QList<Write>{{TECcoolStop, setPoint(22)}}
                                        << int(work_state::Cooling) << 22.0 << 35.0;
    QTest::newRow("heating from 0")
        << 0.0 << QList<Write>{} << int(work_state::Heating) << 15.0 << qQNaN();
    QTest::newRow("heating up to 20") << 0.0 << QList<Write>{{TECheatStop, setPoint(20)}}
                                      << int(work_state::Heating) << 20.0 << qQNaN();
}

void TestSimModel::thermostat() {
    QFETCH(double, inner);
    QFETCH(QList<Write>, writes);
    QFETCH(int, bit);
    QFETCH(double, stop);
    QFETCH(double, restart);

    std::mt19937 random(3);
    Controller controller(cabinetAt(inner), random);
    for (const Write& each : writes)
        QVERIFY(write(controller, each));
    const bool cooling = bit == work_state::Cooling;
    const int stopByte = encoding::measuredByte(stop);

    StatusFields fields;
    controller.step(1.0);
    QVERIFY(poll(controller, &fields));
    QVERIFY(fields.WorkState & bit);
    const int first = fields.Temp1;
    int previous = first;
    bool stopped = false;
    for (int second = 0; second < 4 * 3600 && !stopped; ++second) {
        controller.step(1.0);
        QVERIFY(poll(controller, &fields));
        if (fields.WorkState & bit) {
            QVERIFY2(cooling ? fields.Temp1 <= previous : fields.Temp1 >= previous,
                     qPrintable(QStringLiteral("at %1 s").arg(second)));
            QVERIFY(cooling ? fields.Temp1 >= stopByte : fields.Temp1 <= stopByte);
        } else {
            stopped = true;
            QVERIFY(cooling ? fields.Temp1 <= stopByte : fields.Temp1 >= stopByte);
        }
        previous = fields.Temp1;
    }
    QVERIFY(stopped);
    QVERIFY(std::abs(previous - first) >= 8);

    if (qIsNaN(restart))
        return;
    // Left alone the cabinet warms again, until cooling starts once more.
    const int restartByte = encoding::measuredByte(restart);
    bool restarted = false;
    for (int second = 0; second < 4 * 3600 && !restarted; ++second) {
        controller.step(1.0);
        QVERIFY(poll(controller, &fields));
        restarted = fields.WorkState & bit;
        if (restarted)
            QVERIFY(fields.Temp1 >= restartByte);
        else
            QVERIFY(fields.Temp1 <= restartByte && fields.Temp1 >= previous);
        previous = fields.Temp1;
    }
    QVERIFY(restarted);
}

void TestSimModel::runningState_data() {
    QTest::addColumn<double>("inner");
    QTest::addColumn<int>("workState");
    QTest::addColumn<int>("innerFan");
    QTest::addColumn<int>("outerFan");
    QTest::addColumn<int>("lowestCurrent");
    QTest::addColumn<int>("highestCurrent");

    using namespace work_state;
    QTest::newRow("cooling") << 40.0 << int(InnerFan | OuterFan | Cooling) << 3000 << 3000 << 55
                             << 65;
    QTest::newRow("heating") << 0.0 << int(InnerFan | Heating) << 3000 << 0 << 40 << 50;
    QTest::newRow("idle") << 20.0 << int(InnerFan) << 1500 << 0 << 0 << 0;
}

void TestSimModel::runningState() {
    QFETCH(double, inner);
    QFETCH(int, workState);
    QFETCH(int, innerFan);
    QFETCH(int, outerFan);
    QFETCH(int, lowestCurrent);
    QFETCH(int, highestCurrent);

    std::mt19937 random(4);
    Controller controller(cabinetAt(inner), random);
    // Past the self test and the first minute of venting.
    controller.step(90.0);
    for (int i = 0; i < 20; ++i) {
        StatusFields fields;
        QVERIFY(poll(controller, &fields));
        QCOMPARE(fields.WorkState, workState);
        QVERIFY2(near(fields.IntFanSpeed, innerFan, 0.03),
                 qPrintable(QString::number(fields.IntFanSpeed)));
        QVERIFY2(near(fields.ExtFanSpeed, outerFan, 0.03),
                 qPrintable(QString::number(fields.ExtFanSpeed)));
        QVERIFY(fields.TECcurrent >= lowestCurrent && fields.TECcurrent <= highestCurrent);
        QVERIFY(fields.DCvoltage >= 465 && fields.DCvoltage <= 485);
        QCOMPARE(fields.ControlTemp, fields.Temp1);
        controller.step(1.0);
    }
}

void TestSimModel::alarms_data() {
    QTest::addColumn<double>("inner");
    QTest::addColumn<QList<Write>>("writes");
    QTest::addColumn<int>("alarmA");
    QTest::addColumn<int>("alarmB");

    using namespace parameter;
    QTest::newRow("none") << 32.0 << QList<Write>{} << 0 << 0;
    QTest::newRow("high temperature")
        << 60.0 << QList<Write>{} << int(alarm_a::General) << int(alarm_b::HighTemp);
    QTest::newRow("high temperature after the warning is lowered")
        << 32.0 << QList<Write>{{TempMax, encoding::setPointByte(30)}} << int(alarm_a::General)
        << int(alarm_b::HighTemp);
    QTest::newRow("low temperature")
        << -15.0 << QList<Write>{} << int(alarm_a::General) << int(alarm_b::LowTemp);
    QTest::newRow("DC low") << 32.0 << QList<Write>{{DCVlow, 50}} << int(alarm_a::General)
                            << int(alarm_b::DcLow);
    QTest::newRow("DC high") << 32.0 << QList<Write>{{DCVhigh, 45}} << int(alarm_a::General)
                             << int(alarm_b::DcHigh);
    QTest::newRow("low current while cooling")
        << 40.0 << QList<Write>{{TECcurrL, encoding::tenthsByte(8.0)}}
        << int(alarm_a::General | alarm_a::LowCurrent) << 0;
    QTest::newRow("high current while cooling")
        << 40.0 << QList<Write>{{TECcurrH, encoding::tenthsByte(2.0)}}
        << int(alarm_a::General | alarm_a::HighCurrent) << 0;
    QTest::newRow("no current alarm while idle")
        << 20.0 << QList<Write>{{TECcurrL, encoding::tenthsByte(8.0)}} << 0 << 0;
}

void TestSimModel::alarms() {
    QFETCH(double, inner);
    QFETCH(QList<Write>, writes);
    QFETCH(int, alarmA);
    QFETCH(int, alarmB);

    std::mt19937 random(5);
    Controller controller(cabinetAt(inner), random);
    for (const Write& each : writes)
        QVERIFY(write(controller, each));
    controller.step(1.0);
    for (int i = 0; i < 10; ++i) {
        StatusFields fields;
        QVERIFY(poll(controller, &fields));
        QCOMPARE(fields.AlarmA, alarmA);
        QCOMPARE(fields.AlarmB, alarmB);
        QCOMPARE(fields.Inputs, 0);
        controller.step(1.0);
    }
}

void TestSimModel::supplyAlarmHysteresis() {
    std::mt19937 random(6);
    Controller controller(cabinetAt(20.0), random);
    const auto supplyAlarms = [&controller]() {
        StatusFields fields;
        controller.step(1.0);
        return poll(controller, &fields) ? fields.AlarmB & (alarm_b::DcLow | alarm_b::DcHigh) : -1;
    };
    using namespace parameter;

    QCOMPARE(supplyAlarms(), 0);
    QVERIFY(write(controller, {DCVlow, 50}));
    QCOMPARE(supplyAlarms(), alarm_b::DcLow);
    // 48 V is above the limit of 47 V but not above limit and offset, 49 V.
    QVERIFY(write(controller, {DCVlow, 47}));
    QCOMPARE(supplyAlarms(), alarm_b::DcLow);
    QVERIFY(write(controller, {DCVlowOffset, 0}));
    QCOMPARE(supplyAlarms(), 0);

    QVERIFY(write(controller, {DCVhigh, 45}));
    QCOMPARE(supplyAlarms(), alarm_b::DcHigh);
    QVERIFY(write(controller, {DCVhigh, 49}));
    QCOMPARE(supplyAlarms(), alarm_b::DcHigh);
    QVERIFY(write(controller, {DCVhighOffset, 0}));
    QCOMPARE(supplyAlarms(), 0);
}

void TestSimModel::workStateBits_data() {
    QTest::addColumn<int>("hydrogenPeriod");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<bool>("hydrogen");
    QTest::addColumn<bool>("selfTest");

    QTest::newRow("self test and venting at start") << 30 << 1.0 << true << true;
    QTest::newRow("self test over") << 30 << 6.0 << true << false;
    QTest::newRow("first venting over") << 30 << 61.0 << false << false;
    QTest::newRow("late in the period") << 30 << 1790.0 << false << false;
    QTest::newRow("next period vents again") << 30 << 1810.0 << true << false;
    QTest::newRow("period 2, between ventings") << 2 << 100.0 << false << false;
    QTest::newRow("period 2, second venting") << 2 << 130.0 << true << false;
    QTest::newRow("period 0 never vents") << 0 << 30.0 << false << false;
}

void TestSimModel::workStateBits() {
    QFETCH(int, hydrogenPeriod);
    QFETCH(double, seconds);
    QFETCH(bool, hydrogen);
    QFETCH(bool, selfTest);

    std::mt19937 random(7);
    Controller controller(cabinetAt(20.0), random);
    // Out of reach of the cabinet's warmest afternoon, so only the fan runs.
    QVERIFY(write(controller, {parameter::TECcoolStart, encoding::setPointByte(45)}));
    QVERIFY(write(controller, {parameter::H_Fan, static_cast<quint8>(hydrogenPeriod)}));
    controller.step(seconds);
    StatusFields fields;
    QVERIFY(poll(controller, &fields));
    QCOMPARE(bool(fields.WorkState & work_state::Hydrogen), hydrogen);
    QCOMPARE(bool(fields.WorkState & work_state::SelfTest), selfTest);
    QCOMPARE(fields.WorkState & ~(work_state::Hydrogen | work_state::SelfTest),
             work_state::InnerFan);
}

void TestSimModel::coolingOnly() {
    std::mt19937 random(8);
    Controller controller(cabinetAt(0.0), random);
    QVERIFY(write(controller, {parameter::CoolingOnly, 1}));
    StatusFields fields;
    for (int i = 0; i < 60; ++i) {
        controller.step(1.0);
        QVERIFY(poll(controller, &fields));
        QCOMPARE(fields.WorkState & work_state::Heating, 0);
    }
    QVERIFY(write(controller, {parameter::CoolingOnly, 0}));
    controller.step(1.0);
    QVERIFY(poll(controller, &fields));
    QVERIFY(fields.WorkState & work_state::Heating);
}

void TestSimModel::outerDayCycle() {
    std::mt19937 random(9);
    Controller controller({}, random);
    StatusFields fields;
    QVERIFY(poll(controller, &fields));
    int lowest = fields.Temp2;
    int highest = fields.Temp2;
    int previous = fields.Temp2;
    for (int minute = 0; minute < 24 * 60; ++minute) {
        controller.step(60.0);
        QVERIFY(poll(controller, &fields));
        QVERIFY(std::abs(fields.Temp2 - previous) <= 1);
        lowest = std::min<int>(lowest, fields.Temp2);
        highest = std::max<int>(highest, fields.Temp2);
        previous = fields.Temp2;
    }
    // 14 to 30 degrees over the day.
    QVERIFY2(lowest >= encoding::measuredByte(13) && lowest <= encoding::measuredByte(15),
             qPrintable(QString::number(lowest)));
    QVERIFY2(highest >= encoding::measuredByte(29) && highest <= encoding::measuredByte(31),
             qPrintable(QString::number(highest)));
}

void TestSimModel::longStepsMatchShortOnes() {
    std::mt19937 randomA(10);
    std::mt19937 randomB(10);
    Controller once(cabinetAt(40.0), randomA);
    Controller often(cabinetAt(40.0), randomB);
    once.step(200.0);
    for (int i = 0; i < 200; ++i)
        often.step(1.0);
    QVERIFY(once.cabinet().cooling());
    QVERIFY(often.cabinet().cooling());
    QVERIFY(std::abs(once.cabinet().innerCelsius() - often.cabinet().innerCelsius()) < 0.01);
    QVERIFY(once.cabinet().innerCelsius() > 30.0 && once.cabinet().innerCelsius() < 33.0);
}

void TestSimModel::sameSeedSameReplies() {
    const auto run = [](quint32 seed) {
        std::mt19937 random(seed);
        Controller controller(cabinetAt(40.0), random);
        for (int second = 0; second < 600; ++second) {
            controller.step(1.0);
            controller.receive(statusPoll(1));
            if (second % 60 == 0)
                controller.receive(parameterWrite(1, parameter::TECcoolStop, 40 + second / 60));
        }
        return controller.replyLog();
    };
    const QList<QByteArray> first = run(11);
    QCOMPARE(first.size(), 610);
    QCOMPARE(run(11), first);
    QVERIFY(run(12) != first);
}

void TestSimModel::fieldsStayInsideTheirEncodings() {
    std::mt19937 random(12);
    std::mt19937 writes(13);
    const auto draw = [&writes](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(writes);
    };
    Controller controller({}, random);
    SetPoints setPoints = controller.parameters().setPoints();
    FactoryValues factory = controller.parameters().factoryValues();
    int innerFanOff = 0;
    int outerFanOff = 0;

    for (int second = 0; second < 6 * 3600; ++second) {
        controller.step(1.0);
        StatusFields fields;
        QVERIFY2(poll(controller, &fields), qPrintable(QStringLiteral("at %1 s").arg(second)));
        const bool cooling = fields.WorkState & work_state::Cooling;
        const bool heating = fields.WorkState & work_state::Heating;
        const bool running = cooling || heating;
        const auto word = [&setPoints](quint8 p) {
            return setPoints[p] << 8 | setPoints[p + 1];
        };

        QVERIFY(fields.setPoints == setPoints);
        QVERIFY(fields.Temp1 <= encoding::kMeasuredMax);
        QVERIFY(fields.Temp2 <= encoding::kMeasuredMax);
        QVERIFY(fields.ControlTemp <= encoding::kMeasuredMax);
        QCOMPARE(fields.WorkState & 0xC0, 0);
        QVERIFY(!(cooling && heating));
        QVERIFY(!(heating && factory[parameter::CoolingOnly - 16] == 1));
        QCOMPARE(fields.TECcurrent > 0, running);
        QVERIFY(fields.DCvoltage >= 440 && fields.DCvoltage <= 520);
        QCOMPARE(fields.Inputs, 0);

        QCOMPARE(bool(fields.WorkState & work_state::InnerFan),
                 word(running ? parameter::IntFanHighS : parameter::IntFanLowS) > 0);
        QCOMPARE(bool(fields.WorkState & work_state::OuterFan),
                 cooling && word(parameter::ExtFanHighS) > 0);
        innerFanOff = fields.WorkState & work_state::InnerFan ? 0 : innerFanOff + 1;
        outerFanOff = fields.WorkState & work_state::OuterFan ? 0 : outerFanOff + 1;
        if (innerFanOff > 30)
            QCOMPARE(fields.IntFanSpeed, 0);
        if (outerFanOff > 30)
            QCOMPARE(fields.ExtFanSpeed, 0);

        const int inner = fields.Temp1 - 80;
        QCOMPARE(bool(fields.AlarmB & alarm_b::HighTemp),
                 inner > 2 * (setPoints[parameter::TempMax] - 40));
        QCOMPARE(bool(fields.AlarmB & alarm_b::LowTemp),
                 inner < 2 * (setPoints[parameter::TempMin] - 40));
        QCOMPARE(bool(fields.AlarmA & alarm_a::LowCurrent),
                 running && fields.TECcurrent < setPoints[parameter::TECcurrL]);
        QCOMPARE(bool(fields.AlarmA & alarm_a::HighCurrent),
                 running && fields.TECcurrent > setPoints[parameter::TECcurrH]);
        const int volts = fields.DCvoltage;
        const int dcLow = factory[parameter::DCVlow - 16] * 10;
        const int dcHigh = factory[parameter::DCVhigh - 16] * 10;
        if (volts < dcLow)
            QVERIFY(fields.AlarmB & alarm_b::DcLow);
        if (volts >= dcLow + factory[parameter::DCVlowOffset - 16] * 10)
            QVERIFY(!(fields.AlarmB & alarm_b::DcLow));
        if (volts > dcHigh)
            QVERIFY(fields.AlarmB & alarm_b::DcHigh);
        if (volts <= dcHigh - factory[parameter::DCVhighOffset - 16] * 10)
            QVERIFY(!(fields.AlarmB & alarm_b::DcHigh));
        QCOMPARE(fields.AlarmB & 0xF0, 0);
        QCOMPARE(fields.AlarmA & 0x3E, 0);
        QCOMPARE(bool(fields.AlarmA & alarm_a::General),
                 (fields.AlarmA & ~alarm_a::General) != 0 || fields.AlarmB != 0);

        if (second % 10 != 0)
            continue;
        const quint8 address = controller.address();
        QList<Exchange> exchanges;
        switch (draw(0, 5)) {
        case 0: {
            const quint8 p = std::array<quint8, 10>{0, 1, 2, 3, 4, 9, 12, 13, 14, 15}[draw(0, 9)];
            const auto value = static_cast<quint8>(draw(0, 255));
            exchanges = controller.receive(parameterWrite(address, p, value));
            setPoints[p] = value;
            break;
        }
        case 1: {
            const quint8 p = std::array<quint8, 3>{5, 7, 10}[draw(0, 2)];
            const auto value = static_cast<quint16>(draw(0, 65535));
            exchanges = controller.receive(parameterWrite16(address, p, value));
            setPoints[p] = static_cast<quint8>(value >> 8);
            setPoints[p + 1] = static_cast<quint8>(value & 0xFF);
            break;
        }
        case 2: {
            const auto p = static_cast<quint8>(draw(16, 27));
            const auto value = static_cast<quint8>(draw(0, 255));
            exchanges = controller.receive(parameterWrite(address, p, value));
            factory[p - 16] = value;
            break;
        }
        case 3:
            exchanges = controller.receive(
                parameterWrite(address, parameter::AnalogValue, static_cast<quint8>(draw(0, 255))));
            break;
        case 4:
            exchanges = controller.receive(
                parameterWrite(address, parameter::BusAddress, static_cast<quint8>(draw(1, 255))));
            break;
        default:
            exchanges = controller.receive(parameterWrite(address, 40, 0));
            QCOMPARE(exchanges.size(), 1);
            QCOMPARE(exchanges.first().reply, refusal(address));
            continue;
        }
        QCOMPARE(exchanges.size(), 1);
        QCOMPARE(replyKind(exchanges.first().reply), ReplyKind::WriteAck);
        QCOMPARE(static_cast<quint8>(exchanges.first().reply[1]), address);

        const QList<Exchange> factoryReply = controller.receive(factoryQuery(controller.address()));
        QCOMPARE(factoryReply.size(), 1);
        QVERIFY(checksumMatches(factoryReply.first().reply));
        QCOMPARE(factoryReply.first().reply.sliced(5, kFactoryValueCount),
                 QByteArray(reinterpret_cast<const char*>(factory.data()), kFactoryValueCount));
    }
}

QTEST_GUILESS_MAIN(TestSimModel)
#include "tst_sim_model.moc"
