// The virtual controller against bytes written out by hand, the drift of its
// readings, the line faults on a simulated clock, and the command line.
#include "sim/controller.h"
#include "sim/encoding.h"
#include "sim/line_faults.h"
#include "sim/sim_options.h"
#include "test_bytes.h"

#include <QRegularExpression>
#include <QTest>

#include <utility>

using namespace brisco::sim;

Q_DECLARE_METATYPE(brisco::sim::FaultConfig)

const QByteArray kPoll = hex("05010F0015");
const QByteArray kAck = hex("06011E00014167");

class TestSim : public QObject {
    Q_OBJECT

private slots:
    void answers_data() {
        QTest::addColumn<QByteArray>("requests");
        // The replies in order as far as they are fixed, and their length in all.
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<int>("length");
        const auto row = [](const char* name, const QByteArray& requests, const QByteArray& head,
                            int length) {
            QTest::newRow(name) << QByteArray::fromHex(requests) << QByteArray::fromHex(head)
                                << length;
        };
        const QByteArray info = QByteArray("TEC-48/1.0/VA2.1/").toHex();

        row("status poll", "05010F0015", "06010F001E", 36);
        row("device information", "05010F0217", "06010F0211" + info, 23);
        row("factory values", "05010F0318", "06010F030C", 18);
        row("cooling start 25", "05011E00014166 05010F0015", "06011E00014167 06010F001E41", 43);
        row("inner fan low 1000", "05011E050203E816 05010F0015",
            "06011E050203E817 06010F001E4B462D370203E8", 44);
        row("DC low 200", "05011E1001C8FD 05010F0318", "06011E1001C8FE 06010F030CC8", 25);
        row("analog value 25", "05011E320182D9", "06011E320182DA", 7);
        // The acknowledgement leaves from the old address, then only the new one is answered.
        row("address 2", "05011E1C010243 05010F0015 05020F0016", "06011E1C010244 06020F001E", 43);
        row("address 3", "05011E1C010344 05030F0017", "06011E1C010345 06030F001E", 43);
        row("address 5 query", "05011E1C010546 05000F0115", "06011E1C010547 06000F0101051C", 14);
        row("parameter 40 refused", "05011E2801004D", "1501", 2);
        row("address 0 refused", "05011E1C010041 05010F0015", "1501 06010F001E", 38);
        row("across blocks refused", "05011E0F02000035", "1501", 2);
        row("refused from 3", "05011E1C010344 05030F0920", "06011E1C010345 1503", 9);
        row("broadcast poll ignored", "05000F0014", "", 0);
        row("noise around a poll", "00FF06150F1E 05010F0015 AA55", "06010F001E", 36);
        row("bad checksum", "05010F0016 05010F0015", "06010F001E", 36);
        row("bad checksum: a poll cut short", "05010F00 05010F0015", "06010F001E", 36);
    }
    void answers() {
        QFETCH(QByteArray, requests);
        QFETCH(QByteArray, head);
        QFETCH(int, length);
        // Fed at once and one byte at a time, the same bytes get the same replies.
        for (const qsizetype piece : {requests.size(), qsizetype(1)}) {
            Controller controller({}, 0);
            QByteArray replies;
            for (qsizetype at = 0; at < requests.size(); at += piece) {
                for (const Exchange& exchange : controller.receive(requests.mid(at, piece), 9)) {
                    const QByteArray& reply = exchange.reply;
                    QVERIFY(reply.size() == 2 || framed(reply.chopped(1)) == reply);
                    replies += reply;
                }
            }
            QCOMPARE(hexOf(replies.first(qMin(head.size(), replies.size()))), hexOf(head));
            QCOMPARE(replies.size(), length);
        }
    }

    void drift() {
        Controller controller({}, 7);
        int speed = 0, lit = 0, always = 0xFFFF;
        for (int second = 0; second < 600; ++second) {
            const auto fields = StatusFields::fromReply(controller.receive(kPoll, second)[0].reply);
            QVERIFY(fields);
            // Cooling runs while the inner temperature is above the cooling start, 35 degrees.
            const bool cooling = fields->WorkState & work_state::Cooling;
            QCOMPARE(cooling, encoding::measuredCelsius(fields->Temp1) > 35.0);
            QVERIFY(bool(fields->WorkState & work_state::OuterFan) == cooling &&
                    (fields->TECcurrent > 0) == cooling);
            QVERIFY(qAbs(fields->IntFanSpeed - (cooling ? 3000 : 1500)) <= 60 &&
                    qAbs(fields->ExtFanSpeed - (cooling ? 3000 : 0)) <= 60);
            QCOMPARE(bool(fields->AlarmA & alarm_a::General), fields->AlarmB != 0);
            // The fan reading changes with every reply.
            QVERIFY(fields->IntFanSpeed != std::exchange(speed, fields->IntFanSpeed));
            const int lamps = fields->WorkState | fields->AlarmB << 8;
            lit |= lamps;
            always &= lamps;
        }
        // Everything but the inner fan comes and goes.
        using namespace work_state;
        QCOMPARE(lit, InnerFan | OuterFan | Cooling | Hydrogen | SelfTest | alarm_b::HighTemp << 8);
        QCOMPARE(always, int(InnerFan));
        // Measured temperatures stop below the codes of an open and a shorted sensor.
        controller.receive(hex("05011E0001FF24"), 0);
        QCOMPARE(StatusFields::fromReply(controller.receive(kPoll, 0)[0].reply)->Temp1, 253);
    }

    void line_data() {
        QTest::addColumn<FaultConfig>("config");
        // Patterns of the line in hexadecimal and of the stats line of the first reply.
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("first");
        const QString poll = "05 01 0F 00 15 ";
        const QString ack = "06 01 1E 00 01 41 67 ";
        const QString damaged = "06 01 1E 00 01 41 (?!67)\\w\\w ";
        const QString noise = "((?!05|06|15)\\w\\w )*";
        const auto times = [](const QString& part, int count) {
            return QStringLiteral("(%1){%2}").arg(part).arg(count);
        };
        using Config = FaultConfig;
        const QString good = "0.000 ack good .*";
        const QString silent = times(poll, 20);
        QTest::newRow("clean") << Config{} << times(ack, 100) << good;
        QTest::newRow("echo") << Config{.echo = true} << times(poll + ack, 100) << good;
        QTest::newRow("split") << Config{.split = true} << times(ack, 100) << "0.\\d+ ack good .*";
        QTest::newRow("noise") << Config{.noise = true} << times(noise + ack, 100) << good;
        QTest::newRow("corrupt") << Config{.corruptPercent = 100} << times(damaged, 100)
                                 << "0.000 ack corrupt .*";
        QTest::newRow("refusal in place")
            << Config{.refusePercent = 100} << times("15 01 ", 100) << "0.000 ack refused 15 01";
        // Twenty requests a second: silent, answering, silent, answering, silent.
        QTest::newRow("silence") << Config{.echo = true, .silenceSeconds = 1}
                                 << times(silent + times(poll + ack, 20), 2) + silent
                                 << "0.000 ack silenced .*";
        QTest::newRow("silence, one second in three")
            << Config{.echo = true, .silenceSeconds = 1, .silencePeriod = 3}
            << silent + times(poll + ack, 40) + silent + times(poll + ack, 20)
            << "0.000 ack silenced .*";
        QTest::newRow("delay") << Config{.delayMs = 40} << times(ack, 100) << "0.040 ack good .*";
    }
    void line() {
        QFETCH(FaultConfig, config);
        QFETCH(QString, line);
        QFETCH(QString, first);
        std::mt19937 random(7);
        LineFaults faults(config, random);
        LineOutput sent;
        int sendings = 0;
        // A request and its reply every 50 ms: pieces of one are still due when the next comes.
        for (int ms = 0; ms < 6000; ++ms) {
            if (ms % 50 == 0 && ms < 5000) {
                faults.requestReceived(kPoll, ms / 1000.0);
                faults.replyReady(kAck, ms / 1000.0);
            }
            const LineOutput output = faults.takeDue(ms / 1000.0);
            sendings += !output.bytes.isEmpty();
            sent.bytes += output.bytes;
            sent.replies += output.replies;
        }
        const QString sentLine = hexOf(sent.bytes) + ' ';
        QVERIFY2(sentLine.contains(QRegularExpression('^' + line + '$')), qPrintable(sentLine));
        QCOMPARE(sent.replies.size(), 100);
        const QString statsLine = sent.replies[0].statsLine();
        QVERIFY2(statsLine.contains(QRegularExpression('^' + first + '$')), qPrintable(statsLine));
        QCOMPARE(faults.counters().noiseBytes > 0, config.noise);
        QCOMPARE(sendings > 100, config.split);
    }

    void everyOption() {
        const ParsedOptions parsed = parseSimOptions(
            {"brisco-sim", "--address", "7",         "--info",       "X/2/V/",
             "--echo",     "--split",   "--noise",   "--corrupt",    "15",
             "--refuse",   "5",         "--silence", "2.5",          "--silence-period",
             "60",         "--delay",   "40",        "--seed",       "4294967295",
             "--link",     "/tmp/l",    "--trace",   "--stats-file", "/tmp/s"});
        QVERIFY(parsed.options);
        const SimOptions& options = *parsed.options;
        const FaultConfig& faults = options.faults;
        QVERIFY(options.controller.address == 7 && options.controller.deviceInfo == "X/2/V/");
        QVERIFY(faults.echo && faults.split && faults.noise && options.trace);
        QVERIFY(faults.corruptPercent == 15 && faults.refusePercent == 5 && faults.delayMs == 40);
        QVERIFY(faults.silenceSeconds == 2.5 && faults.silencePeriod == 60 &&
                options.seed == 4294967295u);
        QVERIFY(options.linkPath == "/tmp/l" && options.statsPath == "/tmp/s");
    }

    void refusedOption_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("address 0") << QStringList{"--address", "0"};
        QTest::newRow("info of 256") << QStringList{"--info", QString(256, 'x')};
        QTest::newRow("info not Latin-1") << QStringList{"--info", "温度/1/2/"};
        QTest::newRow("corrupt 101") << QStringList{"--corrupt", "101"};
        QTest::newRow("endless silence") << QStringList{"--silence", "inf"};
        QTest::newRow("delay 60001") << QStringList{"--delay", "60001"};
        QTest::newRow("seed of 33 bits") << QStringList{"--seed", "4294967296"};
    }
    void refusedOption() {
        QFETCH(QStringList, arguments);
        const ParsedOptions parsed = parseSimOptions(QStringList{"brisco-sim"} + arguments);
        QVERIFY(!parsed.options && !parsed.helpRequested);
        QVERIFY2(parsed.message.contains(arguments.first().section('-', -1)),
                 qPrintable(parsed.message));
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
